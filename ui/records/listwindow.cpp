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
#include <QLabel>
#include <algorithm>
#include <QMenu>
#include <QPushButton>
#include <QSettings>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include "ui/records/export/exporttable.h"
#include "ui/records/print/tableprinter.h"

namespace {

// The popup caption of a hidden column: its last two title levels, the last one right-aligned.
QString popupCaption(const QString& title)
{
    QStringList levels = title.split(QLatin1Char('|'));
    if (levels.size() > 2)
        levels = levels.mid(levels.size() - 2);
    return levels.join(QLatin1Char('\t'));
}


}  // namespace

ExportTable toExportTable(const GridSnapshot& s)
{
    ExportTable t;
    t.printTitle = s.printTitle;
    for (const auto& c : s.columns)
        t.columns.push_back(ExportColumn{c.title, c.type, c.width});
    // The rows are read from the record set while the file or the pages are written.
    t.sourceRows = s.rows.size();
    t.rowSource = [rows = s.rows](int i) { return rows.at(i); };
    t.rowStream = [rows = s.rows] { return rows.stream(); };
    t.footer = s.footer;
    t.operatorName = s.operatorName;
    t.printedAt = s.printedAt;
    return t;
}

std::function<void(ListWindow*, const GridSnapshot&)>& ListWindow::printHandler()
{
    static std::function<void(ListWindow*, const GridSnapshot&)> h = [](ListWindow* w, const GridSnapshot& s) {
        printWithPreview(w, toExportTable(s));
    };
    return h;
}

std::function<void(ListWindow*, const GridSnapshot&)>& ListWindow::exportHandler()
{
    static std::function<void(ListWindow*, const GridSnapshot&)> h = [](ListWindow* w, const GridSnapshot& s) {
        exportWithDialog(w, w->dm()->SaveDialog1, w->config().exportName, toExportTable(s));
    };
    return h;
}

ListWindow::ListWindow(const ListWindowConfig& config, TDm1* dm, QWidget* owner)
    : QDialog(owner), m_config(config), m_dm(dm), m_query(dm->query(config.query))
{
    Q_ASSERT(m_query);
    setUpFrame();
    auto* outer = new QVBoxLayout(this);
    m_buttonBar = new QHBoxLayout;
    outer->addLayout(m_buttonBar);
    if (m_config.navigator)
        m_buttonBar->addWidget(makeNavigator());
    addButtons();
    m_buttonBar->addStretch(1);
    addViewTools();
    if (!m_config.hint.isEmpty()) {
        auto* hint = new QLabel(m_config.hint, this);
        hint->setObjectName(QStringLiteral("Label1"));
        outer->addWidget(hint);
    }
    outer->addWidget(makeGrid(), 1);
    followCurrentRow();
    syncSelection();
}

// Names, caption and size of the window as the table gives them.
void ListWindow::setUpFrame()
{
    setObjectName(m_config.className.mid(1));  // the instance name: Form_qcda for TForm_qcda
    setProperty("windowClass", m_config.className);
    setWindowTitle(m_config.caption);
    setWindowFlag(Qt::WindowMaximizeButtonHint, m_config.maximised);
    if (m_config.maximised)
        setWindowState(Qt::WindowMaximized);
    else
        resize(640, 420);
}

// First, prior, next and last record, as icon buttons.
QWidget* ListWindow::makeNavigator()
{
    navigator = new QWidget(this);
    navigator->setObjectName(QStringLiteral("DBNavigator1"));
    auto* nav = new QHBoxLayout(navigator);
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
        auto* b = new QToolButton(navigator);
        b->setObjectName(QString::fromLatin1(m.name));
        b->setToolTip(QString::fromUtf8(m.hint));
        b->setAccessibleName(QString::fromUtf8(m.hint));  // icon only: screen readers need a name
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
    return navigator;
}

