// The handover sheets' storage: a sheet per contract and stage with its marks, saved whole or not
// at all, refused over another workstation's save, gone with its contract; the office's checklist.
#include "fixture.h"
#include "rental/bookings.h"
#include "rental/handover.h"
#include "ui/common/messages.h"

#include <QPushButton>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace Handover;

class TestSheets : public RentalFixture {
    Q_OBJECT

    void addContract(const QString& number)
    {
        exec(u"insert into 汽车租赁登记表 (内部编号, 客户号, 客户姓名, 车牌号, 发车日期, 租赁期限, 客户交车) values "
             "(?, 'K001', '王一', '苏A00001', '2004-05-01 10:00:00', 2, '没有')"_s,
             {number});
    }
    static Sheet dispatchSheet(const QString& number)
    {
        Sheet s;
        s.contract = number;
        s.fuel = 6;
        s.accessories = {u"备胎"_s, u"行驶证"_s};
        s.marks = {{1, 120, 300, u"划痕"_s}, {2, Scale, 0, u"左后门凹陷"_s}};
        s.inspector = u"张三"_s;
        s.checkedAt = QDateTime(QDate(2004, 5, 1), QTime(10, 5));
        s.remarks = u"O'Brien 的车"_s;
        return s;
    }

private Q_SLOTS:
    void initTestCase() { setUp(); }
    void cleanupTestCase() { tearDown(); }

    void savedWholeAndNeverOverAnotherSave()
    {
        addContract(u"ZL2004000001"_s);
        Database& db = dm.ADO_qczl;
        QVERIFY(!load(db, u"ZL2004000001"_s, Stage::Dispatch));
        Sheet s = dispatchSheet(u"ZL2004000001"_s);
        QCOMPARE(save(db, s), qint64(1));
        std::optional<Sheet> back = load(db, u"ZL2004000001"_s, Stage::Dispatch);
        QVERIFY(back);
        QCOMPARE(back->marks, s.marks);
        QCOMPARE(back->fuel, 6);
        QCOMPARE(back->accessories, s.accessories);
        QCOMPARE(back->checkedAt, s.checkedAt);
        QCOMPARE(back->remarks, s.remarks);
        QCOMPARE(back->revision, qint64(1));
        QVERIFY(!load(db, u"ZL2004000001"_s, Stage::Return));

        // Another workstation that read nothing, or an older revision, writes nothing.
        Sheet stale = s;
        stale.marks.clear();
        QVERIFY_THROWS_EXCEPTION(DbConflict, save(db, stale));
        back->marks.removeFirst();
        back->fuel = -1;
        QCOMPARE(save(db, *back), qint64(2));
        QVERIFY_THROWS_EXCEPTION(DbConflict, save(db, *back));
        QCOMPARE(load(db, u"ZL2004000001"_s, Stage::Dispatch)->marks.size(), 1);
        QCOMPARE(load(db, u"ZL2004000001"_s, Stage::Dispatch)->fuel, -1);

        // What a sheet cannot be is refused before anything is written.
        Sheet bad = *load(db, u"ZL2004000001"_s, Stage::Dispatch);
        for (const auto& spoil : std::initializer_list<std::function<void(Sheet&)>>{
                 [](Sheet& x) {
                     x.marks << Mark{7, Scale + 1, 10, u"划痕"_s};
                 },
                 [](Sheet& x) {
                     x.marks << Mark{2, 10, 10, u"划痕"_s} << Mark{2, 20, 20, u"凹陷"_s};
                 },
                 [](Sheet& x) { x.fuel = FullTank + 1; },
                 [](Sheet& x) {
                     x.marks << Mark{3, 10, 10, QString(300, u'长')};
                 },
                 [](Sheet& x) { x.contract = u"ZL2099999999"_s; }}) {
            Sheet x = bad;
            spoil(x);
            QVERIFY_THROWS_EXCEPTION(DbError, save(db, x));
        }
        QCOMPARE(load(db, u"ZL2004000001"_s, Stage::Dispatch)->revision, qint64(2));

        // The return's marks are numbered on from the dispatch's.
        Sheet ret;
        ret.contract = u"ZL2004000001"_s;
        ret.stage = Stage::Return;
        const auto dispatch = load(db, u"ZL2004000001"_s, Stage::Dispatch);
        QCOMPARE(nextMarkNumber(dispatch, ret), 3);
        ret.marks << Mark{3, 500, 500, u"破损"_s};
        QCOMPARE(nextMarkNumber(dispatch, ret), 4);
        QCOMPARE(save(db, ret), qint64(1));
        QCOMPARE(row(u"select 检查阶段, count(*) from 车损标记 group by 检查阶段 order by 检查阶段"_s), u"交车/1,收车/1"_s);
    }

    // Deleted through its list, a contract takes its sheets along: the number handed out again
    // starts with none.
    void goneWithTheirContract()
    {
        addContract(u"ZL2004000002"_s);
        QCOMPARE(save(dm.ADO_qczl, dispatchSheet(u"ZL2004000002"_s)), qint64(1));
        reopen(dm.q_qczlb, {u"select * from 汽车租赁登记表 "_s, u"where 内部编号='ZL2004000002'"_s});
        TForm_qczlb list(nullptr, &dm);
        Msg::Recorder msgs;
        msgs.script(Msg::Button::Yes);
        list.deleteButton->click();
        QCOMPARE(row(u"select count(*) from 汽车租赁登记表 where 内部编号='ZL2004000002'"_s), u"0"_s);
        addContract(u"ZL2004000002"_s);
        QVERIFY(!load(dm.ADO_qczl, u"ZL2004000002"_s, Stage::Dispatch));
        QCOMPARE(row(u"select count(*) from 车损标记 where 内部编号='ZL2004000002'"_s), u"0"_s);
        QVERIFY(load(dm.ADO_qczl, u"ZL2004000001"_s, Stage::Dispatch));
    }

    void theOfficesChecklist()
    {
        Database& db = dm.ADO_qczl;
        QCOMPARE(accessoryItems(db), defaultAccessoryItems());
        QVERIFY(accessoryItems(db).contains(u"备胎"_s));
        const QStringList read = accessoryItems(db);
        setAccessoryItems(db, {u" 灭火器 "_s, QString(), u"急救包"_s, u"灭火器"_s}, read);
        QCOMPARE(accessoryItems(db), (QStringList{u"灭火器"_s, u"急救包"_s}));
        // Changed elsewhere since it was read: refused, the other change kept.
        QVERIFY_THROWS_EXCEPTION(DbConflict, setAccessoryItems(db, {u"备胎"_s}, read));
        QCOMPARE(accessoryItems(db), (QStringList{u"灭火器"_s, u"急救包"_s}));
    }
};

QTEST_MAIN(TestSheets)
#include "test_sheets.moc"
