// Every menu command with the windows of the modules built into the program: each opens its
// window over its prepared query without a message, and the query is closed afterwards.
#include "harness.h"

#include "app/modules.h"
#include "app/windowcheck.h"
#include "core/clock.h"
#include "core/dates.h"
#include "data/amounts.h"
#include "ui/records/querydialog.h"
#include "rental/backoffice.h"
#include "tests/common/typing.h"
#include "rental/bookings.h"
#include "rental/customers.h"
#include "ui/records/listwindow.h"
#include "ui/shell/about.h"

#include <QCheckBox>
#include <QComboBox>
#include <QToolButton>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSqlQuery>


class TestModules : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { SERVERDB_SKIP_WITHOUT_SERVER(); }
    void everyCommandOpensItsWindow();
    void everyWindowIsDescribedAtStart();
    void linesAndStructureListTheSameRows();
    void automaticReminderAtStart();
    void fleetCommandsShowTheirColumnsAndSums();
    void rentalFlowFromTheMainWindow();
};

void TestModules::everyCommandOpensItsWindow()
{
    Harness h;
    TForm_main* w = h.start();
    registerModules(w);
    for (const Command& c : Commands::table()) {
        if (c.kind == CommandKind::Exit || c.kind == CommandKind::Switch || c.kind == CommandKind::Help
            || c.kind == CommandKind::LayoutReset || c.kind == CommandKind::Manual)
            continue;
        h.msg.clear();
        QString shown;
        bool open = false;
        RecordSet* q = c.query.isEmpty() ? nullptr : h.dm->query(c.query);
        h.onWindow = [&](QDialog* d) {
            shown = QString::fromLatin1(d->metaObject()->className());
            open = !q || q->isOpen();
        };
        w->runCommand(c);
        QVERIFY2(h.msg.shown().isEmpty(), qPrintable(c.menuItem + QLatin1Char(' ') + h.msg.texts().join(QLatin1Char('|'))));
        // The class the command points at, made by the factory its module registered (no fallback).
        QVERIFY2(shown == Commands::windowClass(c), qPrintable(c.menuItem + QLatin1Char(' ') + shown));
        QVERIFY2(open, qPrintable(c.menuItem));
        QVERIFY2(!q || !q->isOpen(), qPrintable(c.menuItem));
        QVERIFY(h.dm->ADO_qczl.isOpen());
    }
}

// The check the program runs at start: with every module registered nothing is missing; a class
// whose factory or description is gone is named before any clerk could open it.
void TestModules::everyWindowIsDescribedAtStart()
{
    Harness h;
    registerModules(nullptr);
    QCOMPARE(windowProblems(), QStringList{});
    WindowRegistry::add(QStringLiteral("TForm_qcda"), WindowFactory{});
    QCOMPARE(windowProblems(), QStringList{QStringLiteral("N11 TForm_qcda: 没有登记窗口")});
    WindowRegistry::clear();
    registerShellWindows();
    const QStringList problems = windowProblems();
    QVERIFY(problems.contains(QStringLiteral("N16 TForm_qczljsd: 没有登记窗口")));
    QVERIFY(!problems.join(QLatin1Char('|')).contains(QStringLiteral("Tform_About")));
}

