#include "ui/records/listwindow.h"
#include "core/clock.h"
#include "core/session.h"
#include "data/datamodule.h"
#include "ui/common/messages.h"
#include "ui/common/modal.h"
#include "ui/common/windowregistry.h"
#include "ui/records/querydialog.h"
#include "ui/records/recordgrid.h"
#include "ui/records/writefailure.h"
#include "data/database.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMenu>
#include <QPushButton>
#include <QSettings>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#ifdef VEL_HAVE_EXPORT
#include "ui/records/export/exporttable.h"
#endif
#ifdef VEL_HAVE_PRINT
#include "ui/records/print/tableprinter.h"
#endif

namespace {

// The popup caption of a hidden column: its last two title levels, the last one right-aligned.
QString popupCaption(const QString& title)
{
    QStringList levels = title.split(QLatin1Char('|'));
    if (levels.size() > 2)
        levels = levels.mid(levels.size() - 2);
    return levels.join(QLatin1Char('\t'));
}

#if defined(VEL_HAVE_EXPORT) || defined(VEL_HAVE_PRINT)
ExportTable toExportTable(const GridSnapshot& s)
{
    ExportTable t;
    t.printTitle = s.printTitle;
    for (const auto& c : s.columns)
        t.columns.push_back(ExportColumn{c.title, c.type, c.width});
    t.rows = s.rows;
    t.footer = s.footer;
    t.operatorName = s.operatorName;
    t.printedAt = s.printedAt;
    return t;
}
#endif

} // namespace

std::function<void(ListWindow*, const GridSnapshot&)>& ListWindow::printHandler()
{
    static std::function<void(ListWindow*, const GridSnapshot&)> h = [](ListWindow* w, const GridSnapshot& s) {
#ifdef VEL_HAVE_PRINT
        printWithPreview(w, toExportTable(s));
#else
        Q_UNUSED(s);
        Msg::warn(w, QStringLiteral("打印功能没有安装！"));
#endif
    };
    return h;
}

std::function<void(ListWindow*, const GridSnapshot&)>& ListWindow::exportHandler()
{
    static std::function<void(ListWindow*, const GridSnapshot&)> h = [](ListWindow* w, const GridSnapshot& s) {
#ifdef VEL_HAVE_EXPORT
        exportWithDialog(w, w->dm()->SaveDialog1, w->config().exportName, toExportTable(s));
#else
        Q_UNUSED(s);
        Msg::warn(w, QStringLiteral("导出功能没有安装！"));
#endif
    };
    return h;
}

