#include "rental/handoverdialog.h"

#include "core/clock.h"
#include "core/dates.h"
#include "core/session.h"
#include "data/database.h"
#include "data/datamodule.h"
#include "rental/damagediagram.h"
#include "rental/handoverpaper.h"
#include "rental/papers.h"
#include "ui/common/messages.h"
#include "ui/common/modal.h"
#include "ui/records/writefailure.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

// The text of a mark: typed, or one of the usual kinds picked.
class DamageKindDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex&) const override
    {
        auto* box = new QComboBox(parent);
        box->setEditable(true);
        box->addItems(Handover::damageKinds());
        return box;
    }
    void setEditorData(QWidget* editor, const QModelIndex& index) const override
    {
        static_cast<QComboBox*>(editor)->setEditText(index.data(Qt::EditRole).toString());
    }
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override
    {
        model->setData(index, static_cast<QComboBox*>(editor)->currentText().trimmed(), Qt::EditRole);
    }
};

QPushButton* button(QWidget* parent, const QString& name, const QString& caption, bool flat)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setFlat(flat);
    b->setAutoDefault(false);
    return b;
}

}  // namespace

// ---- 交车检查单 / 收车检查单 ----

HandoverDialog::HandoverDialog(QWidget* parent, TDm1* dm, const QString& contract, Handover::Stage stage) : QDialog(parent), m_dm(dm)
{
    const bool atReturn = stage == Handover::Stage::Return;
    setObjectName(u"HandoverDialog"_s);
    setWindowTitle(atReturn ? u"收车检查单"_s : u"交车检查单"_s);

    Database& db = dm->ADO_qczl;
    QSqlQuery c = db.run(u"select 客户姓名, 车牌号 from 汽车租赁登记表 where 内部编号=?"_s, {contract});
    m_found = c.next();
    const QString customer = m_found ? c.value(0).toString().trimmed() : QString();
    const QString plate = m_found ? c.value(1).toString().trimmed() : QString();

    m_sheet.contract = contract;
    m_sheet.stage = stage;
    m_sheet.inspector = Session::currentOperator().name;
    if (const auto stored = Handover::load(db, contract, stage))
        m_sheet = *stored;
    if (atReturn)
        m_dispatch = Handover::load(db, contract, Handover::Stage::Dispatch);
    QStringList items = Handover::accessoryItems(db);
    // What the sheet recorded stays on it when the office has since dropped the item.
    for (const QString& a : m_sheet.accessories)
        if (!items.contains(a))
            items << a;

    auto* header = new QLabel(u"合同号：%1　　车牌号：%2　　客户：%3"_s.arg(contract, plate, customer), this);
    header->setObjectName(u"contractLabel"_s);

    diagram = new DamageDiagram(this);
    diagram->setMarks(m_sheet.marks);
    if (m_dispatch)
        diagram->setEarlierMarks(m_dispatch->marks);
    diagram->setNumbering([this] { return Handover::nextMarkNumber(m_dispatch, sheet()); });

    marksTable = new QTableWidget(0, 2, this);
    marksTable->setObjectName(u"marksTable"_s);
    marksTable->setHorizontalHeaderLabels({u"编号"_s, atReturn ? u"新增损伤"_s : u"损伤情况"_s});
    marksTable->verticalHeader()->hide();
    marksTable->horizontalHeader()->setStretchLastSection(true);
    marksTable->setColumnWidth(0, 44);
    marksTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    marksTable->setSelectionMode(QAbstractItemView::SingleSelection);
    marksTable->setItemDelegateForColumn(1, new DamageKindDelegate(marksTable));
    marksTable->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked
                                | QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    deleteMarkButton = button(this, u"deleteMark"_s, u"删除"_s, false);

    fuelBox = new QComboBox(this);
    fuelBox->setObjectName(u"fuelBox"_s);
    fuelBox->addItem(u"未记录"_s, -1);
    for (int i = 0; i <= Handover::FullTank; ++i)
        fuelBox->addItem(HandoverPaper::fuelText(i), i);
    fuelBox->setCurrentIndex(qMax(0, fuelBox->findData(m_sheet.fuel)));

    auto* accessoryBox = new QGroupBox(u"随车物品"_s, this);
    accessoryBox->setObjectName(u"accessoryBox"_s);
    auto* grid = new QGridLayout(accessoryBox);
    for (const QString& item : items) {
        auto* check = new QCheckBox(item, accessoryBox);
        check->setObjectName(u"accessory_"_s + item);
        check->setChecked(m_sheet.accessories.contains(item));
        grid->addWidget(check, int(accessories.size()) / 3, int(accessories.size()) % 3);
        accessories << check;
        connect(check, &QCheckBox::toggled, this, &HandoverDialog::touched);
    }
    if (items.isEmpty())
        grid->addWidget(new QLabel(u"没有设置随车物品（系统维护 → 随车物品设置）"_s, accessoryBox), 0, 0);

    inspectorEdit = new QLineEdit(m_sheet.inspector, this);
    inspectorEdit->setObjectName(u"inspectorEdit"_s);
    remarksEdit = new QLineEdit(m_sheet.remarks, this);
    remarksEdit->setObjectName(u"remarksEdit"_s);
    checkedAtLabel = new QLabel(m_sheet.checkedAt.isValid() ? Dates::displayDateTime(m_sheet.checkedAt) : u"（未存盘）"_s, this);
    checkedAtLabel->setObjectName(u"checkedAtLabel"_s);

    auto* form = new QFormLayout;
    form->addRow(u"油量："_s, fuelBox);
    form->addRow(u"检查人："_s, inspectorEdit);
    form->addRow(u"检查时间："_s, checkedAtLabel);
    form->addRow(u"备注："_s, remarksEdit);

    dispatchLabel = new QLabel(this);
    dispatchLabel->setObjectName(u"dispatchLabel"_s);
    dispatchLabel->setWordWrap(true);
    dispatchLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    if (atReturn) {
        dispatchLabel->setText(m_dispatch ? HandoverPaper::summary(*m_dispatch)
                                          : u"该合同交车时没有填写检查单，无法与交车时的车况对照。"_s);
    } else {
        dispatchLabel->hide();
    }

    saveButton = button(this, u"bitbtn_save"_s, u"存盘 (&S)"_s, true);
    printButton = button(this, u"PrintHandover"_s, u"打印检查单"_s, true);
    closeButton = button(this, u"bitbtn_close"_s, u"返回 (&R)"_s, true);

    auto* left = new QVBoxLayout;
    left->addWidget(header);
    auto* hint = new QLabel(atReturn ? u"在车身上单击左键标记新发现的损伤（灰色为交车时的标记），右键单击标记删除。"_s
                                     : u"在车身上单击左键标记损伤，右键单击标记删除。"_s,
                            this);
    hint->setStyleSheet(u"color:#606060"_s);
    left->addWidget(hint);
    left->addWidget(diagram, 1);
    auto* marksRow = new QHBoxLayout;
    marksRow->addWidget(marksTable, 1);
    auto* marksButtons = new QVBoxLayout;
    marksButtons->addWidget(deleteMarkButton);
    marksButtons->addStretch(1);
    marksRow->addLayout(marksButtons);
    left->addLayout(marksRow);

    auto* right = new QVBoxLayout;
    if (atReturn) {
        auto* compare = new QGroupBox(u"交车时车况"_s, this);
        auto* compareLayout = new QVBoxLayout(compare);
        compareLayout->addWidget(dispatchLabel);
        right->addWidget(compare);
    }
    right->addLayout(form);
    right->addWidget(accessoryBox);
    right->addStretch(1);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(saveButton);
    buttons->addWidget(printButton);
    buttons->addWidget(closeButton);
    buttons->addStretch(1);

    auto* outer = new QHBoxLayout(this);
    outer->addLayout(left, 3);
    outer->addLayout(right, 2);
    outer->addLayout(buttons);
    resize(900, 600);

    showMarks();
    connect(diagram, &DamageDiagram::marksChanged, this, [this] {
        touched();
        showMarks();
    });
    connect(diagram, &DamageDiagram::markSelected, this, [this](int number) {
        for (int row = 0; row < marksTable->rowCount(); ++row)
            if (marksTable->item(row, 0)->text().toInt() == number) {
                marksTable->setCurrentCell(row, 1);
                // A new mark's text is typed at once.
                if (marksTable->item(row, 1)->text().isEmpty())
                    marksTable->editItem(marksTable->item(row, 1));
            }
    });
    connect(marksTable, &QTableWidget::cellChanged, this, &HandoverDialog::markTextEdited);
    connect(marksTable, &QTableWidget::itemSelectionChanged, this, &HandoverDialog::rowSelected);
    connect(deleteMarkButton, &QPushButton::clicked, this, &HandoverDialog::deleteSelectedMark);
    connect(fuelBox, &QComboBox::currentIndexChanged, this, &HandoverDialog::touched);
    connect(inspectorEdit, &QLineEdit::textEdited, this, &HandoverDialog::touched);
    connect(remarksEdit, &QLineEdit::textEdited, this, &HandoverDialog::touched);
    connect(saveButton, &QPushButton::clicked, this, &HandoverDialog::save);
    connect(printButton, &QPushButton::clicked, this, &HandoverDialog::print);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::reject);
}