namespace {

// Every column of every row as the program reads it, in the order the set gives them.
QStringList rowsRead(Database& db, const QStringList& lines)
{
    RecordSet set(&db);
    set.setSql(lines);
    set.open();
    QStringList rows;
    for (set.first(); !set.eof(); set.next()) {
        QStringList cells;
        for (const RecordSet::Field& f : set.fields())
            cells << set.asString(f.name);
        rows << cells.join(QLatin1Char('/'));
    }
    return rows;
}

// Where the lines and the structure of a list disagree (empty when they describe the same rows in the
// same order, with the same count and sums).
QString disagreement(Database& db, const ListQuery& q)
{
    const QStringList byLines = rowsRead(db, q.lines);
    QString statement = QStringLiteral("select * from ") + q.table;
    if (!q.terms.isEmpty())
        statement += QStringLiteral(" where ") + q.condition();
    QStringList marks;
    for (const OrderMark& m : q.order)
        marks << m.column + (m.descending ? QStringLiteral(" desc") : QString());
    if (!marks.isEmpty())
        statement += QStringLiteral(" order by ") + marks.join(QStringLiteral(", "));
    if (rowsRead(db, {statement}) != byLines)
        return QStringLiteral("rows: ") + statement;
    QSqlQuery count = db.run(q.countStatement());
    if (!count.next() || count.value(0).toInt() != byLines.size())
        return QStringLiteral("count: ") + q.countStatement();
    // The footer's sums over the structure against the amounts of the rows the lines list.
    RecordSet set(&db);
    set.setSql(q.lines);
    set.open();
    QStringList amounts;
    for (const RecordSet::Field& f : set.fields())
        if (f.type == FieldType::Money)
            amounts << f.name;
    if (amounts.isEmpty())
        return {};
    QVector<Money> totals(amounts.size());
    for (set.first(); !set.eof(); set.next())
        for (int i = 0; i < amounts.size(); ++i)
            totals[i] = Amounts::add(totals[i], set.asMoney(amounts[i]));
    QStringList names;
    QVector<QVector<QVariant>> sums;
    db.selectRows(q.sumStatement(amounts), false, &names, &sums);
    for (int i = 0; i < amounts.size(); ++i)
        if (Amounts::read(sums.value(0).value(i)) != totals[i])
            return QStringLiteral("sum of ") + amounts[i];
    return {};
}

// Rows for every list, with ties in the order columns, letters of either case and amounts to sum.
void populate(Harness& h)
{
    h.exec(QStringLiteral("update 关帐日期 set 关帐日期='2004-03-20 00:00:00'"));
    h.exec(QStringLiteral("insert into 权限表 (姓名) values ('b操作员'), ('A操作员')"));
    h.exec(QStringLiteral("insert into 经办人信息 (经办人姓名, 联系电话) values ('老周', '1'), ('老王', '1'), ('老李', '2')"));
    h.exec(QStringLiteral("insert into 汽车档案 (车牌号, 车型, 颜色, 公里数) values ('苏A00002', 'b', '红', 10), "
                          "('苏a00001', 'A', '红', 10), ('苏A00003', 'a', '白', 5)"));
    h.exec(QStringLiteral("insert into 客户登记表 (客户号, 客户姓名, 性别, 客户类型, 应收会费, 实收会费, 家庭住址) values "
                          "('K2', '张三', '男', '个人', 100, 50.5, 'x'), ('k1', '李四', '女', '会员', 0.0001, 0, 'x'), "
                          "('K3', '张三', '男', '个人', 7, 7, 'y')"));
    h.exec(QStringLiteral(
        "insert into 客户预订汽车 (内部编号, 客户号, 客户姓名, 车牌号, 发车日期, 租赁公司经办人, 执行完毕, 押金) values "
        "('YD2004000002', 'K2', '张三', '苏A00002', '2004-03-02 10:00:00', '老周', '否', 100), "
        "('YD2004000001', 'k1', '李四', '苏a00001', '2004-03-02 10:00:00', '老王', '否', 200), "
        "('YD2004000003', 'K2', '张三', '苏A00003', '2004-03-05 00:00:00', '老周', '是', 300)"));
    h.exec(
        QStringLiteral("insert into 汽车租赁登记表 (内部编号, 发车单号, 客户号, 客户姓名, 车牌号, 发车日期, 收车日期, 租赁公司经办人, "
                       "客户交车, 帐款结清, 押金, 收费金额, 实收金额, 应收帐款, 包干价, 预收租金, 租赁期限, 备注) values "
                       "('ZL2004000003', 'F3', 'K2', '张三', '苏A00002', '2004-03-03 09:00:00', '2004-03-05 09:00:00', '老周', "
                       "'已交', 0, 500, 300, 200, 100, 0, 50, 2, 'ab'), "
                       "('ZL2004000001', 'F1', 'k1', '李四', '苏a00001', '2004-03-01 09:00:00', '2004-03-03 09:00:00', '老王', "
                       "'没有', 0, 400, 0.0001, 0, 0.0001, 0, 0, 2, 'Ab'), "
                       "('ZL2004000002', 'F2', 'K2', '张三', '苏A00003', '2004-03-01 09:00:00', '2004-03-02 09:00:00', '老周', "
                       "'已交', 1, 300, 150, 150, 0, 0, 0, 1, 'cd')"));
    h.exec(QStringLiteral(
        "insert into 换油记录表 (车牌号, 换油时间, 单价, 数量, 金额, 经办人) values "
        "('苏A00002', '2004-03-01 00:00:00', 7.35, 40, 294, '老周'), ('苏a00001', '2004-03-01 00:00:00', 7, 1, 7, '老王'), "
        "('苏A00002', '2004-02-01 00:00:00', 7, 2, 14, '老周')"));
    h.exec(QStringLiteral("insert into 车辆维修记录表 (车牌号, 维修时间, 材料费, 人工费, 其它费用, 总费用, 经办人) values "
                          "('苏A00002', '2004-03-01 00:00:00', 100, 50.5, 0.0001, 150.5001, '老周'), "
                          "('苏a00001', '2004-03-01 00:00:00', 1, 1, 1, 3, '老王')"));
    h.exec(QStringLiteral("insert into 事故登记表 (车牌号, 事故时间, 事故金额, 理赔金额, 经办人, 驾驶员, 客户姓名) values "
                          "('苏A00002', '2004-03-01 00:00:00', 1000, 0, '老周', '小张', '张三'), "
                          "('苏a00001', '2004-03-01 00:00:00', 10, 5, '老王', '小李', '李四')"));
    h.exec(QStringLiteral("insert into 违章登记 (车牌号, 违章时间, 罚款金额, 扣分, 处理状态, 客户号, 客户姓名) values "
                          "('苏A00002', '2004-03-01 10:00:00', 200, 3, '未处理', 'K1', '张三'), "
                          "('苏a00001', '2004-03-02 10:00:00', 50, 0, '已缴纳', 'k1', '李四')"));
    h.exec(QStringLiteral("insert into 现金日记帐 (日期, 凭证号, 摘要, 明细, 借方, 贷方, 余额, 经办人, 备注) values "
                          "('2004-03-02 00:00:00', 'P2', '租赁收入', 'x', 300, 0, 300, '老周', 'ZL2004000003'), "
                          "('2004-03-01 00:00:00', 'p1', '费用支出', 'y', 0, 20.5, -20.5, '老王', 'r'), "
                          "('2004-03-02 00:00:00', 'P3', '租赁收入', 'x', 1, 0, 280.5, '老周', 'q'), "
                          "('2004-02-02 00:00:00', 'P0', '租赁收入', 'x', 5, 0, 5, '老周', 'q')"));
    h.exec(QStringLiteral("insert into 操作日志 (操作时间, 操作员, 工作站, 表名, 记录编号, 操作类型, 字段名, 原值, 新值) values "
                          "('2004-03-02 10:00:00', 'b操作员', 'w1', '汽车租赁登记表', 'ZL2004000003', '修改', '实收金额', '', '200.0000'), "
                          "('2004-03-01 09:00:00', 'A操作员', 'w2', '汽车档案', '苏a00001', '修改', '车辆状态', '空闲', '出租'), "
                          "('2004-03-02 10:00:00', 'b操作员', 'w1', '汽车租赁登记表', 'ZL2004000003', '修改', '帐款结清', '0', '1')"));
}

// A criterion filled from a sample row of its table: the row's own value, a range of days around its
// date (a plain date range compares with midnight, so it ends the day after).
void fill(QHash<QString, QString>& texts, const Criterion& c, RecordSet& sample)
{
    if (c.kind == CriterionKind::DayRange || c.kind == CriterionKind::DateRange) {
        const QDate day = sample.asDateTime(c.column).date();
        texts[c.objectName] = Dates::jetDate(day.addDays(-1));
        texts[c.toObjectName] = Dates::jetDate(c.kind == CriterionKind::DateRange ? day.addDays(1) : day);
    } else if (c.kind == CriterionKind::YesNo) {
        texts[c.objectName] = sample.asBoolean(c.column) ? QStringLiteral("是") : QStringLiteral("否");
    } else {
        texts[c.objectName] = sample.asString(c.column);
    }
}

}  // namespace