// The buttons in the order the window lays them out, left to right.
void ListWindow::addButtons()
{
    for (const ButtonDef& b : m_config.buttons) {
        const QString caption = b.caption.isEmpty() ? defaultCaption(b.kind) : b.caption;
        switch (b.kind) {
        case ListButton::Edit:
            editButton = makeButton(QStringLiteral("bitbtn_edit"), caption);
            break;
        case ListButton::Delete:
            deleteButton = makeButton(QStringLiteral("SpeedButton1"), caption);
            break;
        case ListButton::Query:
            queryButton = makeButton(QStringLiteral("SpeedButton5"), caption);
            break;
        case ListButton::Print:
            printButton = makeButton(QStringLiteral("SpeedButton3"), caption);
            break;
        case ListButton::Export:
            exportButton = makeButton(QStringLiteral("SpeedButton2"), caption);
            break;
        case ListButton::Return:
            returnButton = makeButton(QStringLiteral("SpeedButton4"), caption);
            break;
        case ListButton::Module:
            m_moduleButtons << makeButton(QString(), caption);
            break;
        }
    }
}

// 区分网格, 自动匹配列宽 and the buttons that hide and show columns, right of the buttons.
void ListWindow::addViewTools()
{
    dichromaticBox = new QCheckBox(QStringLiteral("区分网格"), this);
    dichromaticBox->setObjectName(QStringLiteral("cbDichromatic"));
    dichromaticBox->setChecked(true);
    m_buttonBar->addWidget(dichromaticBox);
    connect(dichromaticBox, &QCheckBox::clicked, this, &ListWindow::onDichromatic);
    if (m_config.autoWidthBox) {
        autoWidthBox = new QCheckBox(QStringLiteral("自动匹配列宽"), this);
        autoWidthBox->setObjectName(QStringLiteral("CheckBox1"));
        autoWidthBox->setChecked(m_config.autoWidthChecked);
        m_buttonBar->addWidget(autoWidthBox);
        connect(autoWidthBox, &QCheckBox::clicked, this, &ListWindow::onAutoWidth);
    }
    hiddenColumnsMenu = new QMenu(this);
    hiddenColumnsMenu->setObjectName(QStringLiteral("PopupMenu1"));
    if (!m_config.columnButtons)
        return;
    showColumnButton = new QToolButton(this);
    showColumnButton->setObjectName(QStringLiteral("ToolButton1"));
    showColumnButton->setToolTip(QStringLiteral("显示隐藏的列"));
    showColumnButton->setAccessibleName(showColumnButton->toolTip());
    showColumnButton->setIcon(style()->standardIcon(QStyle::SP_ArrowLeft));
    showColumnButton->setPopupMode(QToolButton::MenuButtonPopup);
    showColumnButton->setMenu(hiddenColumnsMenu);
    showColumnButton->setEnabled(false);
    hideColumnButton = new QToolButton(this);
    hideColumnButton->setObjectName(QStringLiteral("ToolButton2"));
    hideColumnButton->setToolTip(QStringLiteral("隐藏最右边的列"));
    hideColumnButton->setAccessibleName(hideColumnButton->toolTip());
    hideColumnButton->setIcon(style()->standardIcon(QStyle::SP_ArrowRight));
    m_buttonBar->addWidget(showColumnButton);
    m_buttonBar->addWidget(hideColumnButton);
    connect(showColumnButton, &QToolButton::clicked, this, &ListWindow::onShowColumn);
    connect(hideColumnButton, &QToolButton::clicked, this, &ListWindow::onHideColumn);
    connect(hiddenColumnsMenu, &QMenu::triggered, this, &ListWindow::onHiddenColumnChosen);
}

// The grid over the query with its model, title clicks and double click.
RecordGrid* ListWindow::makeGrid()
{
    grid = new RecordGrid(this);
    grid->setObjectName(QStringLiteral("DBGridEh1"));
    m_model = new RecordGridModel(m_query, this);
    m_model->cellParams = [this](int row) { return rowColour(row); };
    grid->setGridModel(m_model);
    grid->setAutoFitColWidths(m_config.autoWidth);
    // Until the module sets its columns, those of the query (also when the command opens the
    // query after creating the window), with the window's footers.
    m_model->onAdopt = [this](QVector<GridColumn>& cols) { decorate(cols, true); };
    m_model->setColumns({});

    connect(grid, &RecordGrid::titleClicked, this, &ListWindow::onTitleClick);
    connect(grid, &QAbstractItemView::doubleClicked, this, [this] {
        if (m_config.doubleClickEdits && editButton)
            onEdit();
    });
    return grid;
}

