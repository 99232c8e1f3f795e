// Query dialogs: the condition texts of the examples, the date-range checks, the three variants, the
// SQL lines of every configured dialog and safe quoting, on a real database.
#include "core/clock.h"
#include "tests/records/configs.h"
#include "data/creation.h"
#include "core/money.h"
#include "data/datamodule.h"
#include "ui/common/messages.h"
#include "ui/common/modal.h"
#include "ui/shell/help.h"
#include "ui/records/querydialog.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

class TestQueryDialog : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    TDm1 dm;

    static QString cond(const char* cls, const QHash<QString, QString>& texts)
    {
        return buildCondition(*queryDialogConfig(QString::fromUtf8(cls)), texts);
    }

    void openContracts()
    {
        dm.q_qczlb.close();
        dm.q_qczlb.setSql({QStringLiteral("select * from 汽车租赁登记表 "), QStringLiteral("order by 内部编号")});
        dm.q_qczlb.open();
    }

private Q_SLOTS:
    void initTestCase()
    {
        addAllConfigs();
        QVERIFY(createDatabase(dir.filePath(QStringLiteral("q.db")), QDate(2004, 5, 1)));
        QVERIFY(dm.connect(dir.filePath(QStringLiteral("q.db"))));
        auto& db = dm.ADO_qczl;
        db.execute(QStringLiteral("insert into 汽车租赁登记表 (内部编号, 车牌号, 发车日期, 帐款结清) values "
                                  "('ZL2004000012', '苏A1234', '2004-05-01 23:00:00', 0), "
                                  "('ZL2004000013', '京苏A99', '2004-05-02 08:00:00', 1), "
                                  "('ZL2004000014', '沪C0001', '2004-04-30 08:00:00', 0)"));
        db.execute(QStringLiteral("insert into 客户预订汽车 (内部编号, 车牌号, 发车日期, 执行完毕) values "
                                  "('YD2004000001', '苏A1234', '2004-05-01 10:00:00', '否')"));
        db.execute(QStringLiteral("insert into 客户登记表 (客户号, 客户姓名, 性别) values "
                                  "('K3', '王五', '男'), ('K1', '李四', '女'), ('K2', '王二', '男')"));
    }

    void conditionTexts()
    {
        const QString blank = QStringLiteral("    -  -  ");
        QCOMPARE(cond("TForm_qczlb_cx", {{QStringLiteral("cb车牌号"), QStringLiteral("苏A")}, {QStringLiteral("dt发车从"), blank}}),
                 QStringLiteral("(车牌号 like '苏A%')"));
        QCOMPARE(cond("TForm_qczlb_cx",
                      {{QStringLiteral("ed内部编号"), QStringLiteral("0012")}, {QStringLiteral("cb车牌号"), QStringLiteral(" 苏A ")}}),
                 QStringLiteral("(内部编号 like '%0012%')and(车牌号 like '%苏A%')"));
        QCOMPARE(cond("TForm_qczlb_cx", {{QStringLiteral("cb帐款结清"), QStringLiteral("否")}}), QStringLiteral("(帐款结清 = false)"));
        QCOMPARE(cond("TForm_qczlb_cx",
                      {{QStringLiteral("ed内部编号"), QStringLiteral("1")}, {QStringLiteral("cb帐款结清"), QStringLiteral("是")}}),
                 QStringLiteral("(内部编号 like '%1%')and(帐款结清 = true)"));
        QCOMPARE(cond("TForm_qczlb_cx", {{QStringLiteral("cb帐款结清"), QStringLiteral("也许")}}), QString());
        QCOMPARE(cond("TForm_qczlb_cx", {{QStringLiteral("cb经办人"), QStringLiteral("张")},
                                         {QStringLiteral("dt发车从"), QStringLiteral("2004-05-01")},
                                         {QStringLiteral("dt发车到"), QStringLiteral("2004-05-03")},
                                         {QStringLiteral("dt收车从"), QStringLiteral("2004-05-02")},
                                         {QStringLiteral("dt收车到"), QStringLiteral("2004-05-04")}}),
                 QStringLiteral("(发车日期 between cvdate('2004-05-01 0:0:0') and cvdate('2004-05-03 23:59:59'))"
                                "and(租赁公司经办人 = '张')"
                                "and(收车日期 between cdate('2004-05-02 0:0:0') and cdate('2004-05-04 23:59:59'))"));
        QCOMPARE(cond("TForm_xjrjz_cx", {{QStringLiteral("Edit1"), QStringLiteral("7")},
                                         {QStringLiteral("dt日期从"), QStringLiteral("2004-03-01")},
                                         {QStringLiteral("dt日期到"), QStringLiteral("2004-03-31")}}),
                 QStringLiteral("(凭证号 like '%7%')and(日期 between cdate('2004-03-01') and cdate('2004-03-31'))"));
        QCOMPARE(cond("TForm_hyzlb_cx", {{QStringLiteral("cb客户姓名"), QStringLiteral("王")}}),
                 QStringLiteral("(客户姓名 like '王%')"));
        QCOMPARE(cond("TForm_sgjlb_cx",
                      {{QStringLiteral("cb车牌号"), QStringLiteral("苏A")}, {QStringLiteral("ed驾驶员"), QStringLiteral("O'Neil")}}),
                 QStringLiteral("(车牌号 = '苏A')and(驾驶员 = 'O''Neil')"));
        // The fines of a customer, by number or by name, with their state.
        QCOMPARE(cond("FinesWindow_cx", {{QStringLiteral("ed客户号"), QStringLiteral("K001")},
                                         {QStringLiteral("cb处理状态"), QStringLiteral("未处理")},
                                         {QStringLiteral("ed客户姓名"), QStringLiteral("O'Brien")}}),
                 QStringLiteral("(处理状态 = '未处理')and(客户号 = 'K001')and(客户姓名 like 'O''Brien%')"));
    }

    void sqlLinesOfEveryDialog()
    {
        QCOMPARE(queryDialogTable().size(), 8);
        const QString c = QStringLiteral("(x)");
        QCOMPARE(buildQueryLines(*queryDialogConfig(QStringLiteral("TForm_qczlb_cx")), c),
                 (QStringList{QStringLiteral("select * from 汽车租赁登记表"), QStringLiteral(" where (x)"),
                              QStringLiteral("order by 内部编号")}));
        QCOMPARE(buildQueryLines(*queryDialogConfig(QStringLiteral("TForm_khydqc_cx")), c),
                 (QStringList{QStringLiteral("select * from 客户预订汽车"), QStringLiteral(" where (x)"),
                              QStringLiteral("order by 内部编号")}));
        QCOMPARE(buildQueryLines(*queryDialogConfig(QStringLiteral("TForm_xjrjz_cx")), c),
                 (QStringList{QStringLiteral("select * from 现金日记帐"), QStringLiteral(" where (x)"),
                              QStringLiteral("order by 日期")}));
        for (const char* t : {"换油记录表", "车辆维修记录表", "事故登记表"}) {
            const auto* s = [&] {
                for (const auto& q : queryDialogTable())
                    if (q.selectLines.value(1) == QString::fromUtf8(t))
                        return &q;
                return static_cast<const QueryDialogConfig*>(nullptr);
            }();
            QVERIFY(s);
            QCOMPARE(buildQueryLines(*s, c), (QStringList{QStringLiteral("select * from "), QString::fromUtf8(t),
                                                          QStringLiteral(" where (x)"), QStringLiteral("order by 车牌号")}));
            QCOMPARE(s->variant, QueryVariant::AlwaysClose);
        }
        QCOMPARE(buildQueryLines(*queryDialogConfig(QStringLiteral("TForm_hyzlb_cx")), c),
                 (QStringList{QStringLiteral("select * from 客户登记表 "), QStringLiteral(" where "), c,
                              QStringLiteral("order by 客户姓名")}));
        // every dialog can be built against its query
        for (const auto& s : queryDialogTable()) {
            QueryDialog d(s, &dm);
            QCOMPARE(d.windowTitle(), s.caption);
            for (const QString& name : s.enterChain)
                QVERIFY2(d.control(name), qPrintable(s.className + name));
        }
    }

    void dateRangeChecks()
    {
        openContracts();
        QueryDialog d(*queryDialogConfig(QStringLiteral("TForm_qczlb_cx")), &dm);
        Msg::Recorder msgs;
        d.setText(QStringLiteral("dt收车从"), QStringLiteral("2004-05-01"));
        d.onSeek();
        QCOMPARE(msgs.texts(), QStringList{QStringLiteral("收车日期输入错误,请重新输入!")});
        QCOMPARE(d.focusWidget(), d.control(QStringLiteral("dt收车从")));
        QCOMPARE(dm.q_qczlb.sql().last(), QStringLiteral("order by 内部编号"));  // no query
        msgs.clear();
        // the ranges are checked in turn: 发车日期 first
        d.setText(QStringLiteral("dt发车从"), QStringLiteral("2004-05-02"));
        d.setText(QStringLiteral("dt发车到"), QStringLiteral("2004-05-01"));
        d.onSeek();
        QCOMPARE(msgs.texts(), QStringList{QStringLiteral("发车日期从大于发车日期到,请重新输入!")});
        QCOMPARE(d.focusWidget(), d.control(QStringLiteral("dt发车从")));
        msgs.clear();
        // an impossible date is refused like an incomplete range
        d.setText(QStringLiteral("dt收车从"), QString());
        d.setText(QStringLiteral("dt发车从"), QStringLiteral("2004-02-30"));
        d.onSeek();
        QCOMPARE(msgs.texts(), QStringList{QStringLiteral("发车日期输入错误,请重新输入!")});
        msgs.clear();
        // equal dates pass; whole days reach 23:59:59
        d.setText(QStringLiteral("dt发车从"), QStringLiteral("2004-05-01"));
        d.setText(QStringLiteral("dt发车到"), QStringLiteral("2004-05-01"));
        d.onSeek();
        QVERIFY(msgs.texts().isEmpty());
        QCOMPARE(dm.q_qczlb.recordCount(), 1);
        QCOMPARE(dm.q_qczlb.asString(QStringLiteral("内部编号")), QStringLiteral("ZL2004000012"));
        QVERIFY(!d.busyAnimation->isVisible());
    }

    void plainDatesEndAtMidnight()
    {
        dm.q_khydqc.setSql({QStringLiteral("select * from 客户预订汽车 "), QStringLiteral("order by 内部编号")});
        dm.q_khydqc.open();
        QueryDialog d(*queryDialogConfig(QStringLiteral("TForm_khydqc_cx")), &dm);
        Msg::Recorder msgs;
        msgs.script(Msg::Button::No);
        d.setText(QStringLiteral("dt预订从"), QStringLiteral("2004-04-01"));
        d.setText(QStringLiteral("dt预订到"), QStringLiteral("2004-05-01"));
        d.onSeek();
        QCOMPARE(dm.q_khydqc.recordCount(), 0);
        QCOMPARE(msgs.texts(), QStringList{QStringLiteral("没有找到合适的记录,是否重新查找!!")});
    }

    void variants()
    {
        // A: nothing found, Yes stays for another try, No closes with the empty list
        openContracts();
        {
            QueryDialog d(*queryDialogConfig(QStringLiteral("TForm_qczlb_cx")), &dm);
            d.show();
            Msg::Recorder msgs;
            msgs.script(Msg::Button::Yes);
            d.setText(QStringLiteral("ed内部编号"), QStringLiteral("9999"));
            d.onSeek();
            QCOMPARE(msgs.shown().size(), 1);
            QCOMPARE(msgs.shown()[0].request.icon, Msg::Icon::Question);
            QVERIFY(d.isVisible());
            msgs.script(Msg::Button::No);
            d.onSeek();
            QVERIFY(!d.isVisible());
            QCOMPARE(dm.q_qczlb.recordCount(), 0);
        }
        // A: found, closes; a quote neither breaks the list nor changes the query
        {
            QueryDialog d(*queryDialogConfig(QStringLiteral("TForm_qczlb_cx")), &dm);
            d.show();
            Msg::Recorder msgs;
            msgs.script(Msg::Button::Yes);
            d.setText(QStringLiteral("cb车牌号"), QStringLiteral("苏A' or '1'='1"));
            d.onSeek();
            QCOMPARE(msgs.texts(), QStringList{QStringLiteral("没有找到合适的记录,是否重新查找!!")});
            QVERIFY(dm.q_qczlb.isOpen());
            QCOMPARE(dm.q_qczlb.recordCount(), 0);
            d.setText(QStringLiteral("cb车牌号"), QStringLiteral("苏A"));
            d.onSeek();
            QVERIFY(!d.isVisible());
            QCOMPARE(dm.q_qczlb.recordCount(), 1);
            QCOMPARE(dm.q_qczlb.sql()[1], QStringLiteral(" where (车牌号 like '苏A%')"));
        }
        // no criterion: the message, focus on the plate, no query
        {
            QueryDialog d(*queryDialogConfig(QStringLiteral("TForm_qczlb_cx")), &dm);
            Msg::Recorder msgs;
            d.onSeek();
            QCOMPARE(msgs.texts(), QStringList{QStringLiteral("查询条件没有输入,请确认!")});
            QCOMPARE(d.focusWidget(), d.control(QStringLiteral("cb车牌号")));
        }
        // C: stays with "没有找到相应的记录!" until something is found; rows ordered by name
        dm.q_hyzlb.setSql({QStringLiteral("select * from 客户登记表 "), QStringLiteral("order by 客户号")});
        dm.q_hyzlb.open();
        {
            QueryDialog d(*queryDialogConfig(QStringLiteral("TForm_hyzlb_cx")), &dm);
            QCOMPARE(d.seekButton->objectName(), QStringLiteral("SpeedButton1"));
            d.show();
            Msg::Recorder msgs;
            d.setText(QStringLiteral("cb客户姓名"), QStringLiteral("赵"));
            d.onSeek();
            QCOMPARE(msgs.shown().size(), 1);
            QCOMPARE(msgs.shown()[0].request.text, QStringLiteral("没有找到相应的记录!"));
            QCOMPARE(msgs.shown()[0].request.caption, Msg::appTitle());
            QVERIFY(d.isVisible());
            d.setText(QStringLiteral("cb客户姓名"), QStringLiteral("王"));
            d.onSeek();
            QVERIFY(!d.isVisible());
            QCOMPARE(dm.q_hyzlb.recordCount(), 2);
            QCOMPARE(dm.q_hyzlb.asString(QStringLiteral("客户姓名")), QStringLiteral("王二"));
        }
        // B: closes on the first row whatever the result
        dm.q_wxjlb.open();
        {
            QueryDialog d(*queryDialogConfig(QStringLiteral("TForm_wxjlb_cx")), &dm);
            d.show();
            Msg::Recorder msgs;
            d.setText(QStringLiteral("cb经办人"), QStringLiteral("无人"));
            d.onSeek();
            QVERIFY(msgs.texts().isEmpty());
            QVERIFY(!d.isVisible());
            QCOMPARE(dm.q_wxjlb.sql(), (QStringList{QStringLiteral("select * from "), QStringLiteral("车辆维修记录表"),
                                                    QStringLiteral(" where (经办人 = '无人')"), QStringLiteral("order by 车牌号")}));
        }
    }

    void enterChainAndHelp()
    {
        openContracts();
        QueryDialog d(*queryDialogConfig(QStringLiteral("TForm_sgjlb_cx")), &dm);
        d.show();
        dm.q_sgjlb.setSql({QStringLiteral("select * from 事故登记表 "), QStringLiteral("order by 事故时间")});
        dm.q_sgjlb.open();
        QCOMPARE(d.focusWidget(), d.control(QStringLiteral("cb车牌号")));
        QTest::keyClick(d.control(QStringLiteral("cb车牌号")), Qt::Key_Return);
        QCOMPARE(d.focusWidget(), d.control(QStringLiteral("dt从")));
        // the accident dialog's own range messages
        Msg::Recorder msgs;
        d.setText(QStringLiteral("dt到"), QStringLiteral("2004-01-01"));
        QTest::keyClick(d.control(QStringLiteral("ed驾驶员")), Qt::Key_Return);  // last field: 查询
        QCOMPARE(msgs.texts(), QStringList{QStringLiteral("事故时间输入错误,请重新输入!")});

        QueryDialog x(*queryDialogConfig(QStringLiteral("TForm_xjrjz_cx")), &dm);
        QStringList shown;
        Modal::Recorder modal;
        modal.handler = [&](QDialog* w) {
            shown = static_cast<TForm_help*>(w)->lines();
            return 0;
        };
        x.helpButton->click();
        QCOMPARE(modal.captions, QStringList{QStringLiteral("帮助窗口")});
        QCOMPARE(shown, (QStringList{QStringLiteral("1.查询内容是与的关系;"), QStringLiteral("2.日期从(到)正确的输入是:2001-7-6;"),
                                     QStringLiteral("3.查询内容是包含查询,如内部编号输入2001,则查询结果是包含2001的记录。")}));
        QVERIFY(!d.helpButton);
    }

    void structuredQueryBesideTheLines()
    {
        const QueryDialogConfig& c = *queryDialogConfig(QStringLiteral("TForm_qczlb_cx"));
        const ListQuery q = buildQuery(c, {{QStringLiteral("ed内部编号"), QStringLiteral("0012")},
                                           {QStringLiteral("cb车牌号"), QStringLiteral("苏A")},
                                           {QStringLiteral("cb帐款结清"), QStringLiteral("否")}});
        // the lines exactly as the dialog writes them
        QCOMPARE(q.lines, (QStringList{QStringLiteral("select * from 汽车租赁登记表"),
                                       QStringLiteral(" where (内部编号 like '%0012%')and(车牌号 like '%苏A%')and(帐款结清 = false)"),
                                       QStringLiteral("order by 内部编号")}));
        // and what they select, for sums and sorting
        QCOMPARE(q.table, QStringLiteral("汽车租赁登记表"));
        QCOMPARE(q.terms, (QStringList{QStringLiteral("(内部编号 like '%0012%')"), QStringLiteral("(车牌号 like '%苏A%')"),
                                       QStringLiteral("(帐款结清 = false)")}));
        QCOMPARE(q.order, (QVector<OrderMark>{{QStringLiteral("内部编号"), false}}));
        QCOMPARE(q.sumStatement({QStringLiteral("押金"), QStringLiteral("预收租金")}),
                 QStringLiteral("select sum(押金), sum(预收租金) from 汽车租赁登记表 where (内部编号 like '%0012%') and "
                                "(车牌号 like '%苏A%') and (帐款结清 = false)"));
        // title sorting replaces the last line only
        const ListQuery sorted = q.withOrder({{QStringLiteral("车型"), true}, {QStringLiteral("客户号"), false}},
                                             QStringLiteral(" ORDER BY 车型 DESC , 客户号"));
        QCOMPARE(sorted.lines.mid(0, 2), q.lines.mid(0, 2));
        QCOMPARE(sorted.lines.last(), QStringLiteral(" ORDER BY 车型 DESC , 客户号"));
        QCOMPARE(sorted.terms, q.terms);

        // on the engine: the sums of the structured form equal the rows the lines select (like
        // ignores the case of Latin letters)
        dm.ADO_qczl.execute(QStringLiteral("delete from 汽车租赁登记表"));
        dm.ADO_qczl.execute(QStringLiteral("insert into 汽车租赁登记表 (内部编号, 车牌号, 押金, 帐款结清) values "
                                           "('ZL20040012', '苏A1', 100.5, 0), ('ZL20040012', '苏B1', 7, 0), "
                                           "('zl20040012', '苏a2', 0.25, 0), ('ZL20040012', '苏A3', 1000, 1)"));
        dm.q_qczlb.close();
        dm.q_qczlb.setQuery(q);
        dm.q_qczlb.open();
        QCOMPARE(dm.q_qczlb.recordCount(), 2);
        QSqlQuery sums = dm.ADO_qczl.run(q.sumStatement({QStringLiteral("押金")}));
        QVERIFY(sums.next());
        QCOMPARE(Money::fromVariant(sums.value(0)).toString(), QStringLiteral("100.7500"));
        QVERIFY(dm.q_qczlb.listQuery());
        dm.q_qczlb.setSql(q.lines);  // lines alone carry no structure
        QVERIFY(!dm.q_qczlb.listQuery());
        dm.q_qczlb.close();
        dm.ADO_qczl.execute(QStringLiteral("delete from 汽车租赁登记表"));
    }
};

QTEST_MAIN(TestQueryDialog)
#include "test_querydialog.moc"