// One truth per list: for every command, every query dialog with its criteria filled (one at a time
// and all together) and every sort mark a list offers, the SQL lines and the table, terms and order
// beside them list the same rows in the same order, and the count and sums over the structure are
// those of the rows listed.
void TestModules::linesAndStructureListTheSameRows()
{
    Harness h;
    populate(h);
    TForm_main* w = h.start();
    registerModules(w);
    Database& db = h.dm->ADO_qczl;
    QStringList problems;
    int lists = 0, sorts = 0, queries = 0, commands = 0;
    auto check = [&](const QString& what, const ListQuery& q, bool needsRows) {
        if (q.table.isEmpty()) {
            problems << what + QStringLiteral(": no structure");
            return;
        }
        try {
            if (needsRows && rowsRead(db, q.lines).isEmpty())
                problems << what + QStringLiteral(": no rows");
            if (const QString d = disagreement(db, q); !d.isEmpty())
                problems << what + QStringLiteral(": ") + d;
        } catch (const DbError& e) {
            problems << what + QStringLiteral(": ") + e.text() + QStringLiteral(" in ") + q.lines.join(QLatin1Char('|'));
        }
    };

    for (const Command& c : Commands::table()) {
        if (c.table.isEmpty() || c.kind == CommandKind::Switch)
            continue;
        ++commands;
        h.onWindow = [&](QDialog* d) {
            RecordSet* set = h.dm->query(c.query);
            QVERIFY(set->listQuery());
            check(c.menuItem, *set->listQuery(), true);
            ++lists;
            auto* list = qobject_cast<ListWindow*>(d);
            if (!list || list->config().sort != SortMode::Rebuild)
                return;
            // Each title that sorts: alone, again the other way, then with the first sortable as a second mark.
            int first = -1;
            for (int i = 0; i < list->model()->columnCount(); ++i) {
                if (!list->model()->shownColumn(i).titleButton)
                    continue;
                const QString name = c.menuItem + QLatin1Char(' ') + list->model()->shownColumn(i).field;
                list->onTitleClick(i, Qt::NoModifier);
                check(name, *set->listQuery(), true);
                list->onTitleClick(i, Qt::NoModifier);
                check(name + QStringLiteral(" desc"), *set->listQuery(), true);
                if (first >= 0 && first != i) {
                    list->onTitleClick(first, Qt::ControlModifier);
                    check(name + QStringLiteral(" +mark"), *set->listQuery(), true);
                }
                if (first < 0)
                    first = i;
                sorts += 2;
            }
        };
        w->runCommand(c);
        QVERIFY2(h.msg.shown().isEmpty(), qPrintable(c.menuItem + QLatin1Char(' ') + h.msg.texts().join(QLatin1Char('|'))));
    }

    for (const QueryDialogConfig& config : queryDialogTable()) {
        RecordSet sample(&db);
        sample.setSql({QStringLiteral("select * from ") + config.table});
        sample.open();
        QVERIFY2(sample.recordCount() > 0, qPrintable(config.className));
        sample.first();
        QHash<QString, QString> all;
        for (const Criterion& c : config.criteria) {
            QHash<QString, QString> one;
            fill(one, c, sample);
            fill(all, c, sample);
            check(config.className + QLatin1Char(' ') + c.column, buildQuery(config, one), true);
            ++queries;
        }
        check(config.className + QStringLiteral(" all"), buildQuery(config, all), true);
    }
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
    QCOMPARE(lists, commands);  // every list command opened its window
    QVERIFY2(sorts >= 100 && queries >= 30, qPrintable(QStringLiteral("%1 sorts, %2 criteria").arg(sorts).arg(queries)));
}