Handover::Sheet HandoverDialog::sheet() const
{
    Handover::Sheet s = m_sheet;
    s.marks = diagram->marks();
    s.fuel = fuelBox->currentData().toInt();
    s.accessories.clear();
    for (const QCheckBox* c : accessories)
        if (c->isChecked())
            s.accessories << c->text();
    s.inspector = inspectorEdit->text().trimmed();
    s.remarks = remarksEdit->text().trimmed();
    return s;
}

void HandoverDialog::showMarks()
{
    const QSignalBlocker quiet(marksTable);
    const QVector<Handover::Mark>& marks = diagram->marks();
    marksTable->setRowCount(int(marks.size()));
    for (int row = 0; row < marks.size(); ++row) {
        auto* number = new QTableWidgetItem(QString::number(marks[row].number));
        number->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
        number->setTextAlignment(Qt::AlignCenter);
        number->setForeground(QColor(DamageDrawing::NewDamage));
        marksTable->setItem(row, 0, number);
        marksTable->setItem(row, 1, new QTableWidgetItem(marks[row].text));
    }
}

void HandoverDialog::markTextEdited(int row, int column)
{
    if (column != 1 || row < 0 || row >= diagram->marks().size())
        return;
    QVector<Handover::Mark> marks = diagram->marks();
    marks[row].text = marksTable->item(row, 1)->text().trimmed();
    diagram->setMarks(marks);
    touched();
}

