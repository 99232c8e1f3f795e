#include "demo/office.h"
#include "rental/availability.h"
#include "rental/handover.h"
#include "rental/fines.h"
#include "core/clock.h"
#include "core/dates.h"
#include "core/money.h"
#include "data/creation.h"
#include "data/database.h"
#include "cash/journal.h"

#include <QRandomGenerator>
#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>
#include <numeric>

namespace {

QRandomGenerator rng(20041101);

int pick(int n)
{
    return int(rng.bounded(n));
}

template <typename T>
const T& pickOf(const QList<T>& l)
{
    return l[pick(int(l.size()))];
}

const QStringList surnames =
    QStringLiteral("王 李 张 刘 陈 杨 黄 赵 吴 周 徐 孙 马 朱 胡 郭 何 高 林 罗 郑 梁 谢 宋 唐 许 韩 冯 邓 曹").split(' ');
const QStringList given =
    QStringLiteral("伟 芳 娜 敏 静 丽 强 磊 军 洋 勇 艳 杰 娟 涛 明 超 秀兰 霞 平 刚 桂英 建华 文 华 红 志强 晓东 海燕 国庆")
        .split(' ');
const QStringList models = QStringLiteral("桑塔纳2000 捷达 富康 帕萨特 别克GL8 本田雅阁 丰田花冠 奥迪A6 宝来 金杯海狮").split(' ');
const QStringList colours = QStringLiteral("白 黑 银灰 红 蓝 香槟").split(' ');
const QStringList cities = QStringLiteral("南京市 苏州市 无锡市 常州市 扬州市").split(' ');
const QStringList workshops = QStringLiteral("金陵汽修厂 大众特约维修站 顺达汽车服务中心 城南修理厂").split(' ');
const QStringList places = QStringLiteral("中山路加油站 江东北路 新街口 机场高速 沪宁高速无锡段 城西服务区").split(' ');

QString name()
{
    return pickOf(surnames) + pickOf(given);
}
QString digits(int n)
{
    QString s;
    for (int i = 0; i < n; ++i)
        s += QChar(u'0' + pick(10));
    return s;
}
QString plate(int i)
{
    static const QString letters = QStringLiteral("ABCDEFGH");
    return QStringLiteral("苏") + letters[i % letters.size()]
           + QStringLiteral("%1").arg(10000 + (i * 7919) % 90000, 5, 10, QChar(u'0'));
}
QString dt(const QDateTime& d)
{
    return Dates::toStorage(d);
}
double money(qint64 yuan)
{
    return Money::fromYuan(yuan).toDouble();
}

void exec(QSqlQuery& q, const QVariantList& v)
{
    for (int i = 0; i < v.size(); ++i)
        q.bindValue(i, v[i]);
    if (!q.exec())
        throw DbError(q.lastError().text());
}

QSqlQuery prepare(Database& db, const QString& sql)
{
    QSqlQuery q(db.handle());
    if (!q.prepare(sql))
        throw DbError(q.lastError().text() + QStringLiteral(": ") + sql);
    return q;
}

bool withdrawn(int vehicle)
{
    return vehicle % 37 == 36;
}

// A vehicle in service that is back by `when`; empty when all are out.
QString freeVehicle(const QStringList& inService, const QHash<QString, QDateTime>& backAt, const QDateTime& when)
{
    const auto isFree = [&](const QString& p) { return !backAt.contains(p) || backAt[p] <= when; };
    for (int tries = 0; tries < 20; ++tries) {
        const QString& p = pickOf(inService);
        if (isFree(p))
            return p;
    }
    for (const QString& p : inService)
        if (isFree(p))
            return p;
    return {};
}

// A cash journal entry, written in the order it was made.
struct JournalEntry {
    QDateTime made;
    QDate date;
    QString voucher, summary, detail;
    Money debit, credit;
    QString handler, note;
};

// Writes the entries in the order they were made, each month's 余额 running from 0 in date order
// (same-day entries in the order they were made), as 整理 leaves the journal.
void writeJournal(Database& db, QVector<JournalEntry> entries, const QString& op)
{
    std::stable_sort(entries.begin(), entries.end(), [](const JournalEntry& a, const JournalEntry& b) { return a.made < b.made; });
    QVector<int> order(entries.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return entries[a].date < entries[b].date; });
    QVector<Money> balance(entries.size());
    Money running;
    int month = -1;
    for (int i : order) {
        const QDate d = entries[i].date;
        if (d.year() * 12 + d.month() != month) {
            month = d.year() * 12 + d.month();
            running = Money();
        }
        running += entries[i].debit - entries[i].credit;
        balance[i] = running;
    }
    const auto amount = [](Money m) { return m == Money() ? QVariant() : QVariant(m.toDouble()); };
    auto q = prepare(
        db,
        QStringLiteral(
            "insert into 现金日记帐 (日期, 凭证号, 摘要, 明细, 借方, 贷方, 余额, 经办人, 备注, 操作员, 操作日期) values (?,?,?,?,?,?,?,?,?,?,?)"));
    for (int i = 0; i < entries.size(); ++i) {
        const JournalEntry& e = entries[i];
        exec(q, {dt(QDateTime(e.date, QTime(0, 0))), e.voucher.isEmpty() ? QVariant() : QVariant(e.voucher), e.summary, e.detail,
                 amount(e.debit), amount(e.credit), balance[i].toDouble(), e.handler, e.note.isEmpty() ? QVariant() : QVariant(e.note),
                 op, dt(e.made)});
    }
}

