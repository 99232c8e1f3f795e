#include "rental/bookings.h"
#include "core/dates.h"
#include "data/columns.h"
#include "rental/customers.h"
#include "data/database.h"
#include "data/datamodule.h"
#include "data/lookups.h"
#include "ui/common/inputmethods.h"
#include "ui/common/messages.h"
#include "ui/records/querydialog.h"

#include <QComboBox>
#include <QEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QAbstractItemView>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QLineEdit>
#include <QKeyEvent>
#include <QToolButton>

namespace {
const QString Number = Col::内部编号;
const QString Customer = Col::客户号;
const QString Name = Col::客户姓名;
const QString Plate = Col::车牌号;
}  // namespace

QVector<FieldDef> BookingDialog::withPartyFields(const QVector<FieldDef>& rest)
{
    using F = FieldKind;
    QVector<FieldDef> fields{
        {.objectName = "DBEditEh1", .label = "内部编号：", .column = Col::内部编号, .upper = true},
        {.objectName = "DBComboBoxEh1", .label = "客户号：", .column = Col::客户号, .kind = F::Lookup},
        {.objectName = "DBEditEh2", .label = "姓名：", .column = Col::客户姓名, .kind = F::ReadOnly},
        {.objectName = "DBComboBoxEh2", .label = "车牌号：", .column = Col::车牌号, .kind = F::Combo},
    };
    return fields + rest;
}

BookingDialog::BookingDialog(const EditDialogConfig& config, const BookingKind& kind, const QVector<FieldDef>& fields, TDm1* dm,
                             QWidget* owner)
    : EditDialog(config, fields, dm, owner), m_kind(kind)
{
    // The number is given by 增加, the name follows the customer: neither is typed.
    for (const QString& column : {Number, Name}) {
        if (QWidget* w = fieldFor(column)) {
            w->setToolTip(QStringLiteral("不能编辑"));
            if (column == Number)
                w->setEnabled(false);
        }
    }
    auto* customer = qobject_cast<QComboBox*>(fieldFor(Customer));
    customer->setMaxVisibleItems(20);
    customer->installEventFilter(this);
    if (auto* plate = qobject_cast<QComboBox*>(fieldFor(Plate)))
        plate->setMaxVisibleItems(18);
    if (auto* handler = qobject_cast<QComboBox*>(fieldFor(Col::租赁公司经办人)))
        handler->setMaxVisibleItems(20);
    connect(customer, QOverload<int>::of(&QComboBox::activated), this, [this] { customerLeft(); });

    // The search button and its note beside the customer drop-down.
    searchButton = new QToolButton(this);
    searchButton->setObjectName(QStringLiteral("SpeedButton1"));
    searchButton->setText(QStringLiteral("..."));
    searchButton->setToolTip(QStringLiteral("查找客户"));
    searchButton->setAccessibleName(QStringLiteral("查找客户"));
    searchNote = new QLabel(QStringLiteral("(F2键查找客户)"), this);
    if (auto* form = customer->parentWidget()->findChild<QFormLayout*>()) {
        int row = -1;
        QFormLayout::ItemRole role;
        form->getWidgetPosition(customer, &row, &role);
        if (row >= 0) {
            QLayoutItem* label = form->itemAt(row, QFormLayout::LabelRole);
            QWidget* labelWidget = label ? label->widget() : nullptr;
            form->removeWidget(customer);
            if (labelWidget)
                form->removeWidget(labelWidget);
            form->removeRow(row);
            auto* line = new QHBoxLayout;
            line->addWidget(customer, 1);
            line->addWidget(searchButton);
            line->addWidget(searchNote);
            form->insertRow(row, labelWidget, line);
        }
    }
    connect(searchButton, &QToolButton::clicked, this, &BookingDialog::searchCustomerClick);
    setFirstField(customer->objectName());
}

void BookingDialog::fillDropDowns()
{
    Database& db = dm()->ADO_qczl;
    setItemsFor(Plate, Lookups::platesInService(db));
    const QVector<LookupItem> customers = Lookups::activeCustomers(db);
    setLookupItems(Customer, customers);
    setItemsFor(Col::租赁公司经办人, Lookups::handlers(db));
    fitCustomerWidth(customers);
}

void BookingDialog::fitCustomerWidth(const QVector<LookupItem>& items)
{
    // "客户号 客户姓名" is read whole: the field is as wide as the longest entry (up to a bound, past
    // which the list still opens wide enough to show every entry whole).
    auto* box = qobject_cast<QComboBox*>(fieldFor(Customer));
    const QFontMetrics fm(box->font());
    int widest = 0;
    for (const LookupItem& i : items)
        widest = std::max(widest, fm.horizontalAdvance(i.text));
    QStyleOptionComboBox opt;
    opt.initFrom(box);
    opt.editable = box->isEditable();
    const int bound = fm.horizontalAdvance(QLatin1Char('0')) * 48;
    const int field =
        box->style()->sizeFromContents(QStyle::CT_ComboBox, &opt, QSize(std::min(widest, bound) + 8, fm.height()), box).width();
    box->setMinimumWidth(std::max(field, box->minimumSizeHint().width()));
    box->view()->setMinimumWidth(widest + box->view()->verticalScrollBar()->sizeHint().width() + 16);
}

