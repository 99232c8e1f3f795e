#pragma once
// A small database built to be awkward for the statistics: plates and customer numbers that begin
// others (A1, A12, a123; 1, 10, 12, 120), Latin letters in both cases, the pattern characters of like
// in a plate and a number, contracts exactly on the bounds of a range, zero and negative sums, empty
// sums, a plate and a customer that are not registered, handlers named twice, a month with cash only.
#include "data/creation.h"
#include "data/datamodule.h"
#include "tests/pg/serverdb.h"

#include <QDate>
#include <QTemporaryDir>
#include <QVariantList>

namespace Fixture {

inline QString S(const char* s)
{
    return QString::fromUtf8(s);
}

inline void insert(Database& db, const char* table, const char* columns, const QVariantList& values)
{
    QStringList marks;
    for (int i = 0; i < values.size(); ++i)
        marks << QStringLiteral("?");
    db.execute(QStringLiteral("insert into %1 (%2) values (%3)").arg(S(table), S(columns), marks.join(QLatin1Char(','))), values);
}

// A contract: plate, customer, handler, dispatch and return (storage texts or null), term, deposit,
// advance, charged, received.
inline void contract(Database& db, const QVariant& plate, const QVariant& customer, const char* handler, const QVariant& out,
                     const QVariant& back, int term, double deposit, double advance, const QVariant& charged, double received)
{
    insert(db, "汽车租赁登记表", "车牌号,客户号,客户姓名,租赁公司经办人,发车日期,收车日期,租赁期限,押金,预收租金,收费金额,实收金额",
           {plate, customer, S("某人"), S(handler), out, back, term, deposit, advance, charged, received});
}

inline void fill(Database& db)
{
    for (const char* t : {"摘要", "经办人信息", "客户登记表", "汽车档案"})
        db.execute(QStringLiteral("delete from %1").arg(S(t)));
    for (const char* p : {"A12", "A1", "a123", "B_1", "BX1", "C9", "Z1", "D5", "D5", "O'K"})
        insert(db, "汽车档案", "车牌号", {S(p)});
    const char* customers[][2] = {{"12", "张三"},  {"1", "李四"}, {"10", "张三"}, {"120", "王五"},
                                  {"112", "赵六"}, {"2", "钱七"}, {"3_", "孙八"}, {"x9", "周九"}};
    for (const auto& c : customers)
        insert(db, "客户登记表", "客户号,客户姓名", {S(c[0]), S(c[1])});
    for (const char* h : {"王经理", "Lee", "王经理", "无业务"})
        insert(db, "经办人信息", "经办人姓名", {S(h)});

    const QVariant none;
    // March 2004, on and just outside the bounds of the month.
    contract(db, S("A1"), S("1"), "王经理", S("2004-03-01 00:00:00"), S("2004-03-05 10:00:00"), 4, 500, 300, 800.5, 800.5);
    contract(db, S("A12"), S("12"), "Lee", S("2004-03-31 23:59:59"), S("2004-04-02 09:00:00"), 2, 200, 100, 400, 350);
    contract(db, S("a123"), S("120"), "lee", S("2004-03-15 12:00:00"), S("2004-03-16 12:00:00"), 1, 100, 0, 123.4567, 100);
    contract(db, S("A1"), S("10"), "王经理", S("2004-02-29 23:59:59"), S("2004-03-01 00:00:00"), 1, 50, 50, 99, 99);
    contract(db, S("A1"), S("112"), "王经理", S("2004-04-01 00:00:00"), S("2004-04-03 00:00:00"), 2, 60, 60, 180, 180);
    // Zero and negative charges, deposits taken all the same.
    contract(db, S("C9"), S("2"), "王经理", S("2004-03-10 08:00:00"), none, 3, 1000, 0, 0, 0);
    contract(db, S("C9"), S("2"), "Lee", S("2004-03-11 08:00:00"), none, 1, 0, 0, -20, -20);
    contract(db, S("D5"), S("2"), "王经理", S("2004-03-12 08:00:00"), S("2004-03-13 08:00:00"), 1, 10, 0, none, 0);
    // Pattern characters: B_1 matches BX1 as like does; 3_ matches 3a and 31.
    contract(db, S("BX1"), S("3a"), "", S("2004-03-20 08:00:00"), S("2004-03-21 08:00:00"), 1, 0, 0, 70, 70);
    contract(db, S("B_1"), S("31"), "Lee", S("2004-03-21 08:00:00"), S("2004-03-22 08:00:00"), 1, 0, 0, 30, 30);
    // Not registered: plate Q7, customer 99; an empty plate and customer.
    contract(db, S("Q7"), S("99"), "nobody", S("2004-03-22 08:00:00"), S("2004-03-23 08:00:00"), 1, 0, 0, 55, 55);
    contract(db, none, none, "王经理", S("2004-03-23 08:00:00"), S("2004-03-24 08:00:00"), 1, 0, 0, 45, 45);
    contract(db, S("O'K"), S("x9"), "Lee", S("2004-12-26 00:00:00"), S("2005-01-25 23:59:59"), 30, 0, 0, 3000, 2900);
    contract(db, S("A12"), S("1"), "Lee", S("2004-01-26 00:00:00"), S("2004-02-25 23:59:59"), 30, 0, 0, 1500, 1500);
    contract(db, S("A12"), S("1"), "Lee", S("2004-01-25 23:59:59"), S("2004-01-26 00:00:00"), 1, 0, 0, 10, 10);
    // May: contracts that charge nothing in sum, and no cash.
    contract(db, S("C9"), S("2"), "Lee", S("2004-05-05 08:00:00"), S("2004-05-06 08:00:00"), 1, 300, 0, 25, 0);
    contract(db, S("C9"), S("2"), "Lee", S("2004-05-07 08:00:00"), S("2004-05-08 08:00:00"), 1, 0, 0, -25, 0);

    // Cash journal: June has cash only; summaries that begin alike; a code with credits only.
    const auto cash = [&db](const char* when, const char* summary, double debit, double credit) {
        insert(db, "现金日记帐", "日期,摘要,借方,贷方", {S(when), S(summary), debit, credit});
    };
    cash("2004-03-01 00:00:00", "租赁收入", 800, 0);
    cash("2004-03-31 23:59:59", "租赁收入退款", 0, 100);
    cash("2004-06-10 00:00:00", "费用支出", 0, 250.25);
    cash("2004-06-11 00:00:00", "租赁收入", 10, 0);
    cash("2004-02-29 23:59:59", "费用支出", 0, 30);
    cash("2005-01-25 23:59:59", "租赁收入", 5, 0);
    const char* codes[][2] = {{"01", "租赁收入"}, {"02", "费用支出"}, {"03", "租赁"}, {"04", "无发生"}};
    for (const auto& c : codes)
        insert(db, "摘要", "代码,摘要", {S(c[0]), S(c[1])});

    insert(db, "换油记录表", "车牌号,换油时间,单价,数量,金额", {S("A1"), S("2004-03-02 00:00:00"), 12.5, 3, 37.5});
    insert(db, "换油记录表", "车牌号,换油时间,单价,数量,金额", {S("A12"), S("2004-03-31 23:59:59"), 100, 2.5, 250});
    insert(db, "车辆维修记录表", "车牌号,维修时间,维修内容,总费用", {S("A1"), S("2004-03-03 00:00:00"), S("换刹车片"), 300});
    insert(db, "车辆维修记录表", "车牌号,维修时间,维修内容,总费用", {S("a1"), S("2004-03-04 00:00:00"), S("保修退款"), -80});
    insert(db, "车辆维修记录表", "车牌号,维修时间,维修内容,总费用", {S("C9"), S("2004-03-05 00:00:00"), S("检查"), 0});
    insert(db, "事故登记表", "车牌号,事故时间,事故情况,事故金额", {S("A12"), S("2004-03-06 00:00:00"), S("追尾"), 1200});
    insert(db, "事故登记表", "车牌号,事故时间,事故情况,事故金额", {S("D5"), S("2004-04-06 00:00:00"), S("刮擦"), 90});
}

// A fresh database with the rows above, connected through the data module: a file, or in a
// server run a new database on the test server.
struct Db {
    QTemporaryDir dir;
    TDm1 dm;
    Db(bool rows = true)
    {
        const QString location = ServerDb::location(dir, QStringLiteral("qczl.db"));
        QString error;
        if (location.isEmpty() || !createDatabase(location, QDate(2004, 3, 1), &error) || !dm.connect(location, &error))
            qFatal("%s", qPrintable(error));
        if (rows)
            fill(dm.ADO_qczl);
    }
};

}  // namespace Fixture