void fill(Database& db, const DemoOffice::Sizes& n, const QDate& today)
{
    const QString op = QStringLiteral("管理员");
    const QDateTime now(today, QTime(9, 0));
    const QDate start = today.addYears(-n.years);
    const int spanDays = int(start.daysTo(today));
    QStringList handlers;
    {
        auto q = prepare(db, QStringLiteral("insert into 经办人信息 (经办人姓名, 身份证号, 联系电话) values (?,?,?)"));
        for (int i = 0; i < n.handlers; ++i) {
            handlers << name();
            exec(q, {handlers.back(), QStringLiteral("3201") + digits(14), QStringLiteral("025-") + digits(8)});
        }
    }
    QStringList plates;
    {
        auto q = prepare(
            db,
            QStringLiteral(
                "insert into 汽车档案 (车牌号, 车型, 颜色, 出厂编号, 发动机号, 底盘编号, 起始公里数, 公里数, 购买时间, 年审时间, 年审截止时间, "
                "养路费购买时间, 养路费截止时间, 保险购买时间, 保险截止时间, 车船税购买时间, 车船税截止时间, 二保里程, 下次二保里程, 车辆状态, "
                "开始生效, 停用, 汽车照片, 操作员, 操作日期) values (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,'空闲',1,?,?,?,?)"));
        for (int i = 0; i < n.vehicles; ++i) {
            const QString p = plate(i);
            plates << p;
            const QDate bought = start.addDays(-pick(700));
            const int km = 20000 + pick(150000);
            const QDate renew = today.addDays(-pick(360));
            exec(q, {p,
                     pickOf(models),
                     pickOf(colours),
                     QStringLiteral("LSV") + digits(14),
                     digits(8),
                     digits(10),
                     10 + pick(50),
                     km,
                     dt(QDateTime(bought, QTime(0, 0))),
                     dt(QDateTime(renew, QTime(0, 0))),
                     dt(QDateTime(renew.addYears(1), QTime(0, 0))),
                     dt(QDateTime(renew.addDays(20), QTime(0, 0))),
                     dt(QDateTime(renew.addDays(20).addYears(1), QTime(0, 0))),
                     dt(QDateTime(renew.addDays(40), QTime(0, 0))),
                     dt(QDateTime(renew.addDays(40).addYears(1), QTime(0, 0))),
                     dt(QDateTime(renew.addDays(60), QTime(0, 0))),
                     dt(QDateTime(renew.addDays(60).addYears(1), QTime(0, 0))),
                     km - pick(15000),
                     km + 500 + pick(15000),
                     withdrawn(i) ? 1 : 0,
                     p + QStringLiteral(".jpg"),
                     op,
                     dt(now)});
        }
    }
    QStringList customers, customerNames;
    {
        auto q = prepare(
            db,
            QStringLiteral(
                "insert into 客户登记表 (客户号, 客户姓名, 客户类型, 性别, 身份证号, 联系电话, 移动电话, 家庭住址, 工作单位, 客户密码, 应收会费, "
                "实收会费, 起始日期, 终止日期, 客户照片, 停用, 操作员, 操作日期) values (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,0,?,?)"));
        const QStringList kinds{QStringLiteral("个人"), QStringLiteral("会员"), QStringLiteral("临时")};
        for (int i = 0; i < n.customers; ++i) {
            const QString no = QStringLiteral("KH%1").arg(i + 1, 6, 10, QChar(u'0'));
            const QString nm = name();
            customers << no;
            customerNames << nm;
            const QString kind = kinds[i % 3];
            const bool member = kind == QStringLiteral("会员");
            const QDate from = start.addDays(pick(spanDays - 130));
            exec(q, {no, nm, kind, pick(2) ? QStringLiteral("男") : QStringLiteral("女"), QStringLiteral("3201") + digits(14),
                     QStringLiteral("025-") + digits(8), QStringLiteral("13") + digits(9),
                     pickOf(cities) + QStringLiteral("中山路") + QString::number(1 + pick(300)) + QStringLiteral("号"),
                     pickOf(cities) + QStringLiteral("某公司"), digits(6), member ? money(500) : 0.0, member ? money(500) : 0.0,
                     member ? QVariant(dt(QDateTime(from, QTime(0, 0)))) : QVariant(),
                     member ? QVariant(dt(QDateTime(from.addYears(1), QTime(0, 0)))) : QVariant(), no + QStringLiteral(".jpg"), op,
                     dt(now)});
        }
    }
    // Contracts over the period, each on a vehicle in service that is back from its previous rental;
    // the last ones are still out, some returned but not yet settled. Every settled contract posts
    // its received money into the cash journal as the settlement does.
    QHash<QString, int> rentedBy;      // plate -> contract still out
    QHash<QString, QDateTime> backAt;  // plate -> when it is free again
    QHash<QString, int> odometer;      // plate -> kilometres
    QVector<JournalEntry> journal;
    {
        QStringList inService;
        for (int i = 0; i < plates.size(); ++i)
            if (!withdrawn(i))
                inService << plates[i];
        auto q = prepare(
            db,
            QStringLiteral(
                "insert into 汽车租赁登记表 (内部编号, 发车单号, 客户号, 客户姓名, 车牌号, 发车日期, 发车里程, 租赁期限, 租赁单价, 每天限驶里程, "
                "超时收费单价, 超驶收费单价, 押金, 预收租金, 应收租金, 租赁公司经办人, 客户交车, 收车日期, 收车里程, 超驶里程, 超驶费, 超时小时, "
                "超时费, 收费小计, 汽油费, 清洁费, 附加小计, 收费金额, 应收帐款, 应退金额, 实收金额, 帐款结清, 交款人, 结算人, 收款日期, 操作员, "
                "操作日期) values (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)"));
        const qint64 span = qint64(start.daysTo(today)) * 86400;
        QVector<QDateTime> times;
        times.reserve(n.contracts);
        for (int i = 0; i < n.contracts; ++i)
            times << QDateTime(start, QTime(8, 0)).addSecs(qint64(double(span) * i / n.contracts) + pick(3600 * 8));
        for (int i = 0; i < n.contracts; ++i) {
            const QDateTime out = times[i];
            const QString p = freeVehicle(inService, backAt, out);
            if (p.isEmpty())
                continue;  // every vehicle is out: the office turns the customer away
            const QString no = QStringLiteral("ZL") + QString::number(out.date().year())
                               + QStringLiteral("%1").arg(i + 1, 6, 10, QChar(u'0'));
            const int c = pick(int(customers.size()));
            const int days = 1 + pick(10);
            const qint64 rate = 150 + 10 * pick(36);
            const int limit = 300;
            if (!odometer.contains(p))
                odometer[p] = 20000 + pick(150000);
            const int km0 = odometer[p];
            const qint64 deposit = 1000 * (2 + pick(4));
            const qint64 advance = rate * days;
            const Money rent = Money::fromYuan(rate) * days;
            const qint64 age = out.secsTo(QDateTime(today, QTime(18, 0)));
            const bool stillOut = age < qint64(days + 2) * 86400 && pick(3) > 0;
            const bool settled = !stillOut && (age > 20 * 86400 || pick(4) > 0);
            QVariantList v{no,
                           QStringLiteral("FC") + digits(6),
                           customers[c],
                           customerNames[c],
                           p,
                           dt(out),
                           km0,
                           days,
                           money(rate),
                           limit,
                           money(20),
                           Money::parse(QStringLiteral("1.5"))->toDouble(),
                           money(deposit),
                           money(advance),
                           rent.toDouble(),
                           pickOf(handlers)};
            if (stillOut) {
                rentedBy[p] = i;
                backAt[p] = QDateTime(today.addYears(100), QTime(0, 0));
                v << QStringLiteral("没有");
                for (int k = 0; k < 18; ++k)
                    v << (k == 14 ? QVariant(0) : QVariant());
            } else {
                const int driven = days * (100 + pick(300));
                const int hours = pick(4) == 0 ? pick(5) : 0;
                const QDateTime back = out.addSecs(qint64(days) * 86400 + hours * 3600 + pick(3000));
                backAt[p] = back;
                odometer[p] = km0 + driven;
                v << QStringLiteral("已交") << dt(back) << km0 + driven;
                if (!settled) {
                    // Returned at the counter; the settlement is still to come.
                    for (int k = 0; k < 16; ++k)
                        v << (k == 12 ? QVariant(0) : QVariant());
                } else {
                    const int excess = std::max(0, driven - days * limit);
                    const Money excessFee = *Money::parse(QStringLiteral("1.5")) * excess;
                    const Money overtime = Money::fromYuan(20) * hours;
                    const Money subtotal = rent + excessFee + overtime;
                    const Money fuel = Money::fromYuan(pick(3) == 0 ? 50 + pick(150) : 0);
                    const Money cleaning = Money::fromYuan(pick(5) == 0 ? 30 : 0);
                    const Money extra = fuel + cleaning;
                    const Money total = subtotal + extra;
                    const Money paid = Money::fromYuan(advance + deposit);
                    const Money refund = paid > total ? paid - total : Money();
                    const QString settler = pickOf(handlers);
                    const QDateTime paidOn(back.date(), QTime(0, 0));
                    v << excess << excessFee.toDouble() << hours << overtime.toDouble() << subtotal.toDouble() << fuel.toDouble()
                      << cleaning.toDouble() << extra.toDouble() << total.toDouble() << 0.0 << refund.toDouble() << total.toDouble()
                      << 1 << customerNames[c] << settler << dt(paidOn);
                    const Journal::Settlement posted{no, customerNames[c], p, QString::number(days), settler, total};
                    journal.push_back({back, back.date(), QString(), Journal::Income, Journal::detailText(posted), total, Money(),
                                       settler, Journal::noteText(no)});
                    if (i % 9 == 0)
                        journal.push_back({back.addSecs(600), back.date(), QStringLiteral("PZ") + digits(4), Journal::Expense,
                                           QStringLiteral("办公及车辆杂费"), Money(), Money::fromYuan(100 + pick(900)),
                                           pickOf(handlers), QString()});
                }
            }
            v << op << dt(out);
            exec(q, v);
        }
    }
    writeJournal(db, journal, op);
    {
        // The next service lies ahead of the reading the rentals left.
        auto q = prepare(db, QStringLiteral("update 汽车档案 set 公里数=?, 下次二保里程=? where 车牌号=?"));
        for (auto it = odometer.begin(); it != odometer.end(); ++it)
            exec(q, {it.value(), it.value() + 500 + it.value() % 14500, it.key()});
    }
    // Three vehicles in service whose insurance or inspection has lapsed or whose service is due:
    // the stop-hire rules refuse or ask about them and the planner marks them.
    {
        QStringList lapsed;
        for (int i = 0; i < plates.size() && lapsed.size() < 3; ++i)
            if (!withdrawn(i))
                lapsed << plates[i];
        const QStringList updates{QStringLiteral("update 汽车档案 set 保险截止时间=? where 车牌号=?"),
                                  QStringLiteral("update 汽车档案 set 年审截止时间=? where 车牌号=?"),
                                  QStringLiteral("update 汽车档案 set 下次二保里程=公里数-? where 车牌号=?")};
        const QVariantList values{dt(QDateTime(today.addDays(-12), QTime(0, 0))), dt(QDateTime(today.addDays(-3), QTime(0, 0))), 200};
        for (int i = 0; i < lapsed.size(); ++i) {
            auto q = prepare(db, updates[i]);
            exec(q, {values[i], lapsed[i]});
        }
    }
    {
        auto q = prepare(db, QStringLiteral("update 汽车档案 set 车辆状态='出租', 客户姓名=?, 租赁时间=? where 车牌号=?"));
        QSqlQuery find(db.handle());
        for (auto it = rentedBy.begin(); it != rentedBy.end(); ++it) {
            find.exec(QStringLiteral(
                          "select 客户姓名, 发车日期 from 汽车租赁登记表 where 车牌号='%1' and 客户交车='没有' order by 发车日期 desc")
                          .arg(it.key()));
            if (find.next())
                exec(q, {find.value(0), find.value(1), it.key()});
        }
    }
    {
        auto q = prepare(
            db,
            QStringLiteral(
                "insert into 客户预订汽车 (内部编号, 客户号, 客户姓名, 车牌号, 发车日期, 租赁期限, 租赁单价, 每天限驶里程, 超时收费单价, 超驶收费单价, "
                "押金, 预收租金, 租赁公司经办人, 执行完毕, 备注, 操作员, 操作日期) values (?,?,?,?,?,?,?,300,?,?,?,?,?,?,?,?,?)"));
        auto mark = prepare(db, QStringLiteral("update 汽车档案 set 预订人=?, 预订日期=?, 预订期限=? where 车牌号=?"));
        for (int i = 0; i < n.reservations; ++i) {
            const bool open = i >= n.reservations * 3 / 4;
            QDateTime when = open ? QDateTime(today.addDays(1 + pick(20)), QTime(9 + pick(8), 0))
                                  : QDateTime(start.addDays(pick(spanDays - 30)), QTime(9 + pick(8), 0));
            const int c = pick(int(customers.size()));
            QString p = plates[pick(int(plates.size()))];
            const int days = 1 + pick(7);
            // An open reservation is taken as the counter would: on a vehicle free for its days.
            const auto taken = [&] {
                const QDateTime end = Rental::plannedEnd(when, days);
                return Rental::overlappingContract(db, p, when, end, {}, now) || Rental::overlappingReservation(db, p, when, end, {});
            };
            for (int attempt = 0; open && attempt < 50 && taken(); ++attempt) {
                p = plates[pick(int(plates.size()))];
                when = QDateTime(today.addDays(1 + pick(20)), QTime(9 + pick(8), 0));
            }
            if (open && taken())
                continue;
            exec(q, {QStringLiteral("YD") + QString::number(when.date().year()) + QStringLiteral("%1").arg(i + 1, 6, 10, QChar(u'0')),
                     customers[c], customerNames[c], p, dt(when), days, money(200), money(20), 1.5, money(2000), money(200 * days),
                     pickOf(handlers), open ? QStringLiteral("否") : QStringLiteral("是"), QVariant(), op, dt(now)});
            if (open)
                exec(mark, {customerNames[c], dt(when), days, p});
        }
    }
    {
        auto oil = prepare(
            db,
            QStringLiteral(
                "insert into 换油记录表 (车牌号, 换油时间, 换油地点, 公里数, 单价, 数量, 金额, 经办人, 操作员, 操作日期) values (?,?,?,?,?,?,?,?,?,?)"));
        auto rep = prepare(
            db,
            QStringLiteral(
                "insert into 车辆维修记录表 (车牌号, 维修时间, 修理厂, 维修内容, 材料费, 人工费, 其它费用, 总费用, 经办人, 操作员, 操作日期) values (?,?,?,?,?,?,?,?,?,?,?)"));
        auto acc = prepare(
            db,
            QStringLiteral(
                "insert into 事故登记表 (车牌号, 事故时间, 事故地点, 客户姓名, 驾驶员, 事故情况, 事故处理, 事故金额, 经办人, 操作员, 操作日期) values (?,?,?,?,?,?,?,?,?,?,?)"));
        for (int i = 0; i < n.registers; ++i) {
            const QString p = plates[pick(int(plates.size()))];
            const QDateTime when(start.addDays(pick(spanDays - 10)), QTime(10, 0));
            const Money price = *Money::parse(QStringLiteral("7.35"));
            const int litres = 4 + pick(3);
            exec(oil, {p, dt(when), pickOf(places), 20000 + pick(150000), price.toDouble(), litres, (price * litres).toDouble(),
                       pickOf(handlers), op, dt(when)});
            if (i % 2 == 0) {
                const Money a = Money::fromYuan(100 + pick(2000)), b = Money::fromYuan(50 + pick(500)), c = Money::fromYuan(pick(100));
                exec(rep, {p, dt(when.addDays(3)), pickOf(workshops), QStringLiteral("更换刹车片，检修空调"), a.toDouble(),
                           b.toDouble(), c.toDouble(), (a + b + c).toDouble(), pickOf(handlers), op, dt(when)});
            }
            if (i % 6 == 0)
                exec(acc, {p, dt(when.addDays(5)), pickOf(places), name(), name(), QStringLiteral("追尾，后保险杠受损"),
                           QStringLiteral("保险公司定损理赔"), money(500 + pick(5000)), pickOf(handlers), op, dt(when)});
        }
    }
    {
        // Traffic fines: a few during rentals, charged to their renters as the register does (the
        // older ones paid or passed on, the recent ones still open), and one of the office's own
        // from before the first rental, long 未处理.
        struct Out {
            QString plate;
            QDateTime dispatch;
        };
        QVector<Out> rentals;
        QSqlQuery r = db.run(QStringLiteral("select 车牌号, 发车日期 from 汽车租赁登记表 order by 发车日期"));
        while (r.next())
            rentals.push_back({r.value(0).toString(), Dates::fromVariant(r.value(1))});
        auto fine = prepare(db,
                            QStringLiteral(
                                "insert into 违章登记 (违章时间, 车牌号, 违章地点, 违章行为, 罚款金额, 扣分, 通知书编号, 处理状态, "
                                "租赁内部编号, 客户号, 客户姓名, 联系电话, 备注, 操作员, 操作日期) "
                                "values (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)"));
        static const char* const acts[] = {"超速行驶", "闯红灯", "违章停车", "不按导向车道行驶"};
        const int fines = std::min<int>(8, int(rentals.size()));
        auto add = [&](const QString& plate, const QDateTime& at, const QString& state, int k) {
            const Fines::Match m = Fines::matchContract(db, plate, at, now);
            const int points = k % 4 == 2 ? 0 : 3;
            auto text = [](const QString& s) { return s.isEmpty() ? QVariant() : QVariant(s); };
            exec(fine, {dt(at), plate, pickOf(places), QString::fromUtf8(acts[k % 4]), money(50 + 50 * (k % 4)), points,
                        QStringLiteral("JT") + digits(8), state, text(m.number), text(m.customer), text(m.name), text(m.phone),
                        QVariant(), op, dt(now)});
        };
        for (int k = 0; k < fines; ++k) {
            // Spread over the history, the latest rentals last; two hours after the dispatch.
            const Out& o = rentals[qsizetype(rentals.size() - 1 - (qsizetype(k) * (rentals.size() - 1)) / std::max(fines - 1, 1))];
            const QString state = k < 2 ? Fines::Unhandled : k < 4 ? Fines::Passed : Fines::Paid;
            add(o.plate, o.dispatch.addSecs(2 * 3600), state, k);
        }
        if (!plates.isEmpty())
            add(plates.first(), QDateTime(start.addDays(-3), QTime(16, 20)), Fines::Unhandled, fines);
    }
}