// The grid's current row and the record set's current row follow each other.
void ListWindow::followCurrentRow()
{
    connect(grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this](const QModelIndex& cur) {
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
}

ListWindow::~ListWindow()
{
    // Stored at close; when the window is destroyed without closing, here.
    if (m_shown && !m_layoutStored && m_config.layout != LayoutMode::None)
        storeLayout();
}

QPushButton* ListWindow::makeButton(const QString& objectName, const QString& caption)
{
    auto* b = new QPushButton(caption, this);
    b->setFlat(true);
    b->setAutoDefault(false);
    if (!objectName.isEmpty())
        b->setObjectName(objectName);
    m_buttonBar->addWidget(b);
    if (objectName == QLatin1String("bitbtn_edit"))
        connect(b, &QPushButton::clicked, this, [this] { onEdit(); });
    else if (objectName == QLatin1String("SpeedButton1"))
        connect(b, &QPushButton::clicked, this, [this] { onDelete(); });
    else if (objectName == QLatin1String("SpeedButton2"))
        connect(b, &QPushButton::clicked, this, &ListWindow::onExport);
    else if (objectName == QLatin1String("SpeedButton3"))
        connect(b, &QPushButton::clicked, this, &ListWindow::onPrint);
    else if (objectName == QLatin1String("SpeedButton4"))
        connect(b, &QPushButton::clicked, this, &ListWindow::onReturn);
    else if (objectName == QLatin1String("SpeedButton5"))
        connect(b, &QPushButton::clicked, this, [this] { onQuery(); });
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
    // The count stands under the second column unless the module put it under another.
    const bool countPlaced = std::any_of(columns.begin(), columns.end(),
                                         [](const GridColumn& c) { return c.footer == FooterKind::Count; });
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
        } else if (i == 1 && !countPlaced && m_config.footer == FooterMode::CountAndSums) {
            c.footer = FooterKind::Count;
        }
    }
}