void BookingDialog::searchCustomerClick()
{
    searchCustomer(this, dm(), m_kind.searchMode);
}

void BookingDialog::customerLeft()
{
    auto* box = qobject_cast<QComboBox*>(fieldFor(Customer));
    const int i = box->findText(box->currentText(), Qt::MatchExactly);
    if (i < 0)
        return;  // typed text that is no entry: the name stays as it is
    const QString entry = box->itemText(i);
    const int blank = entry.indexOf(QLatin1Char(' '));
    setColumn(Name, blank < 0 ? QString() : entry.mid(blank + 1));
}

void BookingDialog::keyPressEvent(QKeyEvent* event)
{
    // F2 anywhere in the dialog: no field takes it, so it arrives here.
    if (event->key() == Qt::Key_F2 && event->modifiers() == Qt::NoModifier) {
        searchCustomerClick();
        return;
    }
    EditDialog::keyPressEvent(event);
}

bool BookingDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == fieldFor(Customer) && event->type() == QEvent::FocusOut)
        customerLeft();
    return EditDialog::eventFilter(watched, event);
}

bool BookingDialog::addGuardPasses()
{
    try {
        Database& db = dm()->ADO_qczl;
        if (m_kind.prefix == Rental::ContractPrefix)
            Rental::clearStaleLinks(db);
        const Rental::Numbering n = Rental::nextNumber(db, m_kind.table, m_kind.prefix);
        if (!n.refusal.isEmpty()) {
            Msg::warn(this, n.refusal);
            return false;
        }
        m_proposed = n.number;
    } catch (const DbError& e) {
        Msg::error(this, e.text());
        return false;
    }
    return true;
}

void BookingDialog::initNewRow()
{
    query()->setValue(Number, m_proposed);
}

Rental::BookingValues BookingDialog::bookingValues() const
{
    const RecordSet* q = query();
    return {q->asString(Plate), q->asString(Customer), q->asString(Name), q->asDateTime(Col::发车日期), q->value(Col::租赁期限)};
}

bool BookingDialog::vehicleKnown()
{
    const QString plate = query()->asString(Plate);
    if (Rental::vehicleExists(dm()->ADO_qczl, plate))
        return true;
    return failAt(QStringLiteral("汽车档案中没有车牌号") + plate + QStringLiteral(",请重新输入!"), Plate);
}

void BookingDialog::keepNumberFree()
{
    if (query()->state() != RecordSet::Insert)
        return;
    Database& db = dm()->ADO_qczl;
    if (!Rental::numberStored(db, m_kind.table, query()->asString(Number)))
        return;
    const Rental::Numbering n = Rental::nextNumber(db, m_kind.table, m_kind.prefix);
    if (!n.refusal.isEmpty())
        throw DbError(n.refusal);
    query()->setValue(Number, n.number);
}

bool BookingDialog::vehicleChanged() const
{
    const RecordSet* q = query();
    if (q->state() == RecordSet::Insert)
        return true;
    return q->asString(Plate).compare(q->storedValue(Plate).toString(), Qt::CaseInsensitive) != 0;
}

bool BookingDialog::periodChanged() const
{
    const RecordSet* q = query();
    if (q->state() == RecordSet::Insert)
        return true;
    const QString days = Col::租赁期限;
    return q->asDateTime(Col::发车日期) != Dates::fromVariant(q->storedValue(Col::发车日期))
           || q->asInteger(days) != roundHalfEven(q->storedValue(days).toDouble());
}

namespace {

// The drop-downs of the contract and reservation query dialogs: every plate, the customers' names
// and numbers, the handlers.
void fillBookingQuery(QueryDialog* dialog, TDm1* dm)
{
    Database& db = dm->ADO_qczl;
    for (const QString& name : {QStringLiteral("cb客户姓名"), QStringLiteral("cb经办人")})
        InputMethods::applyCurrent(dialog->control(name));
    dialog->setItems(QStringLiteral("cb车牌号"), Lookups::plates(db));
    QStringList names, numbers;
    for (const LookupItem& c : Lookups::customers(db)) {
        numbers << c.key;
        names << c.text.mid(c.key.size() + 1);
    }
    dialog->setItems(QStringLiteral("cb客户号"), numbers);
    dialog->setItems(QStringLiteral("cb客户姓名"), names);
    dialog->setItems(QStringLiteral("cb经办人"), Lookups::handlers(db));
}

}  // namespace

BookingListWindow::BookingListWindow(const ListWindowConfig& config, TDm1* dm, QWidget* owner) : ListWindow(config, dm, owner) {}

void BookingListWindow::prepareQueryDialog(QueryDialog* dialog)
{
    try {
        fillBookingQuery(dialog, dm());
    } catch (const DbError& e) {
        Msg::error(this, e.text());
    }
}