// With 自动提醒 on, the start-up runs the reminder list's scan and shows it only when something is due.
void TestModules::automaticReminderAtStart()
{
    Harness h;
    h.exec(QStringLiteral("update 公司信息 set 自动提醒=1"));
    h.beforeActivate = [](TForm_main* w) { registerModules(w); };
    TForm_main* w = h.start();
    QVERIFY(w->loggedIn());
    QVERIFY2(h.msg.shown().isEmpty(), qPrintable(h.msg.texts().join(QLatin1Char('|'))));
    QCOMPARE(h.modal.classes.value(0), QStringLiteral("TForm_Enter"));
    QVERIFY(h.modal.classes.size() <= 2);
    QVERIFY(!h.dm->q_tongyong.isOpen());
}

// The fleet windows as the main window opens them: their columns in order, the count and the sums.
void TestModules::fleetCommandsShowTheirColumnsAndSums()
{
    Harness h;
    h.exec(QStringLiteral("insert into 汽车档案 (车牌号, 车型) values ('苏A00001', 'A'), ('苏A00002', 'B')"));
    h.exec(QStringLiteral(
        "insert into 换油记录表 (车牌号, 单价, 数量, 金额) values ('苏A00001', 7.35, 40, 294), ('苏A00002', 7.35, 1, 7.35)"));
    h.exec(QStringLiteral(
        "insert into 车辆维修记录表 (车牌号, 材料费, 人工费, 其它费用, 总费用) values ('苏A00001', 100, 50.5, 0.0001, 150.5001)"));
    h.exec(QStringLiteral("insert into 事故登记表 (车牌号, 事故金额) values ('苏A00002', 1000)"));
    TForm_main* w = h.start();
    registerModules(w);
    struct Expect {
        const char* command;
        const char* firstColumn;
        int rows;
        const char* sum;  // a footer cell that must be there
    };
    for (const Expect& e : {Expect{"N11", "车牌号", 2, "2"}, Expect{"N21", "车牌号", 2, "301.35"},
                            Expect{"N22", "车牌号", 1, "150.5001"}, Expect{"N50", "车牌号", 1, "1000.00"}}) {
        GridSnapshot shot;
        h.onWindow = [&](QDialog* d) {
            if (auto* list = qobject_cast<ListWindow*>(d))
                shot = list->snapshot();
        };
        w->runCommand(QString::fromLatin1(e.command));
        QVERIFY2(!shot.columns.isEmpty(), e.command);
        QCOMPARE(shot.columns.first().title, QString::fromUtf8(e.firstColumn));
        QCOMPARE(shot.rows.size(), e.rows);
        QCOMPARE(shot.footer.value(0), QStringLiteral("记录数"));
        QVERIFY2(shot.footer.contains(QString::fromUtf8(e.sum)), qPrintable(shot.footer.join(QLatin1Char('|'))));
    }
}