void ListWindow::setColumns(QVector<GridColumn> columns)
{
    decorate(columns, false);
    m_model->setColumns(columns);
    grid->applyWidths();
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
    grid->selectionModel()->setCurrentIndex(m_model->index(row, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    m_syncing = false;
}

// ---- handlers ----

void ListWindow::onEdit()
{
    if (!editAllowed())
        return;
    // A dialog fills its drop-downs from the database as it is made; a refusal is said.
    QDialog* dialog = nullptr;
    try {
        dialog = createEditDialog();
    } catch (const DbError& e) {
        Msg::error(this, e.text());
        return;
    }
    if (!dialog)
        return;
    Modal::exec(dialog);
    delete dialog;
}

void ListWindow::onDelete()
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

void ListWindow::onExport()
{
    grid->captureWidths();
    exportHandler()(this, snapshot());
}

void ListWindow::onPrint()
{
    grid->captureWidths();
    // Print colours while the pages are composed, screen colours again afterwards.
    grid->footerBackground = Qt::white;
    grid->footerText = Qt::black;
    printHandler()(this, snapshot());
    grid->footerBackground = QColor(0, 128, 0);
    grid->footerText = Qt::white;
    grid->footerWidget()->update();
}

void ListWindow::onQuery()
{
    const QueryDialogConfig* q = queryDialogConfig(m_config.queryDialog.isEmpty() ? m_config.className + QStringLiteral("_cx")
                                                                                  : m_config.queryDialog);
    if (!q)
        return;
    auto* dialog = new QueryDialog(*q, m_dm, this);
    prepareQueryDialog(dialog);
    Modal::exec(dialog);
    delete dialog;
}

void ListWindow::onReturn()
{
    close();
}

void ListWindow::onDichromatic()
{
    grid->viewport()->update();
}

void ListWindow::onAutoWidth()
{
    grid->setAutoFitColWidths(autoWidthBox->isChecked());
}

QColor ListWindow::rowColour(int row) const
{
    // Odd record numbers (1-based) are tinted while 区分网格 is checked.
    if (dichromaticBox->isChecked() && row % 2 == 0)
        return QColor(236, 249, 249);
    return Qt::white;
}

void ListWindow::updateToolButtons()
{
    if (!showColumnButton)
        return;
    bool allShown = true;
    for (const auto& c : m_model->columns())
        allShown = allShown && c.visible;
    showColumnButton->setEnabled(!allShown && !hiddenColumnsMenu->actions().isEmpty());
}

void ListWindow::onHideColumn()
{
    if (m_model->shown().size() <= 3)
        return;
    grid->captureWidths();
    const int index = m_model->shown().last();
    const GridColumn& c = m_model->columns()[index];
    auto* entry = new QAction(popupCaption(c.caption()), hiddenColumnsMenu);
    entry->setData(c.field);
    const auto actions = hiddenColumnsMenu->actions();
    hiddenColumnsMenu->insertAction(actions.isEmpty() ? nullptr : actions.first(), entry);
    m_model->setColumnVisible(index, false);
    if (showColumnButton)
        showColumnButton->setEnabled(true);
}

void ListWindow::onShowColumn()
{
    const auto actions = hiddenColumnsMenu->actions();
    if (actions.isEmpty())
        return;
    // The top entry is the most recently hidden column, the one right after the shown ones.
    QAction* top = actions.first();
    const QString field = top->data().toString();
    hiddenColumnsMenu->removeAction(top);
    delete top;
    grid->captureWidths();
    m_model->showAfterShown(m_model->columnIndexOf(field));
    updateToolButtons();
    if (hideColumnButton)
        hideColumnButton->setEnabled(true);
}

void ListWindow::onHiddenColumnChosen(QAction* entry)
{
    if (!entry)
        return;
    const QString field = entry->data().toString();
    grid->captureWidths();
    m_model->showAfterShown(m_model->columnIndexOf(field));
    hiddenColumnsMenu->removeAction(entry);
    entry->deleteLater();
    updateToolButtons();
}

void ListWindow::onTitleClick(int section, Qt::KeyboardModifiers modifiers)
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
    onSortMarksChanged();
}

void ListWindow::onSortMarksChanged()
{
    if (m_config.sort != SortMode::Rebuild)
        return;
    // The query text is never changed while it holds no rows.
    if (!m_query->isOpen() || m_query->isEmpty())
        return;
    const QString line = sortOrderLine(m_model->sortMarks());
    QVector<OrderMark> marks;
    for (const SortMark& m : m_model->sortMarks())
        marks << OrderMark{m.field, m.descending};
    try {
        m_query->close();
        if (const ListQuery* list = m_query->listQuery()) {
            m_query->setQuery(list->withOrder(marks, line));
        } else {
            QStringList sql = m_query->sql();
            if (sql.isEmpty())
                sql << line;
            else
                sql.last() = line;
            m_query->setSql(sql);
        }
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
        s.columns.push_back({c.caption(), type, c.width > 0 ? c.width : grid->horizontalHeader()->sectionSize(sec)});
    }
    s.rows = RecordRows(m_query, fields);
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
    grid->captureWidths();
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
        ini.setValue(QStringLiteral("AutoFitColWidths"), grid->autoFitColWidths());
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
    const bool autoFit = ini.value(QStringLiteral("AutoFitColWidths"), grid->autoFitColWidths()).toBool();
    ini.endGroup();
    m_model->setColumns(restored);
    if (!reduced)
        grid->setAutoFitColWidths(autoFit);
    grid->applyWidths();
    syncSelection();  // the reset of the columns left the view without a current cell
    // Columns hidden in the stored layout are not offered by the show button.
    if (showColumnButton)
        showColumnButton->setEnabled(false);
    hiddenColumnsMenu->clear();
}

void registerListWindows()
{
    for (const ListWindowConfig& config : listWindowTable()) {
        if (WindowRegistry::find(config.className))
            continue;
        WindowRegistry::add(config.className, [config](QWidget* owner, TDm1* dm) { return new ListWindow(config, dm, owner); });
    }
}
