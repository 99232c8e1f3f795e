// Edit dialog states and steps on a real database: add guard on an empty table, non-discarding and
// discarding 增加, re-stamping an unchanged row, duplicates while adding and editing, 返回, Enter
// chains, the guarded write, date and time of one column.
#include "core/clock.h"
#include "fleet/qcda.h"
#include "cash/journalwindows.h"
#include "tests/common/typing.h"
#include "tests/records/configs.h"
#include "core/session.h"
#include "data/creation.h"
#include "data/datamodule.h"
#include "ui/common/messages.h"
#include "ui/common/calculator.h"
#include "ui/records/editdialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QSqlQuery>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {
const QString Plate = QStringLiteral("车牌号");

QVector<FieldDef> vehicleFields()
{
    return {{.objectName = "DBEdit1", .label = "车牌号：", .column = "车牌号", .upper = true},
            {.objectName = "DBEdit2", .label = "车型：", .column = "车型", .chinese = true},
            {.objectName = "DBEdit3", .label = "公里数：", .column = "公里数", .kind = FieldKind::Number, .maximum = 999999},
            {.objectName = "DBDate1", .label = "租赁时间：", .column = "租赁时间", .kind = FieldKind::Date},
            {.objectName = "DBTime1", .column = "租赁时间", .kind = FieldKind::Time},
            {.objectName = "DBComboBox1",
             .label = "车辆状态：",
             .column = "车辆状态",
             .kind = FieldKind::Combo,
             .items = {"空闲", "出租", "维修"},
             .listOnly = true},
            {.objectName = "DBCheckBox1", .label = "停用：", .column = "停用", .kind = FieldKind::Check},
            {.objectName = "DBEdit4", .label = "操作员：", .column = "操作员", .kind = FieldKind::ReadOnly}};
}

// A vehicle dialog whose write can be made to fail before or after the row is written.
class VehicleDialog : public EditDialog {
public:
    VehicleDialog(TDm1* dm) : EditDialog(TForm_qcda_edit::spec(), vehicleFields(), dm)
    {
        setRequired({{Plate, QStringLiteral("车牌号不能为空,请重新输入!"), {}}});
    }
    bool failBefore = false;
    bool failAfter = false;
    int cleanUps = 0;
    bool checksPass = true;
    bool preparePasses = true;
    QStringList steps;  // the module steps of 存盘 in the order they ran

protected:
    void fillDefaults() override { steps << QStringLiteral("defaults"); }
    bool moduleChecks() override
    {
        steps << QStringLiteral("checks");
        return checksPass;
    }
    bool prepareWrite() override
    {
        steps << QStringLiteral("prepare");
        return preparePasses;
    }
    void assignBeforeWrite() override
    {
        steps << QStringLiteral("assign");
        if (failBefore)
            throw DbError(QStringLiteral("refused"));
    }
    void afterWrite() override
    {
        if (failAfter)
            throw DbError(QStringLiteral("follow-up failed"));
    }
    void cleanUp() override { ++cleanUps; }
};


QLineEdit* line(EditDialog& d, const char* name)
{
    return qobject_cast<QLineEdit*>(d.field(QString::fromUtf8(name)));
}
}  // namespace

class TestEditDialog : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    TDm1 dm;

    void openVehicles()
    {
        dm.q_qcda.close();
        dm.q_qcda.setSql({QStringLiteral("select * from 汽车档案 "), QStringLiteral("order by 车牌号")});
        dm.q_qcda.open();
    }
    QString stored(const QString& plate, const QString& column)
    {
        QSqlQuery q = dm.ADO_qczl.run(QStringLiteral("select ") + column + QStringLiteral(" from 汽车档案 where 车牌号='") + plate
                                      + QStringLiteral("'"));
        return q.next() ? q.value(0).toString() : QStringLiteral("<none>");
    }