// A customer registered, a vehicle reserved for them and a contract opened from the reservation,
// each through its command: the vehicle archive then shows the vehicle rented to that customer.
// Then the return and the settlement with its posting: the vehicle is free again and the received
// money stands in the cash journal with its balance.
void TestModules::rentalFlowFromTheMainWindow()
{
    Clock::setFixed(QDateTime(QDate(2004, 5, 1), QTime(9, 0)));
    Harness h;
    h.exec(QStringLiteral("insert into 汽车档案 (车牌号, 车辆状态) values ('苏A00001', '空闲')"));
    h.exec(QStringLiteral("insert into 经办人信息 (经办人姓名) values ('老周')"));
    TForm_main* w = h.start();
    registerModules(w);
    h.onWindow = [&](QDialog* d) {
        if (auto* list = qobject_cast<ListWindow*>(d)) {
            list->editButton->click();
            return;
        }
        if (auto* c = qobject_cast<TForm_hyzlb_edit*>(d)) {
            type(c->fieldFor(QStringLiteral("客户号")), QStringLiteral("k1"));
            type(c->fieldFor(QStringLiteral("客户姓名")), QStringLiteral("张三"));
            c->saveButton->click();
            c->closeButton->click();
        } else if (auto* r = qobject_cast<TForm_khydqc_edit*>(d)) {
            r->addButton->click();
            auto* customers = qobject_cast<QComboBox*>(r->fieldFor(QStringLiteral("客户号")));
            customers->setCurrentIndex(customers->findText(QStringLiteral("K1 张三")));
            r->customerLeft();
            type(r->fieldFor(QStringLiteral("车牌号")), QStringLiteral("苏A00001"));
            type(r->fieldFor(QStringLiteral("租赁单价")), QStringLiteral("150"));
            type(r->fieldFor(QStringLiteral("租赁期限")), QStringLiteral("2"));
            type(r->fieldFor(QStringLiteral("租赁公司经办人")), QStringLiteral("老周"));
            type(r->fieldFor(QStringLiteral("发车日期")), QStringLiteral("20040502"));
            r->saveButton->click();
            r->closeButton->click();
        } else if (auto* k = qobject_cast<TForm_qczlb_edit*>(d)) {
            k->addButton->click();
            k->reservationButton->click();
            k->saveButton->click();
            k->closeButton->click();
        } else if (auto* chooser = qobject_cast<TForm_qczlb_khyd*>(d)) {
            type(chooser->searchEdit, QStringLiteral("张"));
            chooser->findButton->click();
            chooser->selectButton->click();
        }
    };
    for (const char* command : {"N13", "N57", "N14"})
        w->runCommand(QString::fromLatin1(command));
    QCOMPARE(h.msg.texts(), QStringList(3, QStringLiteral("存盘完毕！")));

    GridSnapshot shot;
    h.onWindow = [&](QDialog* d) {
        if (auto* list = qobject_cast<ListWindow*>(d))
            shot = list->snapshot();
    };
    w->runCommand(QStringLiteral("N44"));  // the rental state of the fleet
    RecordSet& q = h.dm->q_change;
    q.setSql({QStringLiteral("select 车辆状态, 客户姓名, 租赁时间, 开始生效 from 汽车档案")});
    q.open();
    QCOMPARE(q.asString(QStringLiteral("车辆状态")), QStringLiteral("出租"));
    QCOMPARE(q.asString(QStringLiteral("客户姓名")), QStringLiteral("张三"));
    QCOMPARE(q.asDateTime(QStringLiteral("租赁时间")), QDateTime(QDate(2004, 5, 2), QTime(0, 0)));
    QVERIFY(q.asBoolean(QStringLiteral("开始生效")));
    q.close();
    q.setSql({QStringLiteral("select 执行完毕 || 租赁内部编号 from 客户预订汽车")});
    q.open();
    QCOMPARE(q.value(q.fields().first().name).toString(), QStringLiteral("是ZL2004000001"));
    q.close();

    // Back on 4 May at 10:00 after 950 km; settled the same day with 400 received.
    Clock::setFixed(QDateTime(QDate(2004, 5, 4), QTime(10, 0)));
    h.msg.clear();
    h.onWindow = [&](QDialog* d) {
        if (auto* list = qobject_cast<ListWindow*>(d)) {
            list->editButton->click();
        } else if (auto* r = qobject_cast<TForm_qczljcb_edit*>(d)) {
            type(r->field(QStringLiteral("DBDateTimeEditEh2")), QStringLiteral("20040504"));
            type(r->field(QStringLiteral("DBDateTimeEditEh1")), QStringLiteral("100000"));
            type(r->fieldFor(QStringLiteral("收车里程")), QStringLiteral("950"));
            type(r->fieldFor(QStringLiteral("客户交车")), QStringLiteral("已交"));
            r->saveButton->click();
            r->closeButton->click();
        } else if (auto* s = qobject_cast<TForm_qczljsd_edit*>(d)) {
            QVERIFY(s->calculateIntoRow());  // charges first, then the money received
            type(s->fieldFor(QStringLiteral("实收金额")), QStringLiteral("300"));
            qobject_cast<QCheckBox*>(s->fieldFor(QStringLiteral("帐款结清")))->setChecked(true);
            s->settlerFromHandlerButton->click();
            h.msg.script(Msg::Button::Yes);
            s->saveButton->click();
            s->closeButton->click();
        }
    };
    w->runCommand(QStringLiteral("N37"));
    w->runCommand(QStringLiteral("N16"));
    QCOMPARE(h.msg.texts(), (QStringList{QStringLiteral("存盘完毕！"), QStringLiteral("将实收金额写入现金日记帐吗? "),
                                         QStringLiteral("存盘完毕！")}));
    q.setSql({QStringLiteral("select 车辆状态 || '/' || coalesce(客户姓名, '') from 汽车档案")});
    q.open();
    QCOMPARE(q.value(q.fields().first().name).toString(), QStringLiteral("空闲/"));
    q.close();
    QCOMPARE(ServerDb::rowsText(h.dm->ADO_qczl, QStringLiteral("select 收费金额, 实收金额, 帐款结清, 应退金额 from 汽车租赁登记表")),
             QStringLiteral("300/300/1/0"));  // 2 days at 150
    QCOMPARE(ServerDb::rowsText(h.dm->ADO_qczl, QStringLiteral("select 日期, 摘要, 借方, 余额, 经办人 from 现金日记帐")),
             QStringLiteral("2004-05-04 00:00:00/租赁收入/300/300/老周"));
    Clock::setSource({});
}

QTEST_MAIN(TestModules)
#include "test_modules.moc"