void HandoverDialog::rowSelected()
{
    const int row = marksTable->currentRow();
    diagram->setSelected(row >= 0 && row < diagram->marks().size() ? diagram->marks()[row].number : 0);
}

void HandoverDialog::deleteSelectedMark()
{
    const int row = marksTable->currentRow();
    if (row < 0 || row >= diagram->marks().size()) {
        Msg::warn(this, u"请先选择要删除的标记!"_s);
        return;
    }
    diagram->removeMark(diagram->marks()[row].number);
}

bool HandoverDialog::save()
{
    // An editor still open holds text the table has not taken yet: leaving its cell commits it.
    if (const QModelIndex at = marksTable->currentIndex(); at.isValid()) {
        marksTable->setCurrentIndex(QModelIndex());
        marksTable->setCurrentIndex(at);
    }
    Handover::Sheet s = sheet();
    s.checkedAt = Clock::now();
    try {
        s.revision = Handover::save(m_dm->ADO_qczl, s);
    } catch (const DbError& e) {
        reportWriteFailure(this, e, WriteAction::Save);
        return false;
    }
    m_sheet = s;
    m_dirty = false;
    checkedAtLabel->setText(Dates::displayDateTime(s.checkedAt));
    Msg::warn(this, u"存盘完毕！"_s);
    return true;
}

void HandoverDialog::print()
{
    if (m_dirty) {
        Msg::warn(this, u"检查单还没有存盘，不能打印，请先存盘!"_s);
        return;
    }
    HandoverWindows::print(this, m_dm, m_sheet.contract);
}

// ---- 随车物品设置 ----

AccessoryChecklistWindow::AccessoryChecklistWindow(QWidget* owner, TDm1* dm) : QDialog(owner), m_dm(dm)
{
    setObjectName(u"AccessoryChecklistWindow"_s);
    setWindowTitle(u"随车物品设置"_s);
    itemsEdit = new QPlainTextEdit(this);
    itemsEdit->setObjectName(u"itemsEdit"_s);
    m_read = Handover::accessoryItems(dm->ADO_qczl);
    itemsEdit->setPlainText(m_read.join(u'\n'));
    saveButton = button(this, u"bitbtn_save"_s, u"存盘 (&S)"_s, true);
    closeButton = button(this, u"bitbtn_close"_s, u"返回 (&R)"_s, true);
    auto* left = new QVBoxLayout;
    left->addWidget(new QLabel(u"交车、收车检查单上的随车物品，每行一项，按打印的顺序排列："_s, this));
    left->addWidget(itemsEdit, 1);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(saveButton);
    buttons->addWidget(closeButton);
    buttons->addStretch(1);
    auto* outer = new QHBoxLayout(this);
    outer->addLayout(left, 1);
    outer->addLayout(buttons);
    resize(420, 360);
    connect(saveButton, &QPushButton::clicked, this, &AccessoryChecklistWindow::save);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::reject);
}

bool AccessoryChecklistWindow::save()
{
    QStringList items;
    for (const QString& line : itemsEdit->toPlainText().split(u'\n'))
        items << line.trimmed();
    try {
        // Another workstation's change in between is not overwritten unseen.
        Handover::setAccessoryItems(m_dm->ADO_qczl, items, m_read);
        m_read = Handover::accessoryItems(m_dm->ADO_qczl);
        itemsEdit->setPlainText(m_read.join(u'\n'));
    } catch (const DbError& e) {
        reportWriteFailure(this, e, WriteAction::Save);
        return false;
    }
    Msg::warn(this, u"存盘完毕！"_s);
    return true;
}

// ---- entry points ----

namespace HandoverWindows {

void open(QWidget* parent, TDm1* dm, const QString& contract, Handover::Stage stage)
{
    if (contract.isEmpty())  // an empty list: no row to check
        return;
    try {
        HandoverDialog d(parent, dm, contract, stage);
        if (!d.contractFound()) {
            Msg::warn(parent, u"租赁 %1 已被删除，不能填写检查单!"_s.arg(contract));
            return;
        }
        Modal::exec(&d);
    } catch (const DbError& e) {
        Msg::error(parent, e.text());
    }
}

void print(QWidget* parent, TDm1* dm, const QString& contract)
{
    if (!contract.isEmpty())
        Papers::print(parent, dm->ADO_qczl, Papers::handoverSheet(), contract);
}

}  // namespace HandoverWindows
