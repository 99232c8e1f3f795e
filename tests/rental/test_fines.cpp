// Traffic fines charged to the right renter, on a real database: the contract whose period covered
// the moment (its dispatch and return minutes included, the handover minute to the one dispatching,
// an open contract up to now), the office's own outside every rental; the register's save storing
// the match; the unpaid fines said at a new contract and shown in the settlement dialog.
#include "fixture.h"
#include "data/maintenance.h"
#include "rental/backoffice.h"
#include "rental/bookings.h"
#include "rental/fines.h"
#include "rental/fineswindow.h"
#include "ui/common/messages.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

namespace {

const QString Saved = QStringLiteral("存盘完毕！");

QDateTime at(const char* text)
{
    return QDateTime::fromString(QString::fromLatin1(text), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

}  // namespace

class TestFines : public RentalFixture {
    Q_OBJECT

    void contract(const QString& number, const QString& customer, const QString& name, const QString& plate, const QString& dispatch,
                  int days, const QString& state, const QVariant& returnedAt)
    {
        exec(QStringLiteral("insert into 汽车租赁登记表 (内部编号, 客户号, 客户姓名, 车牌号, 发车日期, 租赁期限, 客户交车, 收车日期) "
                             "values (?, ?, ?, ?, '%1', ?, ?, ?)")
                 .arg(dispatch),
             {number, customer, name, plate, days, state, returnedAt});
    }

    void fine(const QString& plate, const QString& when, const QString& amount, const QVariant& state, const QString& customer,
              const QString& number)
    {
        exec(QStringLiteral("insert into 违章登记 (车牌号, 违章时间, 罚款金额, 处理状态, 客户号, 租赁内部编号) values (?, '%1', %2, ?, ?, ?)")
                 .arg(when, amount),
             {plate, state, customer, number});
    }

    QString matched(const char* plate, const char* when)
    {
        const Fines::Match m = Fines::matchContract(dm.ADO_qczl, QString::fromUtf8(plate), at(when), Clock::now());
        return m.officeOwn() ? Fines::OfficeOwn : m.number + QLatin1Char('/') + m.customer + QLatin1Char('/') + m.phone;
    }

private Q_SLOTS:
    void initTestCase() { setUp(); }
    void cleanupTestCase() { tearDown(); }
    void init()
    {
        exec(QStringLiteral("delete from 汽车租赁登记表"));
        exec(QStringLiteral("delete from 违章登记"));
        // Now is 1 May 09:30. 苏A00001: 王一 from 10 to 15 April 18:00, 王二 from that minute to
        // 20 April 10:00:30, 王一 again since 28 April, still out. 苏A00002: back (已交) without a
        // return date, so its planned five days count.
        contract("ZL2004000001", "K001", "王一", "苏A00001", "2004-04-10 08:00:00", 5, "已交", "2004-04-15 18:00:00");
        contract("ZL2004000002", "K002", "王二", "苏A00001", "2004-04-15 18:00:00", 5, "已交", "2004-04-20 10:00:30");
        contract("ZL2004000003", "K001", "王一", "苏A00001", "2004-04-28 08:00:00", 2, "没有", QVariant());
        contract("ZL2004000004", "K002", "王二", "苏A00002", "2004-04-01 08:00:00", 5, "已交", QVariant());
    }

    void contractAtTheMoment_data()
    {
        QTest::addColumn<QString>("plate");
        QTest::addColumn<QString>("when");
        QTest::addColumn<QString>("expected");
        const QString one = QStringLiteral("ZL2004000001/K001/111"), two = QStringLiteral("ZL2004000002/K002/222"),
                      open = QStringLiteral("ZL2004000003/K001/111"), own = Fines::OfficeOwn;
        QTest::newRow("before dispatch") << "苏A00001" << "2004-04-10 07:59:59" << own;
        QTest::newRow("dispatch minute, seconds on") << "苏A00001" << "2004-04-10 08:00:59" << one;
        QTest::newRow("within") << "苏A00001" << "2004-04-12 13:00:00" << one;
        QTest::newRow("handover minute to the one dispatching") << "苏A00001" << "2004-04-15 18:00:00" << two;
        QTest::newRow("return minute, seconds before the return") << "苏A00001" << "2004-04-20 10:00:00" << two;
        QTest::newRow("after the return") << "苏A00001" << "2004-04-20 10:01:00" << own;
        QTest::newRow("between rentals") << "苏A00001" << "2004-04-25 10:00:00" << own;
        QTest::newRow("open contract") << "苏A00001" << "2004-04-30 23:00:00" << open;
        QTest::newRow("open contract, now") << "苏A00001" << "2004-05-01 09:30:00" << open;
        QTest::newRow("open contract, after now") << "苏A00001" << "2004-05-01 09:31:00" << own;
        QTest::newRow("plate as the engine compares") << "苏a00001" << "2004-04-12 13:00:00" << one;
        QTest::newRow("returned without a date: planned end") << "苏A00002" << "2004-04-06 08:00:00"
                                                              << QStringLiteral("ZL2004000004/K002/222");
        QTest::newRow("returned without a date: after it") << "苏A00002" << "2004-04-06 08:01:00" << own;
        QTest::newRow("another vehicle") << "苏B99999" << "2004-04-12 13:00:00" << own;
    }
    void contractAtTheMoment()
    {
        QFETCH(QString, plate);
        QFETCH(QString, when);
        QFETCH(QString, expected);
        QCOMPARE(matched(plate.toUtf8().constData(), when.toLatin1().constData()), expected);
    }

    // Unpaid: anything not 已缴纳, an empty state included; by customer and by contract.
    void unpaidFines()
    {
        fine("苏A00001", "2004-04-12 13:00:00", "200", Fines::Unhandled, "K001", "ZL2004000001");
        fine("苏A00001", "2004-04-29 13:00:00", "150.5", Fines::Passed, "K001", "ZL2004000003");
        fine("苏A00001", "2004-04-30 13:00:00", "100", Fines::Paid, "K001", "ZL2004000003");
        fine("苏A00001", "2004-04-30 14:00:00", "0.25", QVariant(), "K001", "ZL2004000003");
        fine("苏A00001", "2004-04-25 10:00:00", "999", Fines::Unhandled, "", "");
        Database& db = dm.ADO_qczl;
        const Fines::Unpaid customer = Fines::unpaidOfCustomer(db, QStringLiteral("k001"));
        QCOMPARE(customer.count, 3);
        QCOMPARE(customer.total.toString(), QStringLiteral("350.7500"));
        const Fines::Unpaid contract = Fines::unpaidOfContract(db, QStringLiteral("ZL2004000003"));
        QCOMPARE(contract.count, 2);
        QCOMPARE(Fines::unpaidLine(contract), QStringLiteral("未缴纳违章 2 笔，罚款合计 150.75 元"));
        // The office's own fines are nobody's: an empty customer finds none of them.
        QCOMPARE(Fines::unpaidOfCustomer(db, QString()).count, 0);
        QCOMPARE(Fines::unpaidOfCustomer(db, QStringLiteral("K002")).count, 0);

        // The register's query by customer finds all of his fines, paid ones too.
        const QueryDialogConfig& query = FinesWindow::spec().query;
        reopen(dm.q_wzdj, buildQueryLines(query, buildCondition(query, {{QStringLiteral("ed客户号"), QStringLiteral("k001")}})));
        QCOMPARE(dm.q_wzdj.recordCount(), 4);
        reopen(dm.q_wzdj, buildQueryLines(query, buildCondition(query, {{QStringLiteral("ed客户号"), QStringLiteral("k001")},
                                                                        {QStringLiteral("cb处理状态"), Fines::Paid}})));
        QCOMPARE(dm.q_wzdj.recordCount(), 1);
        dm.q_wzdj.close();
    }

    // The register's 存盘 stores the renter of the moment, and moves the fine when the moment is
    // changed; the dialog shows the match as the clerk types.
    void registerSaveStoresTheMatch()
    {
        reopen(dm.q_wzdj, {QStringLiteral("select * from 违章登记 "), QStringLiteral("order by 违章时间")});
        FinesWindow list(nullptr, &dm);
        Msg::Recorder msgs;
        std::unique_ptr<FineEditDialog> d(new FineEditDialog(&dm, &list));
        d->setItemsFor(QStringLiteral("车牌号"), {QStringLiteral("苏A00001"), QStringLiteral("苏A00002")});
        d->show();
        // Typed into the empty list: the first row.
        type(d->fieldFor(QStringLiteral("车牌号")), QStringLiteral("苏A00001"));
        type(d->field(QStringLiteral("DBDateTimeEditEh1")), QStringLiteral("20040415"));
        type(d->field(QStringLiteral("DBDateTimeEditEh2")), QStringLiteral("180000"));
        QCOMPARE(d->renterLine->text(), QStringLiteral("租赁 ZL2004000002 王二 (222)"));
        type(d->fieldFor(QStringLiteral("罚款金额")), QStringLiteral("200"));
        type(d->fieldFor(QStringLiteral("扣分")), QStringLiteral("3"));
        d->saveButton->click();
        QCOMPARE(msgs.texts(), QStringList{Saved});
        const QString columns = QStringLiteral("select 违章时间, 扣分, 处理状态, 租赁内部编号, 客户号, 客户姓名, 联系电话, 操作员 from 违章登记");
        QCOMPARE(row(columns), QStringLiteral("2004-04-15 18:00:00/3/未处理/ZL2004000002/K002/王二/222/张三"));
        QCOMPARE(Money::fromVariant(scalar(QStringLiteral("select 罚款金额 from 违章登记"))).toString(), QStringLiteral("200.0000"));

        // A minute earlier than any rental of the morning: the office's own, the renter cleared.
        type(d->field(QStringLiteral("DBDateTimeEditEh1")), QStringLiteral("20040410"));
        type(d->field(QStringLiteral("DBDateTimeEditEh2")), QStringLiteral("075900"));
        QCOMPARE(d->renterLine->text(), Fines::OfficeOwn);
        msgs.clear();
        d->saveButton->click();
        QCOMPARE(msgs.texts(), QStringList{Saved});
        QCOMPARE(row(columns, QStringLiteral("-")), QStringLiteral("2004-04-10 07:59:00/3/未处理/-/-/-/-/张三"));
    }

    // A new contract for a customer with unpaid fines is told of them and still saved; a customer
    // without any is not.
    void unpaidFinesSaidAtANewContract()
    {
        fine("苏A00001", "2004-04-12 13:00:00", "200", Fines::Unhandled, "K001", "ZL2004000001");
        fine("苏A00001", "2004-04-29 13:00:00", "50", Fines::Passed, "K001", "ZL2004000003");
        fine("苏A00001", "2004-04-17 13:00:00", "80", Fines::Paid, "K002", "ZL2004000002");
        exec(QStringLiteral("update 汽车档案 set 车辆状态='空闲'"));
        reopen(dm.q_qczlb, {QStringLiteral("select * from 汽车租赁登记表 "), QStringLiteral("order by 内部编号")});
        TForm_qczlb list(nullptr, &dm);
        TForm_qczlb_edit d(&list, &dm);
        d.fillDropDowns();
        Msg::Recorder msgs;
        auto typeContract = [&](const QString& customer, const QString& day) {
            d.addButton->click();
            auto* customers = qobject_cast<QComboBox*>(d.fieldFor(QStringLiteral("客户号")));
            customers->setCurrentIndex(customers->findText(customer));
            d.customerLeft();
            type(d.fieldFor(QStringLiteral("车牌号")), QStringLiteral("苏A00002"));
            type(d.fieldFor(QStringLiteral("租赁期限")), QStringLiteral("1"));
            type(d.field(QStringLiteral("DBDateTimeEditEh1")), day);
            type(d.field(QStringLiteral("DBDateTimeEditEh2")), QStringLiteral("100000"));
            d.saveButton->click();
        };
        typeContract(QStringLiteral("K001 王一"), QStringLiteral("20040501"));
        QCOMPARE(msgs.texts(), (QStringList{QStringLiteral("客户 王一 有未缴纳的违章 2 笔，罚款合计 250.00 元，请提醒客户处理!"), Saved}));
        QCOMPARE(scalar(QStringLiteral("select count(*) from 汽车租赁登记表 where 客户号='K001'")).toInt(), 3);

        exec(QStringLiteral("update 汽车档案 set 车辆状态='空闲'"));
        msgs.clear();
        typeContract(QStringLiteral("K002 王二"), QStringLiteral("20040503"));
        QCOMPARE(msgs.texts(), QStringList{Saved});
    }

    // The settlement dialog shows the unpaid fines of the contract it settles, and only of it.
    void settlementShowsTheContractsFines()
    {
        fine("苏A00001", "2004-04-29 13:00:00", "150", Fines::Passed, "K001", "ZL2004000003");
        fine("苏A00001", "2004-04-30 13:00:00", "100", Fines::Paid, "K001", "ZL2004000003");
        fine("苏A00001", "2004-04-12 13:00:00", "200", Fines::Unhandled, "K001", "ZL2004000001");
        for (const auto& [number, shown] : {std::pair{"ZL2004000003", "未缴纳违章 1 笔，罚款合计 150.00 元"}, std::pair{"ZL2004000002", "无"}}) {
            reopen(dm.q_qczlb, {QStringLiteral("select * from 汽车租赁登记表 where 内部编号='%1'").arg(QLatin1String(number))});
            TForm_qczljsd list(nullptr, &dm);
            Msg::Recorder msgs;
            TForm_qczljsd_edit d(&list, &dm);
            d.show();
            QCOMPARE(d.unpaidFinesLine->text(), QString::fromUtf8(shown));
            QVERIFY(d.unpaidFinesLine->isReadOnly());
            d.cancelButton->click();
        }
    }

    // Data initialization empties the fines with the contracts they are charged to, and only then
    // (last: it empties the other tables too).
    void initializationTakesFinesWithContracts()
    {
        fine("苏A00001", "2004-04-12 13:00:00", "200", Fines::Unhandled, "K001", "ZL2004000001");
        QVector<bool> ticked(Maintenance::initTables().size(), true);
        qsizetype contracts = -1;
        for (qsizetype i = 0; i < ticked.size(); ++i)
            if (Maintenance::initTables()[i].caption == QStringLiteral("汽车租赁登记表"))
                contracts = i;
        QVERIFY(contracts >= 0);
        ticked[contracts] = false;
        Maintenance::initialize(dm.ADO_qczl, ticked);
        QCOMPARE(scalar(QStringLiteral("select count(*) from 违章登记")).toInt(), 1);
        ticked.fill(false);
        ticked[contracts] = true;
        Maintenance::initialize(dm.ADO_qczl, ticked);
        QCOMPARE(scalar(QStringLiteral("select count(*) from 违章登记")).toInt(), 0);
    }
};

QTEST_MAIN(TestFines)
#include "test_fines.moc"