ListWindow::ListWindow(const ListWindowConfig& config, TDm1* dm, QWidget* owner)
    : QDialog(owner), m_config(config), m_dm(dm), m_query(dm->query(config.query))
{
    Q_ASSERT(m_query);
    setObjectName(config.className.mid(1));  // the instance name: Form_qcda for TForm_qcda
    setWindowTitle(config.caption);
    setWindowFlag(Qt::WindowMaximizeButtonHint, config.maximised);
    if (config.maximised)
        setWindowState(Qt::WindowMaximized);
    else
        resize(640, 420);

    auto* outer = new QVBoxLayout(this);
    m_buttonBar = new QHBoxLayout;
    outer->addLayout(m_buttonBar);

    if (config.navigator) {
        DBNavigator1 = new QWidget(this);
        DBNavigator1->setObjectName(QStringLiteral("DBNavigator1"));
        auto* nav = new QHBoxLayout(DBNavigator1);
        nav->setContentsMargins(0, 0, 0, 0);
        nav->setSpacing(0);
        const struct {
            const char* name;
            const char* hint;
            QStyle::StandardPixmap icon;
            void (RecordSet::*move)();
        } moves[] = {{"nbFirst", "首记录", QStyle::SP_MediaSkipBackward, &RecordSet::first},
                     {"nbPrior", "上一条记录", QStyle::SP_MediaSeekBackward, &RecordSet::prior},
                     {"nbNext", "下一条记录", QStyle::SP_MediaSeekForward, &RecordSet::next},
                     {"nbLast", "尾记录", QStyle::SP_MediaSkipForward, &RecordSet::last}};
        for (const auto& m : moves) {
            auto* b = new QToolButton(DBNavigator1);
            b->setObjectName(QString::fromLatin1(m.name));
            b->setToolTip(QString::fromUtf8(m.hint));
            b->setIcon(style()->standardIcon(m.icon));
            b->setAutoRaise(true);
            nav->addWidget(b);
            auto move = m.move;
            connect(b, &QToolButton::clicked, this, [this, move] {
                if (!m_query->isOpen())
                    return;
                try {
                    (m_query->*move)();
                } catch (const DbError& e) {
                    Msg::error(this, e.text());
                }
            });
        }
        m_buttonBar->addWidget(DBNavigator1);
    }

    using namespace ListButton;
    if (config.buttons & Edit)
        bitbtn_edit = addButton(QStringLiteral("bitbtn_edit"), config.editCaption);
    if (config.buttons & Delete)
        SpeedButton1 = addButton(QStringLiteral("SpeedButton1"), QStringLiteral("删除"));
    if (config.buttons & Query)
        SpeedButton5 = addButton(QStringLiteral("SpeedButton5"), config.queryCaption);
    for (const QString& caption : config.moduleButtons)
        m_moduleButtons << addButton(QString(), caption);
    if (config.buttons & Print)
        SpeedButton3 = addButton(QStringLiteral("SpeedButton3"), QStringLiteral("打印"));
    if (config.buttons & Export)
        SpeedButton2 = addButton(QStringLiteral("SpeedButton2"), QStringLiteral("导出"));
    if (config.buttons & Return)
        SpeedButton4 = addButton(QStringLiteral("SpeedButton4"), QStringLiteral("返回"));
    m_buttonBar->addStretch(1);

    cbDichromatic = new QCheckBox(QStringLiteral("区分网格"), this);
    cbDichromatic->setObjectName(QStringLiteral("cbDichromatic"));
    cbDichromatic->setChecked(true);
    m_buttonBar->addWidget(cbDichromatic);
    if (config.autoWidthBox) {
        CheckBox1 = new QCheckBox(QStringLiteral("自动匹配列宽"), this);
        CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
        CheckBox1->setChecked(config.autoWidthChecked);
        m_buttonBar->addWidget(CheckBox1);
    }
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    if (config.columnButtons) {
        ToolButton1 = new QToolButton(this);
        ToolButton1->setObjectName(QStringLiteral("ToolButton1"));
        ToolButton1->setToolTip(QStringLiteral("显示隐藏的列"));
        ToolButton1->setIcon(style()->standardIcon(QStyle::SP_ArrowLeft));
        ToolButton1->setPopupMode(QToolButton::MenuButtonPopup);
        ToolButton1->setMenu(PopupMenu1);
        ToolButton1->setEnabled(false);
        ToolButton2 = new QToolButton(this);
        ToolButton2->setObjectName(QStringLiteral("ToolButton2"));
        ToolButton2->setToolTip(QStringLiteral("隐藏最右边的列"));
        ToolButton2->setIcon(style()->standardIcon(QStyle::SP_ArrowRight));
        m_buttonBar->addWidget(ToolButton1);
        m_buttonBar->addWidget(ToolButton2);
        connect(ToolButton1, &QToolButton::clicked, this, &ListWindow::ToolButton1Click);
        connect(ToolButton2, &QToolButton::clicked, this, &ListWindow::ToolButton2Click);
        connect(PopupMenu1, &QMenu::triggered, this, &ListWindow::PopupMenu1Click);
    }

    DBGridEh1 = new RecordGrid(this);
    DBGridEh1->setObjectName(QStringLiteral("DBGridEh1"));
    m_model = new RecordGridModel(m_query, this);
    m_model->cellParams = [this](int row) { return DBGridEh1GetCellParams(row); };
    DBGridEh1->setGridModel(m_model);
    DBGridEh1->setAutoFitColWidths(config.autoWidth);
    outer->addWidget(DBGridEh1, 1);
    // Until the module sets its columns, those of the query (also when the command opens the
    // query after creating the window), with the window's footers.
    m_model->onAdopt = [this](QVector<GridColumn>& cols) { decorate(cols, true); };
    m_model->setColumns({});

    connect(DBGridEh1, &RecordGrid::titleClicked, this, &ListWindow::DBGridEh1TitleClick);
    connect(DBGridEh1, &QAbstractItemView::doubleClicked, this, [this] {
        if (m_config.doubleClickEdits && bitbtn_edit)
            bitbtn_editClick();
    });
    connect(DBGridEh1->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& cur) {
                if (m_syncing || m_model->changing() || !cur.isValid() || !m_query->isOpen() || cur.row() == m_query->currentRow())
                    return;
                try {
                    m_query->moveTo(cur.row());
                } catch (const DbError& e) {
                    Msg::error(this, e.text());
                }
            });
    // While rows come and go the view moves its own current index; the record set has already
    // chosen its current row then, and the view follows it afterwards.
    auto hold = [this] { m_syncing = true; };
    auto release = [this] {
        m_syncing = false;
        syncSelection();
    };
    connect(m_model, &QAbstractItemModel::rowsAboutToBeInserted, this, hold);
    connect(m_model, &QAbstractItemModel::rowsAboutToBeRemoved, this, hold);
    connect(m_model, &QAbstractItemModel::modelAboutToBeReset, this, hold);
    connect(m_model, &QAbstractItemModel::columnsAboutToBeInserted, this, hold);
    connect(m_model, &QAbstractItemModel::columnsAboutToBeRemoved, this, hold);
    connect(m_model, &QAbstractItemModel::rowsInserted, this, release);
    connect(m_model, &QAbstractItemModel::rowsRemoved, this, release);
    connect(m_model, &QAbstractItemModel::modelReset, this, release);
    connect(m_model, &QAbstractItemModel::columnsInserted, this, release);
    connect(m_model, &QAbstractItemModel::columnsRemoved, this, release);
    connect(m_query, &RecordSet::currentChanged, this, &ListWindow::syncSelection);
    connect(cbDichromatic, &QCheckBox::clicked, this, &ListWindow::cbDichromaticClick);
    if (CheckBox1)
        connect(CheckBox1, &QCheckBox::clicked, this, &ListWindow::CheckBox1Click);
    syncSelection();
}