// The office's address on its papers; handover sheets of the latest contracts, as the clerks
// record them at the counter: every one dispatched has its dispatch sheet, every one returned its
// return sheet, now and then with new damage.
void fillPapers(Database& db, int contracts)
{
    db.execute(QStringLiteral("update 公司信息 set 公司名称=?, 公司地址=?, 邮政编码=?, 联系人=?, 联系电话=?"),
               {QStringLiteral("金陵汽车租赁有限公司"), QStringLiteral("南京市中山北路88号"), QStringLiteral("210009"),
                QStringLiteral("周经理"), QStringLiteral("025-83331234")});
    const QStringList items = Handover::accessoryItems(db);
    QSqlQuery q = db.run(QStringLiteral("select 内部编号, 发车日期, 收车日期, 租赁公司经办人, 结算人 from 汽车租赁登记表 "
                                        "order by 发车日期 desc"));
    for (int n = 0; n < contracts && q.next(); ++n) {
        Handover::Sheet out;
        out.contract = q.value(0).toString();
        out.fuel = Handover::FullTank - pick(3);
        out.accessories = items;
        if (pick(4) == 0)
            out.accessories.removeAt(pick(int(items.size())));
        for (int m = 0; m < pick(3); ++m)
            out.marks << Handover::Mark{m + 1, 100 + pick(800), 100 + pick(800), pickOf(Handover::damageKinds())};
        out.inspector = q.value(3).toString();
        out.checkedAt = Dates::fromVariant(q.value(1));
        Handover::save(db, out);
        const QDateTime back = Dates::fromVariant(q.value(2));
        if (!back.isValid())
            continue;
        Handover::Sheet in = out;
        in.stage = Handover::Stage::Return;
        in.revision = 0;
        in.fuel = pick(Handover::FullTank + 1);
        in.marks.clear();
        if (pick(3) == 0)
            in.marks << Handover::Mark{Handover::nextMarkNumber(out, in), 100 + pick(800), 100 + pick(800),
                                       pickOf(Handover::damageKinds())};
        in.inspector = q.value(4).toString().isEmpty() ? out.inspector : q.value(4).toString();
        in.checkedAt = back;
        Handover::save(db, in);
    }
}

}  // namespace

bool DemoOffice::create(const QString& location, const Sizes& sizes, const QDate& today, QString* error)
{
    // The same office every time, whichever office the process made before.
    rng.seed(20041101);
    if (!createDatabase(location, today, error))
        return false;
    Database db;
    if (!db.open(location, error))
        return false;
    try {
        Transaction tx(db);
        fill(db, sizes, today);
        fillPapers(db, 30);
        tx.commit();
        db.runNative(QStringLiteral("ANALYZE"));
    } catch (const DbError& e) {
        if (error)
            *error = e.text();
        // No half office left behind to be taken for a finished one next time.
        discardNewDatabase(db, location);
        return false;
    }
    return true;
}