private Q_SLOTS:
    void initTestCase()
    {
        addAllConfigs();
        Clock::setFixed(QDateTime(QDate(2004, 5, 1), QTime(9, 30)));
        Session::currentOperator().name = QStringLiteral("张三");
        QVERIFY(createDatabase(dir.filePath(QStringLiteral("q.db")), QDate(2004, 5, 1)));
        QVERIFY(dm.connect(dir.filePath(QStringLiteral("q.db"))));
    }

    void emptyTableWithAddGuard()
    {
        openVehicles();
        VehicleDialog d(&dm);
        d.show();
        QVERIFY(!d.adding());
        Msg::Recorder msgs;
        d.addButton->click();
        QCOMPARE(msgs.texts(), QStringList{QStringLiteral("车牌号不能为空,请重新输入!")});
        QCOMPARE(msgs.shown()[0].request.caption, QStringLiteral("提示"));
        QCOMPARE(d.focusWidget(), d.field(QStringLiteral("DBEdit1")));
        QVERIFY(!d.adding());
        // typing into the key starts the first row, upper case forced
        QTest::keyClicks(d.field(QStringLiteral("DBEdit1")), QStringLiteral("su1"));
        QCOMPARE(line(d, "DBEdit1")->text(), QStringLiteral("SU1"));
        QCOMPARE(dm.q_qcda.state(), RecordSet::Insert);
        d.saveButton->click();
        QCOMPARE(msgs.lastText(), QStringLiteral("存盘完毕！"));
        QCOMPARE(stored(QStringLiteral("SU1"), QStringLiteral("操作员")), QStringLiteral("张三"));
        QCOMPARE(stored(QStringLiteral("SU1"), QStringLiteral("操作日期")), QStringLiteral("2004-05-01 09:30:00"));
        QCOMPARE(line(d, "DBEdit4")->text(), QStringLiteral("张三"));
    }

    void addWritesPendingEditsWithoutChecks()
    {
        openVehicles();
        VehicleDialog d(&dm);
        d.show();
        Clock::setFixed(QDateTime(QDate(2004, 5, 2), QTime(8, 0)));
        Session::currentOperator().name = QStringLiteral("李四");
        sendText(d.field(QStringLiteral("DBEdit2")), QStringLiteral("桑塔纳"));
        QCOMPARE(dm.q_qcda.state(), RecordSet::Edit);
        Msg::Recorder msgs;
        d.addButton->click();
        QVERIFY(msgs.texts().isEmpty());
        QVERIFY(d.adding());
        QVERIFY(!d.closeButton->isEnabled());
        QCOMPARE(dm.q_qcda.state(), RecordSet::Insert);
        QCOMPARE(line(d, "DBEdit1")->text(), QString());
        QCOMPARE(d.focusWidget(), d.field(QStringLiteral("DBEdit1")));
        // stored as typed, without new stamps
        QCOMPARE(stored(QStringLiteral("SU1"), QStringLiteral("车型")), QStringLiteral("桑塔纳"));
        QCOMPARE(stored(QStringLiteral("SU1"), QStringLiteral("操作员")), QStringLiteral("张三"));
        // 取消 drops the new row and ends adding
        d.cancelButton->click();
        QVERIFY(!d.adding());
        QCOMPARE(dm.q_qcda.recordCount(), 1);
        QCOMPARE(line(d, "DBEdit1")->text(), QStringLiteral("SU1"));

        // 存盘 on the unchanged row writes it again with fresh stamps
        d.saveButton->click();
        QCOMPARE(msgs.lastText(), QStringLiteral("存盘完毕！"));
        QCOMPARE(stored(QStringLiteral("SU1"), QStringLiteral("操作员")), QStringLiteral("李四"));
        QCOMPARE(stored(QStringLiteral("SU1"), QStringLiteral("操作日期")), QStringLiteral("2004-05-02 08:00:00"));
    }

    void discardingAddLosesEdits()
    {
        dm.q_xjrjz.close();
        dm.q_xjrjz.setSql({QStringLiteral("select * from 现金日记帐 "), QStringLiteral("order by 日期")});
        dm.q_xjrjz.open();
        dm.q_xjrjz.append();
        dm.q_xjrjz.setValue(QStringLiteral("凭证号"), QStringLiteral("001"));
        dm.q_xjrjz.post();
        EditDialog d(TForm_xjrjz_edit::spec(),
                     {{QStringLiteral("DBEdit1"), QStringLiteral("凭证号："), QStringLiteral("凭证号")},
                      {QStringLiteral("DBEdit2"), QStringLiteral("借方："), QStringLiteral("借方"), FieldKind::Number, false, false,
                       false, 2}},
                     &dm);
        d.show();
        QTest::keyClicks(d.field(QStringLiteral("DBEdit1")), QStringLiteral("X"));
        d.addButton->click();
        QVERIFY(d.adding());
        d.cancelButton->click();
        QCOMPARE(dm.q_xjrjz.recordCount(), 1);
        QCOMPARE(dm.q_xjrjz.asString(QStringLiteral("凭证号")), QStringLiteral("001"));
        // money typed is stored exactly
        QTest::keyClicks(d.field(QStringLiteral("DBEdit2")), QStringLiteral("1234.56"));
        Msg::Recorder msgs;
        d.saveButton->click();
        dm.q_xjrjz.reopen();
        QCOMPARE(dm.q_xjrjz.asMoney(QStringLiteral("借方")), Money::fromUnits(12345600));
    }

    void duplicateWhileAddingAndEditing()
    {
        openVehicles();
        VehicleDialog d(&dm);
        d.show();
        Msg::Recorder msgs;
        // editing the stored row with its own key passes (count 1)
        d.saveButton->click();
        QCOMPARE(msgs.lastText(), QStringLiteral("存盘完毕！"));
        d.addButton->click();
        QTest::keyClicks(d.field(QStringLiteral("DBEdit1")), QStringLiteral("SU1"));
        msgs.clear();
        d.saveButton->click();
        QCOMPARE(msgs.texts(), QStringList{QStringLiteral("车牌号重复,请重新输入!")});
        QCOMPARE(msgs.shown()[0].request.icon, Msg::Icon::Information);
        QVERIFY(d.adding());
        QCOMPARE(d.focusWidget(), d.field(QStringLiteral("DBEdit1")));
        QVERIFY(!dm.q_search.isOpen());
        // a quote in the key neither breaks the test nor matches everything
        line(d, "DBEdit1")->clear();
        QTest::keyClicks(d.field(QStringLiteral("DBEdit1")), QStringLiteral("O'B"));
        d.saveButton->click();
        QCOMPARE(msgs.lastText(), QStringLiteral("存盘完毕！"));
        QVERIFY(!d.adding());
        QCOMPARE(stored(QStringLiteral("O''B"), Plate), QStringLiteral("O'B"));
    }

    void refusedWriteKeepsTheInputAndRollsBackTogether()
    {
        openVehicles();
        VehicleDialog d(&dm);
        d.show();
        Msg::Recorder msgs;
        d.addButton->click();
        QTest::keyClicks(d.field(QStringLiteral("DBEdit1")), QStringLiteral("NEW1"));
        d.failBefore = true;
        d.saveButton->click();
        // said, not swallowed; the typed row is still pending and the dialog still adding
        QCOMPARE(msgs.texts(), QStringList{QStringLiteral("存盘没有成功:refused")});
        QVERIFY(d.adding());
        QCOMPARE(d.cleanUps, 1);
        QCOMPARE(stored(QStringLiteral("NEW1"), Plate), QStringLiteral("<none>"));
        QCOMPARE(dm.q_qcda.state(), RecordSet::Insert);
        QCOMPARE(line(d, "DBEdit1")->text(), QStringLiteral("NEW1"));
        // a second 存盘 succeeds
        d.failBefore = false;
        msgs.clear();
        d.saveButton->click();
        QCOMPARE(msgs.texts(), QStringList{QStringLiteral("存盘完毕！")});
        QVERIFY(!d.adding());
        QCOMPARE(stored(QStringLiteral("NEW1"), Plate), QStringLiteral("NEW1"));

        // a follow-up failure takes the row back out with it: one action, one transaction
        d.failAfter = true;
        d.addButton->click();
        QTest::keyClicks(d.field(QStringLiteral("DBEdit1")), QStringLiteral("NEW2"));
        msgs.clear();
        d.saveButton->click();
        QCOMPARE(msgs.texts(), QStringList{QStringLiteral("存盘没有成功:follow-up failed")});
        QCOMPARE(stored(QStringLiteral("NEW2"), Plate), QStringLiteral("<none>"));
        QCOMPARE(dm.q_qcda.state(), RecordSet::Insert);
        QVERIFY(d.adding());
        d.failAfter = false;
        d.cancelButton->click();
        QVERIFY(!d.adding());
        QCOMPARE(dm.q_qcda.state(), RecordSet::Browse);
    }

    // Nothing is prepared before every check and the duplicate test passed; a preparation that
    // stops the save writes nothing and leaves the dialog adding.
    void saveStepsPrepareOnlyAfterTheChecks()
    {
        openVehicles();
        VehicleDialog d(&dm);
        d.show();
        Msg::Recorder msgs;
        d.addButton->click();
        auto retype = [&](const QString& plate) {
            line(d, "DBEdit1")->clear();
            QTest::keyClicks(d.field(QStringLiteral("DBEdit1")), plate);
            d.steps.clear();
            msgs.clear();
        };
        const QStringList checked{QStringLiteral("defaults"), QStringLiteral("checks")};
        retype(QStringLiteral("STEP1"));
        d.checksPass = false;
        d.saveButton->click();
        QCOMPARE(d.steps, checked);
        d.checksPass = true;
        retype(QStringLiteral("SU1"));
        d.saveButton->click();
        QCOMPARE(msgs.texts(), QStringList{QStringLiteral("车牌号重复,请重新输入!")});
        QCOMPARE(d.steps, checked);

        retype(QStringLiteral("STEP1"));
        d.preparePasses = false;
        d.saveButton->click();
        QCOMPARE(d.steps, checked + QStringList{QStringLiteral("prepare")});
        QVERIFY(msgs.texts().isEmpty());
        QCOMPARE(stored(QStringLiteral("STEP1"), Plate), QStringLiteral("<none>"));
        QVERIFY(d.adding());
        d.preparePasses = true;
        d.steps.clear();
        d.saveButton->click();
        QCOMPARE(d.steps, (checked + QStringList{QStringLiteral("prepare"), QStringLiteral("assign")}));
        QCOMPARE(msgs.texts(), QStringList{QStringLiteral("存盘完毕！")});
        QCOMPARE(stored(QStringLiteral("STEP1"), Plate), QStringLiteral("STEP1"));
        QVERIFY(!d.adding());
    }

    void fieldKindsAndReturn()
    {
        openVehicles();
        VehicleDialog d(&dm);
        d.show();
        Msg::Recorder msgs;
        // date and time edit the two halves of one column; number, drop-down and check box
        line(d, "DBDate1")->setCursorPosition(0);
        QTest::keyClicks(d.field(QStringLiteral("DBDate1")), QStringLiteral("20040229"));
        line(d, "DBTime1")->setCursorPosition(0);
        QTest::keyClicks(d.field(QStringLiteral("DBTime1")), QStringLiteral("143005"));
        QTest::keyClicks(d.field(QStringLiteral("DBEdit3")), QStringLiteral("12345"));
        qobject_cast<QComboBox*>(d.field(QStringLiteral("DBComboBox1")))->setCurrentIndex(1);
        qobject_cast<QCheckBox*>(d.field(QStringLiteral("DBCheckBox1")))->setChecked(true);
        d.saveButton->click();
        const QString plate = dm.q_qcda.asString(Plate);
        QCOMPARE(stored(plate, QStringLiteral("租赁时间")), QStringLiteral("2004-02-29 14:30:05"));
        // the time alone changes, the date stays
        line(d, "DBTime1")->setCursorPosition(0);
        QTest::keyClicks(d.field(QStringLiteral("DBTime1")), QStringLiteral("08"));
        d.saveButton->click();
        QCOMPARE(stored(plate, QStringLiteral("租赁时间")), QStringLiteral("2004-02-29 08:30:05"));
        QCOMPARE(line(d, "DBDate1")->text(), QStringLiteral("2004-02-29"));
        QCOMPARE(stored(plate, QStringLiteral("公里数")).toDouble(), 12345.0);
        QCOMPARE(stored(plate, QStringLiteral("车辆状态")), QStringLiteral("出租"));
        QCOMPARE(stored(plate, QStringLiteral("停用")), QStringLiteral("1"));

        // 返回 drops changes without a question and closes; the close box does nothing
        sendText(d.field(QStringLiteral("DBEdit2")), QStringLiteral("改"));
        QVERIFY(!d.close());
        QVERIFY(d.isVisible());
        msgs.clear();
        d.closeButton->click();
        QVERIFY(msgs.texts().isEmpty());
        QVERIFY(!d.isVisible());
        QCOMPARE(dm.q_qcda.state(), RecordSet::Browse);
        QVERIFY(!dm.q_qcda.asString(QStringLiteral("车型")).endsWith(QStringLiteral("改")));
    }

    void enterChain()
    {
        openVehicles();
        VehicleDialog d(&dm);
        d.show();
        d.setEnterChain({QStringLiteral("DBEdit2"), QStringLiteral("DBEdit1")});
        QTest::keyClick(d.field(QStringLiteral("DBEdit2")), Qt::Key_Return);
        QCOMPARE(d.focusWidget(), d.field(QStringLiteral("DBEdit1")));
        Msg::Recorder msgs;
        // Enter in the last field saves; a failing check puts the focus back on its field
        d.addButton->click();
        QTest::keyClick(d.field(QStringLiteral("DBEdit1")), Qt::Key_Return);
        QCOMPARE(msgs.texts(), QStringList{QStringLiteral("车牌号不能为空,请重新输入!")});
        QCOMPARE(d.focusWidget(), d.field(QStringLiteral("DBEdit1")));
        QVERIFY(d.adding());
        QTest::keyClicks(d.field(QStringLiteral("DBEdit1")), QStringLiteral("E1"));
        QTest::keyClick(d.field(QStringLiteral("DBEdit1")), Qt::Key_Enter);
        QCOMPARE(msgs.lastText(), QStringLiteral("存盘完毕！"));
        QVERIFY(!d.adding());
    }

    void calculatorResultIsSaved()
    {
        openVehicles();
        VehicleDialog d(&dm);
        d.show();
        Msg::Recorder msgs;
        auto* km = qobject_cast<CalcEdit*>(d.fieldFor(QStringLiteral("公里数")));
        QVERIFY(km);  // number fields drop down the calculator
        km->setFocus();
        QTest::keyClick(km, Qt::Key_F4);
        QVERIFY(km->calculator() && km->calculator()->isVisible());
        QTest::keyClicks(km->calculator(), QStringLiteral("1200+34.6"));
        QTest::keyClick(km->calculator(), Qt::Key_Return);
        QCOMPARE(km->text(), QStringLiteral("1235"));  // no decimals in this field: 1234.6 rounds
        QCOMPARE(dm.q_qcda.state(), RecordSet::Edit);  // the result counts as typed
        d.saveButton->click();
        QCOMPARE(msgs.lastText(), QStringLiteral("存盘完毕！"));
        QCOMPARE(stored(dm.q_qcda.asString(Plate), QStringLiteral("公里数")).toDouble(), 1235.0);
    }

    void memberTable()
    {
        // Every edit dialog of the modules; the company information window is built by hand, without a row.
        QCOMPARE(editDialogTable().size(), 17);
        QVERIFY(!editDialogConfig(QStringLiteral("TForm_gsxx_edit")));
        const auto* txcsb = editDialogConfig(QStringLiteral("TForm_txcsb_edit"));
        QVERIFY(txcsb->buttons & EditButton::AddHidden);
        QCOMPARE(txcsb->stamps, Stamps::OperatorOnly);
        QVERIFY(editDialogConfig(QStringLiteral("TForm_qczlb_edit"))->discardFirst);
        QCOMPARE(editDialogConfig(QStringLiteral("TForm_hyzlb_edit"))->addGuard.size(), 2);
        dm.q_txcsb.setSql({QStringLiteral("select * from 提醒功能初始表")});
        dm.q_txcsb.open();
        EditDialog d(*txcsb, {{QStringLiteral("DBEdit1"), QStringLiteral("期限："), QStringLiteral("期限"), FieldKind::Number}}, &dm);
        QVERIFY(d.addButton && !d.addButton->isVisibleTo(&d));
        QCOMPARE(d.saveButton->text(), QStringLiteral("存盘 (&S)"));
        QCOMPARE(d.windowTitle(), QStringLiteral("提醒功能初始表编辑 (txcsb)"));
    }
};

QTEST_MAIN(TestEditDialog)
#include "test_editdialog.moc"