ListWindow::~ListWindow()
{
    // Stored at close; when the window is destroyed without closing, here.
    if (m_shown && !m_layoutStored && m_config.layout != LayoutMode::None)
        storeLayout();
}

QPushButton* ListWindow::addButton(const QString& objectName, const QString& caption)
{
    auto* b = new QPushButton(caption, this);
    b->setFlat(true);
    b->setAutoDefault(false);
    if (!objectName.isEmpty())
        b->setObjectName(objectName);
    m_buttonBar->addWidget(b);
    if (objectName == QLatin1String("bitbtn_edit"))
        connect(b, &QPushButton::clicked, this, [this] { bitbtn_editClick(); });
    else if (objectName == QLatin1String("SpeedButton1"))
        connect(b, &QPushButton::clicked, this, [this] { SpeedButton1Click(); });
    else if (objectName == QLatin1String("SpeedButton2"))
        connect(b, &QPushButton::clicked, this, &ListWindow::SpeedButton2Click);
    else if (objectName == QLatin1String("SpeedButton3"))
        connect(b, &QPushButton::clicked, this, &ListWindow::SpeedButton3Click);
    else if (objectName == QLatin1String("SpeedButton4"))
        connect(b, &QPushButton::clicked, this, &ListWindow::SpeedButton4Click);
    else if (objectName == QLatin1String("SpeedButton5"))
        connect(b, &QPushButton::clicked, this, [this] { SpeedButton5Click(); });
    return b;
}

QPushButton* ListWindow::moduleButton(const QString& caption) const
{
    for (QPushButton* b : m_moduleButtons)
        if (b->text() == caption)
            return b;
    return nullptr;
}

GridColumn ListWindow::column(const QString& field, const QString& title, int width, bool titleButton)
{
    GridColumn c;
    c.field = field;
    c.title = title;
    c.width = width;
    c.titleButton = titleButton;
    return c;
}

void ListWindow::decorate(QVector<GridColumn>& columns, bool fromQuery) const
{
    for (int i = 0; i < columns.size(); ++i) {
        GridColumn& c = columns[i];
        if (fromQuery)
            c.titleButton = m_config.sort != SortMode::None;
        if (m_config.footer == FooterMode::None)
            continue;
        if (m_config.footerSums.contains(c.field))
            c.footer = FooterKind::Sum;
        if (i == 0) {
            c.footer = FooterKind::Text;
            c.footerValue = QStringLiteral("记录数");
        } else if (i == 1 && m_config.footer == FooterMode::CountAndSums) {
            c.footer = FooterKind::Count;
        }
    }
}

void ListWindow::setColumns(QVector<GridColumn> columns)
{
    decorate(columns, false);
    m_model->setColumns(columns);
    DBGridEh1->applyWidths();
    syncSelection();  // the reset of the columns left the view without a current cell
}

void ListWindow::syncSelection()
{
    if (m_syncing || m_model->changing())
        return;
    const int row = m_query->isOpen() ? m_query->currentRow() : -1;
    if (row < 0 || row >= m_model->rowCount() || m_model->columnCount() == 0)
        return;
    m_syncing = true;
    DBGridEh1->selectionModel()->setCurrentIndex(m_model->index(row, 0),
                                                 QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    m_syncing = false;
}

// ---- handlers ----

void ListWindow::bitbtn_editClick()
{
    if (!editAllowed())
        return;
    QDialog* dialog = createEditDialog();
    if (!dialog)
        return;
    Modal::exec(dialog);
    delete dialog;
}

void ListWindow::SpeedButton1Click()
{
    if (!deleteAllowed())
        return;
    if (!Msg::confirm(this, QStringLiteral("要删除当前记录吗? ")))
        return;
    try {
        m_query->remove();
    } catch (const DbError& e) {
        m_query->cancel();
        // Another workstation's change or lock: the clerk must know the row is still there.
        // Any other refusal keeps the row without a word, but leaves a trace in the log.
        if (e.kind() != DbError::Kind::Engine)
            reportWriteFailure(this, e, WriteAction::Delete);
        else
            qCWarning(lcData, "%s: %s", qPrintable(objectName()), qPrintable(e.text()));
    }
}

void ListWindow::SpeedButton2Click()
{
    DBGridEh1->captureWidths();
    exportHandler()(this, snapshot());
}

void ListWindow::SpeedButton3Click()
{
    DBGridEh1->captureWidths();
    // Print colours while the pages are composed, screen colours again afterwards.
    DBGridEh1->footerBackground = Qt::white;
    DBGridEh1->footerText = Qt::black;
    printHandler()(this, snapshot());
    DBGridEh1->footerBackground = QColor(0, 128, 0);
    DBGridEh1->footerText = Qt::white;
    DBGridEh1->footerWidget()->update();
}

void ListWindow::SpeedButton5Click()
{
    const QueryDialogConfig* q = queryDialogConfig(m_config.className + QStringLiteral("_cx"));
    if (!q)
        return;
    auto* dialog = new QueryDialog(*q, m_dm, this);
    prepareQueryDialog(dialog);
    Modal::exec(dialog);
    delete dialog;
}

void ListWindow::SpeedButton4Click()
{
    close();
}

void ListWindow::cbDichromaticClick()
{
    DBGridEh1->viewport()->update();
}

void ListWindow::CheckBox1Click()
{
    DBGridEh1->setAutoFitColWidths(CheckBox1->isChecked());
}

QColor ListWindow::DBGridEh1GetCellParams(int row) const
{
    // Odd record numbers (1-based) are tinted while 区分网格 is checked.
    if (cbDichromatic->isChecked() && row % 2 == 0)
        return QColor(236, 249, 249);
    return Qt::white;
}

void ListWindow::updateToolButtons()
{
    if (!ToolButton1)
        return;
    bool allShown = true;
    for (const auto& c : m_model->columns())
        allShown = allShown && c.visible;
    ToolButton1->setEnabled(!allShown && !PopupMenu1->actions().isEmpty());
}

void ListWindow::ToolButton2Click()
{
    if (m_model->shown().size() <= 3)
        return;
    DBGridEh1->captureWidths();
    const int index = m_model->shown().last();
    const GridColumn& c = m_model->columns()[index];
    auto* entry = new QAction(popupCaption(c.caption()), PopupMenu1);
    entry->setData(c.field);
    const auto actions = PopupMenu1->actions();
    PopupMenu1->insertAction(actions.isEmpty() ? nullptr : actions.first(), entry);
    m_model->setColumnVisible(index, false);
    if (ToolButton1)
        ToolButton1->setEnabled(true);
}

void ListWindow::ToolButton1Click()
{
    const auto actions = PopupMenu1->actions();
    if (actions.isEmpty())
        return;
    // The top entry is the most recently hidden column, the one right after the shown ones.
    QAction* top = actions.first();
    const QString field = top->data().toString();
    PopupMenu1->removeAction(top);
    delete top;
    DBGridEh1->captureWidths();
    m_model->showAfterShown(m_model->columnIndexOf(field));
    updateToolButtons();
    if (ToolButton2)
        ToolButton2->setEnabled(true);
}

void ListWindow::PopupMenu1Click(QAction* entry)
{
    if (!entry)
        return;
    const QString field = entry->data().toString();
    DBGridEh1->captureWidths();
    m_model->showAfterShown(m_model->columnIndexOf(field));
    PopupMenu1->removeAction(entry);
    entry->deleteLater();
    updateToolButtons();
}

void ListWindow::DBGridEh1TitleClick(int section, Qt::KeyboardModifiers modifiers)
{
    if (m_config.sort == SortMode::None || section < 0 || section >= m_model->columnCount())
        return;
    const GridColumn& c = m_model->shownColumn(section);
    if (!c.titleButton)
        return;
    // Click: this column alone, toggling its direction. Ctrl+click: add it to the marks (or toggle
    // it there). Shift+click: take its mark away.
    QVector<SortMark> marks = m_model->sortMarks();
    auto it = std::find_if(marks.begin(), marks.end(), [&](const SortMark& m) { return m.field == c.field; });
    if (modifiers & Qt::ShiftModifier) {
        if (it == marks.end())
            return;
        marks.erase(it);
    } else if (modifiers & Qt::ControlModifier) {
        if (it != marks.end())
            it->descending = !it->descending;
        else
            marks << SortMark{c.field, false};
    } else {
        const bool desc = it != marks.end() && !it->descending;
        marks = {SortMark{c.field, desc}};
    }
    m_model->setSortMarks(marks);
    DBGridEh1SortMarkingChanged();
}

void ListWindow::DBGridEh1SortMarkingChanged()
{
    if (m_config.sort != SortMode::Rebuild)
        return;
    // The query text is never changed while it holds no rows.
    if (!m_query->isOpen() || m_query->isEmpty())
        return;
    QStringList sql = m_query->sql();
    const QString line = sortOrderLine(m_model->sortMarks());
    if (sql.isEmpty())
        sql << line;
    else
        sql.last() = line;
    try {
        m_query->close();
        m_query->setSql(sql);
        m_query->open();
    } catch (const DbError& e) {
        Msg::error(this, e.text());
    }
}

void ListWindow::FormClose()
{
    if (m_config.cancelOnClose && m_query->isOpen())
        m_query->cancel();
    if (m_config.layout != LayoutMode::None) {
        storeLayout();
        m_layoutStored = true;
    }
}

void ListWindow::FormShow()
{
    if (m_shown)
        return;
    m_shown = true;
    if (m_config.layout != LayoutMode::None)
        restoreLayout();
}

void ListWindow::showEvent(QShowEvent* event)
{
    m_formClosed = false;
    FormShow();
    QDialog::showEvent(event);
}

void ListWindow::closeEvent(QCloseEvent* event)
{
    if (!m_formClosed) {
        m_formClosed = true;
        FormClose();
    }
    QDialog::closeEvent(event);
}

void ListWindow::done(int result)
{
    // Escape closes a dialog without a close event; the closing steps run all the same.
    if (!m_formClosed) {
        m_formClosed = true;
        FormClose();
    }
    QDialog::done(result);
}

// ---- print and export ----

GridSnapshot ListWindow::snapshot() const
{
    GridSnapshot s;
    s.printTitle = m_config.printTitle;
    s.operatorName = Session::currentOperator().name;
    s.printedAt = Clock::now();
    QVector<int> fields;
    for (int sec = 0; sec < m_model->columnCount(); ++sec) {
        const GridColumn& c = m_model->shownColumn(sec);
        const int f = m_query->fieldIndex(c.field);
        fields << f;
        const FieldType type = f >= 0 ? m_query->fields()[f].type : FieldType::Text;
        s.columns.push_back({c.caption(), type, c.width > 0 ? c.width : DBGridEh1->horizontalHeader()->sectionSize(sec)});
    }
    const int n = m_query->isOpen() ? m_query->recordCount() : 0;
    s.rows.reserve(n);
    for (int r = 0; r < n; ++r) {
        QStringList row;
        for (int f : fields)
            row << (f >= 0 ? m_query->displayText(r, f) : QString());
        s.rows << row;
    }
    if (m_config.footer != FooterMode::None)
        s.footer = m_model->footerTexts();
    return s;
}

// ---- layout store ----

QString ListWindow::layoutFile()
{
    return QDir::current().filePath(QStringLiteral("system.ini"));
}

QString ListWindow::layoutSection() const
{
    return m_config.className + QStringLiteral("_PropStorageEh1");
}

void ListWindow::storeLayout()
{
    DBGridEh1->captureWidths();
    const bool reduced = m_config.layout == LayoutMode::Reduced;
    QSettings ini(layoutFile(), QSettings::IniFormat);
    ini.remove(layoutSection());
    ini.beginGroup(layoutSection());
    const auto& cols = m_model->columns();
    ini.setValue(QStringLiteral("ColumnCount"), int(cols.size()));
    for (int i = 0; i < cols.size(); ++i) {
        const QString k = QStringLiteral("Column%1.").arg(i + 1);
        ini.setValue(k + QStringLiteral("FieldName"), cols[i].field);
        ini.setValue(k + QStringLiteral("FooterValue"), cols[i].footerValue);
        ini.setValue(k + QStringLiteral("FooterType"), int(cols[i].footer));
        if (!reduced)
            ini.setValue(k + QStringLiteral("Title"), cols[i].title);
        ini.setValue(k + QStringLiteral("Visible"), cols[i].visible);
        ini.setValue(k + QStringLiteral("Width"), cols[i].width);
    }
    if (!reduced)
        ini.setValue(QStringLiteral("AutoFitColWidths"), DBGridEh1->autoFitColWidths());
    ini.endGroup();
    ini.sync();
}

void ListWindow::restoreLayout()
{
    QSettings ini(layoutFile(), QSettings::IniFormat);
    if (!ini.childGroups().contains(layoutSection()))
        return;
    const bool reduced = m_config.layout == LayoutMode::Reduced;
    ini.beginGroup(layoutSection());
    QVector<GridColumn> current = m_model->columns();
    QVector<GridColumn> restored;
    const int n = ini.value(QStringLiteral("ColumnCount")).toInt();
    for (int i = 0; i < n; ++i) {
        const QString k = QStringLiteral("Column%1.").arg(i + 1);
        const QString field = ini.value(k + QStringLiteral("FieldName")).toString();
        auto it = std::find_if(current.begin(), current.end(), [&](const GridColumn& c) { return c.field == field; });
        if (it == current.end())
            continue;  // a column the query no longer has is dropped
        GridColumn c = *it;
        current.erase(it);
        c.footerValue = ini.value(k + QStringLiteral("FooterValue"), c.footerValue).toString();
        const int kind = ini.value(k + QStringLiteral("FooterType"), int(c.footer)).toInt();
        if (kind >= int(FooterKind::None) && kind <= int(FooterKind::Sum))
            c.footer = FooterKind(kind);
        if (!reduced)
            c.title = ini.value(k + QStringLiteral("Title"), c.title).toString();
        c.visible = ini.value(k + QStringLiteral("Visible"), true).toBool();
        c.width = ini.value(k + QStringLiteral("Width"), c.width).toInt();
        restored << c;
    }
    restored += current;  // columns added since the layout was stored
    const bool autoFit = ini.value(QStringLiteral("AutoFitColWidths"), DBGridEh1->autoFitColWidths()).toBool();
    ini.endGroup();
    m_model->setColumns(restored);
    if (!reduced)
        DBGridEh1->setAutoFitColWidths(autoFit);
    DBGridEh1->applyWidths();
    syncSelection();  // the reset of the columns left the view without a current cell
    // Columns hidden in the stored layout are not offered by the show button.
    if (ToolButton1)
        ToolButton1->setEnabled(false);
    PopupMenu1->clear();
}

void registerListWindows()
{
    for (const ListWindowConfig& config : listWindowTable()) {
        if (WindowRegistry::find(config.className))
            continue;
        WindowRegistry::add(config.className, [config](QWidget* owner, TDm1* dm) { return new ListWindow(config, dm, owner); });
    }
}
