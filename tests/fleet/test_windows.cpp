// The fleet windows on a real database: the vehicle archive's list, edit dialog, deletion rule and
// photo page; the three registers' dialogs with their drop-downs and amounts; their queries with
// the rows and footer sums they leave in the list.
#include "core/clock.h"
#include "core/session.h"
#include "data/creation.h"
#include "data/datamodule.h"
#include "tests/pg/serverdb.h"
#include "fleet/fleet.h"
#include "fleet/registers.h"
#include "ui/shell/photo.h"
#include "fleet/qcda.h"
#include "tests/common/dbhelpers.h"
#include "tests/common/typing.h"
#include "ui/common/inputmethods.h"
#include "ui/common/messages.h"
#include "ui/common/modal.h"
#include "ui/common/windowregistry.h"
#include "ui/records/recordgrid.h"
#include "ui/shell/xstp.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QStringList ArchiveSql{QStringLiteral("select * from 汽车档案 "), QStringLiteral("order by 车牌号")};


QStringList shownFields(ListWindow& w)
{
    QStringList out;
    for (int s = 0; s < w.model()->columnCount(); ++s)
        out << w.model()->shownColumn(s).field;
    return out;
}

QStringList sortable(ListWindow& w)
{
    QStringList out;
    for (int s = 0; s < w.model()->columnCount(); ++s)
        if (w.model()->shownColumn(s).titleButton)
            out << w.model()->shownColumn(s).field;
    return out;
}

QStringList split(const char* s)
{
    return QString::fromUtf8(s).split(QLatin1Char(' '));
}

}  // namespace

class TestFleetWindows : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    TDm1 dm;
    QString oldCwd;

    void open(RecordSet& q, const QStringList& sql) { reopen(q, sql); }
    void exec(const QString& sql, const QVariantList& args = {}) { dm.ADO_qczl.execute(sql, args); }
    QVariant scalar(const QString& sql) { return scalarOf(dm, sql); }
    bool moveToPlate(RecordSet& q, const QString& plate)
    {
        for (q.first(); !q.eof(); q.next())
            if (q.asString(QStringLiteral("车牌号")) == plate)
                return true;
        return false;
    }

private Q_SLOTS:
    void initTestCase()
    {
        oldCwd = QDir::currentPath();
        QDir::setCurrent(dir.path());
        QDir(dir.path()).mkpath(QStringLiteral("data"));
        QDir(dir.path()).mkpath(QStringLiteral("jpg"));
        Clock::setFixed(QDateTime(QDate(2004, 5, 1), QTime(9, 30)));
        Session::currentOperator().name = QStringLiteral("张三");
        SERVERDB_SKIP_WITHOUT_SERVER();
        const QString location = ServerDb::location(dir);
        QString err;
        QVERIFY2(createDatabase(location, QDate(2004, 5, 1), &err), qPrintable(err));
        QVERIFY2(dm.connect(location, &err), qPrintable(err));
        exec(QStringLiteral(
            "insert into 汽车档案 (车牌号, 车型, 开始生效, 停用, 汽车照片) values ('苏A00001', 'SANTANA', 1, 0, '苏A00001.jpg')"));
        exec(QStringLiteral(
            "insert into 汽车档案 (车牌号, 车型, 开始生效, 停用, 汽车照片) values ('苏B00002', 'JETTA', 0, 1, 'old.jpg')"));
        exec(QStringLiteral("insert into 经办人信息 (经办人姓名) values ('王五')"));
        exec(QStringLiteral("insert into 经办人信息 (经办人姓名) values ('李四')"));
    }

    void cleanupTestCase()
    {
        dm.disconnect();
        QDir::setCurrent(oldCwd);
        Clock::setSource({});
    }

    void listWindowsFromTheirCommands_data()
    {
        QTest::addColumn<QString>("cls");
        QTest::addColumn<QString>("query");
        QTest::addColumn<QStringList>("sql");
        QTest::addColumn<QStringList>("columns");
        QTest::addColumn<QStringList>("titleButtons");
        QTest::addColumn<QStringList>("sums");
        QTest::newRow("qcda") << "TForm_qcda"
                              << "q_qcda" << ArchiveSql
                              << split("车牌号 车型 颜色 出厂编号 发动机号 底盘编号 公里数 购买时间 年审时间 养路费购买时间 "
                                       "保险购买时间 车船税购买时间 二保里程")
                              << split("车牌号 车型") << QStringList();
        QTest::newRow("hyjlb") << "TForm_hyjlb"
                               << "q_hyjlb"
                               << QStringList{QStringLiteral("select * from 换油记录表 "), QStringLiteral("order by 换油时间")}
                               << split("车牌号 公里数 换油时间 单价 数量 金额 经办人 换油地点")
                               << split("车牌号 公里数 换油时间 金额 经办人 换油地点") << split("数量 金额");
        QTest::newRow("wxjlb") << "TForm_wxjlb"
                               << "q_wxjlb"
                               << QStringList{QStringLiteral("select * from 车辆维修记录表 "), QStringLiteral("order by 维修时间")}
                               << split("车牌号 维修时间 修理厂 材料费 人工费 其它费用 总费用 经办人")
                               << split("车牌号 维修时间 材料费 人工费 其它费用 总费用 经办人")
                               << split("材料费 人工费 其它费用 总费用");
        QTest::newRow("sgjlb") << "TForm_sgjlb"
                               << "q_sgjlb"
                               << QStringList{QStringLiteral("select * from 事故登记表 "), QStringLiteral("order by 事故时间")}
                               << split("车牌号 客户姓名 驾驶员 事故时间 事故地点 事故金额 理赔金额 理赔时间 经办人")
                               << split("车牌号 客户姓名 事故时间 理赔金额 理赔时间 经办人") << split("事故金额 理赔金额");
    }
    void listWindowsFromTheirCommands()
    {
        QFETCH(QString, cls);
        QFETCH(QString, query);
        QFETCH(QStringList, sql);
        QFETCH(QStringList, columns);
        QFETCH(QStringList, titleButtons);
        QFETCH(QStringList, sums);
        WindowRegistry::clear();
        registerFleetWindows();
        const WindowFactory make = WindowRegistry::find(cls);
        QVERIFY(make);
        open(*dm.query(query), sql);
        std::unique_ptr<QDialog> d(make(nullptr, &dm));
        auto* w = qobject_cast<ListWindow*>(d.get());
        QVERIFY(w);
        QCOMPARE(w->property("windowClass").toString(), cls);
        QCOMPARE(shownFields(*w), columns);
        QCOMPARE(sortable(*w), titleButtons);
        RecordGridModel* m = w->model();
        QCOMPARE(m->footerText(0), QStringLiteral("记录数"));
        QCOMPARE(m->footerText(1), QString::number(dm.query(query)->recordCount()));
        for (int s = 2; s < columns.size(); ++s)
            QCOMPARE(m->shownColumn(s).footer == FooterKind::Sum, sums.contains(columns[s]));
        // The archive has no query button; the registers have one.
        QCOMPARE(w->queryButton != nullptr, cls != QStringLiteral("TForm_qcda"));
        dm.query(query)->close();
    }

    void vehicleSaveChecksAndStamps()
    {
        open(dm.q_qcda, ArchiveSql);
        TForm_qcda list(nullptr, &dm);
        TForm_qcda_edit d(&list, &dm);
        d.show();
        QCOMPARE(d.windowTitle(), QStringLiteral("汽车档案编辑 (qcda)"));
        QCOMPARE(d.PageControl1->tabText(0), QStringLiteral("基本资料"));
        QCOMPARE(d.PageControl1->tabText(1), QStringLiteral("车辆照片"));
        QCOMPARE(d.enterChain().size(), 20);
        QCOMPARE(d.enterChain().last(), QStringLiteral("DBMemo1"));

        Msg::Recorder msgs;
        d.addButton->click();
        QVERIFY(d.adding());
        // A new vehicle starts empty; reversed road-fee dates, yet the empty plate is reported first.
        type(d.fieldFor(QStringLiteral("养路费购买时间")), QStringLiteral("20040302"));
        type(d.fieldFor(QStringLiteral("养路费截止时间")), QStringLiteral("20040301"));
        d.PageControl1->setCurrentIndex(1);
        d.saveButton->click();
        QCOMPARE(msgs.texts(), QStringList{QStringLiteral("车牌号不能为空,请重新输入!")});
        QCOMPARE(msgs.shown().last().request.caption, QStringLiteral("提示"));
        QCOMPARE(d.PageControl1->currentIndex(), 0);
        QCOMPARE(d.focusWidget(), d.fieldFor(QStringLiteral("车牌号")));
        QVERIFY(d.adding());

        type(d.fieldFor(QStringLiteral("车牌号")), QStringLiteral("苏C33333"));
        // Kilometres stop at 500000: no digit is dropped, the saved field holds the maximum.
        type(d.fieldFor(QStringLiteral("公里数")), QStringLiteral("600000"));
        QCOMPARE(d.fieldText(QStringLiteral("DBNumberEditEh2")), QStringLiteral("600000"));
        type(d.fieldFor(QStringLiteral("车型")), QStringLiteral("santana 2000"));
        QCOMPARE(d.fieldText(QStringLiteral("DBEditEh2")), QStringLiteral("SANTANA 2000"));
        d.saveButton->click();
        QCOMPARE(d.fieldText(QStringLiteral("DBNumberEditEh2")), QStringLiteral("500000"));
        QCOMPARE(msgs.lastText(), QStringLiteral("养路费截止时间必须大于养路费购买时间，请重新输入！"));
        QCOMPARE(d.focusWidget(), d.fieldFor(QStringLiteral("养路费截止时间")));

        // Same day passes; a next service of 0 skips the mileage check; mileage beyond the next one is refused.
        type(d.fieldFor(QStringLiteral("养路费截止时间")), QStringLiteral("20040302"));
        type(d.fieldFor(QStringLiteral("二保里程")), QStringLiteral("9000"));
        type(d.fieldFor(QStringLiteral("下次二保里程")), QStringLiteral("8000"));
        d.saveButton->click();
        QCOMPARE(msgs.lastText(), QStringLiteral("下次二保里程必须大于二保里程，请重新输入！"));
        QCOMPARE(d.focusWidget(), d.fieldFor(QStringLiteral("二保里程")));
        type(d.fieldFor(QStringLiteral("下次二保里程")), QStringLiteral("0"));
        msgs.clear();
        d.saveButton->click();
        QCOMPARE(msgs.texts(), QStringList{QStringLiteral("存盘完毕！")});
        QVERIFY(!d.adding());
        QCOMPARE(scalar(QStringLiteral("select 汽车照片 from 汽车档案 where 车牌号='苏C33333'")).toString(),
                 QStringLiteral("苏C33333.jpg"));
        QCOMPARE(scalar(QStringLiteral("select 操作员 from 汽车档案 where 车牌号='苏C33333'")).toString(), QStringLiteral("张三"));
        QCOMPARE(scalar(QStringLiteral("select 操作日期 from 汽车档案 where 车牌号='苏C33333'")).toString(),
                 QStringLiteral("2004-05-01 09:30:00"));
        QCOMPARE(scalar(QStringLiteral("select 车型 from 汽车档案 where 车牌号='苏C33333'")).toString(),
                 QStringLiteral("SANTANA 2000"));
        // The photo name follows the plate on the page 车辆照片.
        QCOMPARE(d.fieldText(QStringLiteral("DBEditEh7")), QStringLiteral("苏C33333.jpg"));
        QVERIFY(!d.field(QStringLiteral("DBEditEh7"))->isEnabled());

        // Enter walks the chain across the page and saves in 备注.
        d.field(QStringLiteral("DBEditEh1"))->setFocus();
        QVERIFY(d.FieldKeyPress(d.field(QStringLiteral("DBNumberEditEh4")), Qt::Key_Return));
        QCOMPARE(d.focusWidget(), d.field(QStringLiteral("DBMemo1")));
        msgs.clear();
        QVERIFY(d.FieldKeyPress(d.field(QStringLiteral("DBMemo1")), Qt::Key_Return));
        QCOMPARE(msgs.texts(), QStringList{QStringLiteral("存盘完毕！")});
        exec(QStringLiteral("delete from 汽车档案 where 车牌号='苏C33333'"));
    }

    void duplicatePlates()
    {
        open(dm.q_qcda, ArchiveSql);
        TForm_qcda list(nullptr, &dm);
        TForm_qcda_edit d(&list, &dm);
        d.show();
        Msg::Recorder msgs;

        // Adding a plate that exists.
        d.addButton->click();
        type(d.fieldFor(QStringLiteral("车牌号")), QStringLiteral("苏A00001"));
        d.saveButton->click();
        QCOMPARE(msgs.texts(), QStringList{QStringLiteral("车牌号重复,请重新输入!")});
        QCOMPARE(msgs.shown().last().request.icon, Msg::Icon::Information);
        QVERIFY(d.adding());
        d.cancelButton->click();
        QCOMPARE(dm.q_qcda.recordCount(), 2);

        // Editing without changing the plate: accepted, and a stale photo name is replaced.
        QVERIFY(moveToPlate(dm.q_qcda, QStringLiteral("苏B00002")));
        msgs.clear();
        // 停用 stands beside the pages and follows the row.
        auto* outOfService = qobject_cast<QCheckBox*>(d.fieldFor(QStringLiteral("停用")));
        QVERIFY(outOfService->isChecked());
        QVERIFY(!d.PageControl1->isAncestorOf(outOfService));
        QCOMPARE(outOfService->text(), QStringLiteral("停用"));
        outOfService->click();
        type(d.fieldFor(QStringLiteral("颜色")), QStringLiteral("red"));
        d.saveButton->click();
        QCOMPARE(scalar(QStringLiteral("select 停用 from 汽车档案 where 车牌号='苏B00002'")).toInt(), 0);
        exec(QStringLiteral("update 汽车档案 set 停用 = 1 where 车牌号='苏B00002'"));
        QCOMPARE(msgs.texts(), QStringList{QStringLiteral("存盘完毕！")});
        QCOMPARE(scalar(QStringLiteral("select 汽车照片 from 汽车档案 where 车牌号='苏B00002'")).toString(),
                 QStringLiteral("苏B00002.jpg"));
        QCOMPARE(scalar(QStringLiteral("select 颜色 from 汽车档案 where 车牌号='苏B00002'")).toString(), QStringLiteral("RED"));

        // Editing a vehicle into the plate of another one is a duplicate as well.
        msgs.clear();
        type(d.fieldFor(QStringLiteral("车牌号")), QStringLiteral("苏A00001"));
        d.saveButton->click();
        QCOMPARE(msgs.texts(), QStringList{QStringLiteral("车牌号重复,请重新输入!")});
        QCOMPARE(scalar(QStringLiteral("select count(*) from 汽车档案 where 车牌号='苏A00001'")).toInt(), 1);
        d.cancelButton->click();

        // A quote in a plate is a value, not SQL.
        d.addButton->click();
        type(d.fieldFor(QStringLiteral("车牌号")), QStringLiteral("苏D'1"));
        msgs.clear();
        d.saveButton->click();
        QCOMPARE(msgs.texts(), QStringList{QStringLiteral("存盘完毕！")});
        QCOMPARE(scalar(QStringLiteral("select count(*) from 汽车档案 where 车牌号='苏D''1'")).toInt(), 1);
        exec(QStringLiteral("delete from 汽车档案 where 车牌号='苏D''1'"));
    }

    void deletionRuleInTheList()
    {
        exec(QStringLiteral("insert into 汽车档案 (车牌号) values ('苏E55555')"));
        open(dm.q_qcda, ArchiveSql);
        TForm_qcda list(nullptr, &dm);
        Msg::Recorder msgs;
        QVERIFY(moveToPlate(dm.q_qcda, QStringLiteral("苏A00001")));
        list.deleteButton->click();
        QCOMPARE(msgs.texts(), QStringList{QStringLiteral("该车辆已经开始出租,不能删除,可以将该车停用!")});
        QCOMPARE(msgs.shown().last().request.icon, Msg::Icon::Warning);
        QCOMPARE(dm.q_qcda.recordCount(), 3);

        msgs.clear();
        msgs.script(Msg::Button::Yes);
        QVERIFY(moveToPlate(dm.q_qcda, QStringLiteral("苏E55555")));
        list.deleteButton->click();
        QCOMPARE(msgs.texts(), QStringList{QStringLiteral("要删除当前记录吗? ")});
        QCOMPARE(dm.q_qcda.recordCount(), 2);
        QCOMPARE(scalar(QStringLiteral("select count(*) from 汽车档案 where 车牌号='苏E55555'")).toInt(), 0);
    }

    void closingTheListDiscardsPendingChanges()
    {
        open(dm.q_qcda, ArchiveSql);
        TForm_qcda list(nullptr, &dm);
        list.show();
        dm.q_qcda.edit();
        dm.q_qcda.setValue(QStringLiteral("车型"), QStringLiteral("改"));
        list.returnButton->click();
        QCOMPARE(dm.q_qcda.state(), RecordSet::Browse);
        QCOMPARE(scalar(QStringLiteral("select count(*) from 汽车档案 where 车型='改'")).toInt(), 0);
    }

    void photoPage()
    {
        QImage img(64, 48, QImage::Format_RGB32);
        img.fill(Qt::blue);
        QVERIFY(img.save(QStringLiteral("jpg/苏A00001.jpg"), "JPEG"));
        open(dm.q_qcda, ArchiveSql);
        QVERIFY(moveToPlate(dm.q_qcda, QStringLiteral("苏A00001")));
        TForm_qcda list(nullptr, &dm);
        Msg::Recorder msgs;
        {
            // The photo is there when the dialog opens; double clicks toggle the stretch.
            TForm_qcda_edit d(&list, &dm);
            d.show();
            QCOMPARE(d.photoArea->photo().size(), QSize(64, 48));
            QVERIFY(!d.photoArea->stretched());
            QTest::mouseDClick(d.photoArea, Qt::LeftButton);
            QVERIFY(d.photoArea->stretched());
            QTest::mouseDClick(d.photoArea, Qt::LeftButton);
            QVERIFY(!d.photoArea->stretched());

            // 全屏显示 shows it in the picture viewer.
            Modal::Recorder modal;
            QSize shown;
            modal.handler = [&shown](QDialog* w) {
                if (auto* v = qobject_cast<TForm_xstp*>(w))
                    shown = v->Image1->picture().size();
            };
            d.photoArea->fullScreenAction->trigger();
            QCOMPARE(modal.classes, QStringList{QStringLiteral("TForm_xstp")});
            QCOMPARE(shown, QSize(64, 48));
            QVERIFY(msgs.shown().isEmpty());

            // A damaged file: cleared and said, nothing shown full screen.
            QFile bad(QStringLiteral("jpg/苏A00001.jpg"));
            QVERIFY(bad.open(QIODevice::WriteOnly | QIODevice::Truncate));
            bad.write("not a picture");
            bad.close();
            d.viewButton->click();
            QVERIFY(d.photoArea->photo().isNull());
            QCOMPARE(msgs.shown().size(), 1);
            QVERIFY(msgs.lastText().startsWith(photoPath(QStringLiteral("苏A00001.jpg"))));
            QCOMPARE(msgs.shown().last().request.caption, Msg::appTitle());
            d.photoArea->fullScreenAction->trigger();
            QCOMPARE(modal.classes.size(), 1);
            QCOMPARE(msgs.shown().size(), 2);
        }
        {
            // A damaged photo when the dialog opens: nothing shown, nothing said.
            TForm_qcda_edit d(&list, &dm);
            QVERIFY(d.photoArea->photo().isNull());
            QCOMPARE(msgs.shown().size(), 2);

            // A new vehicle has no photo name yet: the path is the jpg folder.
            d.addButton->click();
            msgs.clear();
            d.viewButton->click();
            const QString folder = QDir::toNativeSeparators(dir.path() + QStringLiteral("/jpg/"));
            QCOMPARE(msgs.texts(), QStringList{folder + QStringLiteral("图形文件不存在!")});
            QCOMPARE(msgs.shown().last().request.caption, Msg::appTitle());
            d.cancelButton->click();
        }
        QFile::remove(QStringLiteral("jpg/苏A00001.jpg"));
    }

    void oilChangeDialog()
    {
        open(dm.q_hyjlb, {QStringLiteral("select * from 换油记录表 "), QStringLiteral("order by 换油时间")});
        open(dm.q_qcda, ArchiveSql);
        RegisterWindow list(TForm_hyjlb::spec(), &dm);
        Modal::Recorder modal;
        Msg::Recorder msgs;
        QStringList plates, handlers;
        modal.handler = [&](QDialog* w) {
            auto* d = qobject_cast<RegisterEditDialog*>(w);
            QVERIFY(d);
            auto* plateBox = qobject_cast<QComboBox*>(d->fieldFor(QStringLiteral("车牌号")));
            for (int i = 0; i < plateBox->count(); ++i)
                plates << plateBox->itemText(i);
            auto* handlerBox = qobject_cast<QComboBox*>(d->fieldFor(QStringLiteral("经办人")));
            for (int i = 0; i < handlerBox->count(); ++i)
                handlers << handlerBox->itemText(i);

            // The first row of an empty register: started by typing.
            d->saveButton->click();
            QCOMPARE(msgs.lastText(), QStringLiteral("车牌号不能为空,请重新输入!"));
            type(d->fieldFor(QStringLiteral("车牌号")), QStringLiteral("苏A00001"));
            type(d->field(QStringLiteral("DBDateTimeEditEh1")), QStringLiteral("20040302"));
            type(d->field(QStringLiteral("DBNumberEditEh2")), QStringLiteral("7.35"));
            type(d->field(QStringLiteral("DBNumberEditEh3")), QStringLiteral("40"));
            msgs.clear();
            d->saveButton->click();
            QCOMPARE(msgs.texts(), QStringList{QStringLiteral("存盘完毕！")});
            QCOMPARE(d->fieldText(QStringLiteral("DBNumberEditEh4")), QStringLiteral("294.00"));

            // A second one with a fraction of a litre; 金额 changes only with 存盘.
            d->addButton->click();
            type(d->fieldFor(QStringLiteral("车牌号")), QStringLiteral("苏B00002"));
            type(d->field(QStringLiteral("DBNumberEditEh2")), QStringLiteral("7.35"));
            type(d->field(QStringLiteral("DBNumberEditEh3")), QStringLiteral("2.5"));
            QCOMPARE(d->fieldText(QStringLiteral("DBNumberEditEh4")), QString());
            d->saveButton->click();
            QCOMPARE(d->fieldText(QStringLiteral("DBNumberEditEh4")), QStringLiteral("18.375"));

            // Enter in the read-only amount moves on to the place.
            d->field(QStringLiteral("DBNumberEditEh4"))->setFocus();
            QTest::keyClick(d->field(QStringLiteral("DBNumberEditEh4")), Qt::Key_Return);
            QCOMPARE(d->focusWidget(), d->field(QStringLiteral("DBEditEh2")));
            d->closeButton->click();
        };
        list.editButton->click();
        QCOMPARE(modal.classes, QStringList{QStringLiteral("TForm_hyjlb_edit")});
        QCOMPARE(modal.captions, QStringList{QStringLiteral("换油记录登记表编辑 (hyjlb)")});
        // Every vehicle, withdrawn ones included; handlers by name.
        QCOMPARE(plates, (QStringList{QStringLiteral("苏A00001"), QStringLiteral("苏B00002")}));
        QCOMPARE(handlers, (QStringList{QStringLiteral("李四"), QStringLiteral("王五")}));
        // the drop-downs were filled without touching the shared vehicle query
        QVERIFY(dm.q_qcda.isOpen());
        QCOMPARE(dm.q_qcda.sql(), ArchiveSql);
        QCOMPARE(Money::fromVariant(scalar(QStringLiteral("select 金额 from 换油记录表 where 车牌号='苏A00001'"))).toString(),
                 QStringLiteral("294.0000"));
        QCOMPARE(list.model()->footerText(1), QStringLiteral("2"));
        QCOMPARE(list.model()->footerText(4), QStringLiteral("42.50"));
        QCOMPARE(list.model()->footerText(5), QStringLiteral("312.375"));
    }

    void repairDialog()
    {
        open(dm.q_wxjlb, {QStringLiteral("select * from 车辆维修记录表 "), QStringLiteral("order by 维修时间")});
        RegisterWindow list(TForm_wxjlb::spec(), &dm);
        Modal::Recorder modal;
        Msg::Recorder msgs;
        modal.handler = [&](QDialog* w) {
            auto* d = qobject_cast<RegisterEditDialog*>(w);
            QVERIFY(d);
            type(d->fieldFor(QStringLiteral("车牌号")), QStringLiteral("京X999"));  // not in the archive: accepted
            type(d->field(QStringLiteral("DBNumberEditEh1")), QStringLiteral("0.1"));
            type(d->field(QStringLiteral("DBNumberEditEh2")), QStringLiteral("0.2"));
            d->saveButton->click();
            QCOMPARE(msgs.texts(), QStringList{QStringLiteral("存盘完毕！")});
            QCOMPARE(d->fieldText(QStringLiteral("DBNumberEditEh4")), QStringLiteral("0.30"));
            // Changing a cost leaves the total as saved until the next 存盘.
            type(d->field(QStringLiteral("DBNumberEditEh1")), QStringLiteral("100"));
            QCOMPARE(d->fieldText(QStringLiteral("DBNumberEditEh4")), QStringLiteral("0.30"));
            d->saveButton->click();
            QCOMPARE(d->fieldText(QStringLiteral("DBNumberEditEh4")), QStringLiteral("100.20"));
            d->field(QStringLiteral("DBNumberEditEh4"))->setFocus();
            QTest::keyClick(d->field(QStringLiteral("DBNumberEditEh4")), Qt::Key_Return);
            QCOMPARE(d->focusWidget(), d->field(QStringLiteral("DBEditEh2")));
            d->closeButton->click();
        };
        list.editButton->click();
        QCOMPARE(Money::fromVariant(scalar(QStringLiteral("select 总费用 from 车辆维修记录表"))).toString(),
                 QStringLiteral("100.2000"));
        QCOMPARE(list.model()->footerText(6), QStringLiteral("100.20"));
        exec(QStringLiteral("delete from 车辆维修记录表"));
    }

    void accidentDialog()
    {
        open(dm.q_sgjlb, {QStringLiteral("select * from 事故登记表 "), QStringLiteral("order by 事故时间")});
        RegisterWindow list(TForm_sgjlb::spec(), &dm);
        Modal::Recorder modal;
        Msg::Recorder msgs;
        InputMethods::setCurrent(QStringLiteral("拼音"));
        modal.handler = [&](QDialog* w) {
            auto* d = qobject_cast<RegisterEditDialog*>(w);
            QVERIFY(d);
            // The chain stops in the read-only 理赔金额 between 事故金额 and 事故时间.
            const QStringList chain = d->enterChain();
            QCOMPARE(chain.indexOf(QStringLiteral("DBNumberEditEh4")), chain.indexOf(QStringLiteral("DBNumberEditEh3")) + 1);
            QVERIFY(qobject_cast<QLineEdit*>(d->field(QStringLiteral("DBNumberEditEh4")))->isReadOnly());
            // Chinese text fields get the operator's input method; the plate does not here.
            QCOMPARE(InputMethods::fieldMethod(d->field(QStringLiteral("DBEditEh6"))), QStringLiteral("拼音"));
            QCOMPARE(InputMethods::fieldMethod(d->field(QStringLiteral("DBEditEh3"))), QStringLiteral("拼音"));
            QCOMPARE(InputMethods::fieldMethod(d->fieldFor(QStringLiteral("车牌号"))), QString());
            type(d->fieldFor(QStringLiteral("车牌号")), QStringLiteral("苏A00001"));
            d->saveButton->click();
            QCOMPARE(msgs.texts(), QStringList{QStringLiteral("存盘完毕！")});
            d->closeButton->click();
        };
        list.editButton->click();
        InputMethods::setCurrent(QString());
        QCOMPARE(dm.q_sgjlb.recordCount(), 1);
        QCOMPARE(scalar(QStringLiteral("select 操作员 from 事故登记表")).toString(), QStringLiteral("张三"));
        exec(QStringLiteral("delete from 事故登记表"));
    }

    void registerQueries()
    {
        const char* rows[][5] = {{"苏A00001", "2004-03-01 10:00:00", "王五", "10", "1"},
                                 {"苏A00001", "2004-03-01 23:00:00", "李四", "20", "2"},
                                 {"苏B00002", "2004-03-02 00:00:00", "王五", "30.5", "3"},
                                 {"苏B00002", "2004-02-29 23:59:59", "王五", "40", "4"}};
        for (const auto& r : rows) {
            exec(QStringLiteral("insert into 车辆维修记录表 (车牌号, 维修时间, 经办人, 材料费, 总费用) values (?, ?, ?, ?, ?)"),
                 {QString::fromUtf8(r[0]), QString::fromUtf8(r[1]), QString::fromUtf8(r[2]), QString::fromUtf8(r[3]).toDouble(),
                  QString::fromUtf8(r[4]).toDouble()});
            exec(QStringLiteral("insert into 事故登记表 (车牌号, 事故时间, 经办人, 驾驶员, 事故金额) values (?, ?, ?, ?, ?)"),
                 {QString::fromUtf8(r[0]), QString::fromUtf8(r[1]), QString::fromUtf8(r[2]), QString::fromUtf8(r[2]),
                  QString::fromUtf8(r[3]).toDouble()});
        }
        open(dm.q_wxjlb, {QStringLiteral("select * from 车辆维修记录表 "), QStringLiteral("order by 维修时间")});
        RegisterWindow repairs(TForm_wxjlb::spec(), &dm);
        Modal::Recorder modal;
        Msg::Recorder msgs;
        std::function<void(QueryDialog*)> drive;
        modal.handler = [&](QDialog* w) {
            auto* q = qobject_cast<QueryDialog*>(w);
            QVERIFY(q);
            drive(q);
        };

        // The handler alone: no "and" in front.
        drive = [&](QueryDialog* q) {
            QCOMPARE(qobject_cast<QComboBox*>(q->control(QStringLiteral("cb车牌号")))->count(), 2);
            QCOMPARE(qobject_cast<QComboBox*>(q->control(QStringLiteral("cb经办人")))->count(), 2);
            q->setText(QStringLiteral("cb经办人"), QStringLiteral("王五"));
            q->seekButton->click();
        };
        repairs.queryButton->click();
        QCOMPARE(modal.classes, QStringList{QStringLiteral("TForm_wxjlb_cx")});
        QCOMPARE(modal.captions, QStringList{QStringLiteral("维修查询")});
        QCOMPARE(dm.q_wxjlb.sql(), (QStringList{QStringLiteral("select * from "), QStringLiteral("车辆维修记录表"),
                                                QStringLiteral(" where (经办人 = '王五')"), QStringLiteral("order by 车牌号")}));
        QCOMPARE(repairs.model()->footerText(1), QStringLiteral("3"));
        QCOMPARE(repairs.model()->footerText(3), QStringLiteral("80.50"));
        QCOMPARE(repairs.model()->footerText(6), QStringLiteral("8.00"));

        // One day from 0:0:0 to 23:59:59 finds both repairs of that day, and only those.
        drive = [&](QueryDialog* q) {
            q->setText(QStringLiteral("cb车牌号"), QStringLiteral("苏A00001"));
            q->setText(QStringLiteral("dt从"), QStringLiteral("2004-03-01"));
            q->setText(QStringLiteral("dt到"), QStringLiteral("2004-03-01"));
            q->seekButton->click();
        };
        repairs.queryButton->click();
        QCOMPARE(dm.q_wxjlb.recordCount(), 2);
        QCOMPARE(repairs.model()->footerText(3), QStringLiteral("30.00"));
        QCOMPARE(dm.q_wxjlb.sql().at(2),
                 QStringLiteral(" where (车牌号 = '苏A00001')and(维修时间 between cdate('2004-03-01 0:0:0') and "
                                "cdate('2004-03-01 23:59:59'))"));

        // 到 without 从: refused, the list keeps the last result.
        drive = [&](QueryDialog* q) {
            q->setText(QStringLiteral("dt到"), QStringLiteral("2004-03-01"));
            q->seekButton->click();
            QCOMPARE(msgs.lastText(), QStringLiteral("维修时间输入错误,请重新输入!"));
            QCOMPARE(q->focusWidget(), q->control(QStringLiteral("dt从")));
        };
        repairs.queryButton->click();
        QCOMPARE(dm.q_wxjlb.recordCount(), 2);

        // Accidents: the driver alone, then a reversed range with its own message.
        open(dm.q_sgjlb, {QStringLiteral("select * from 事故登记表 "), QStringLiteral("order by 事故时间")});
        RegisterWindow accidents(TForm_sgjlb::spec(), &dm);
        drive = [&](QueryDialog* q) {
            q->setText(QStringLiteral("ed驾驶员"), QStringLiteral("李四"));
            q->seekButton->click();
        };
        accidents.queryButton->click();
        QCOMPARE(modal.captions.last(), QStringLiteral("事故查询"));
        QCOMPARE(dm.q_sgjlb.sql().at(2), QStringLiteral(" where (驾驶员 = '李四')"));
        QCOMPARE(dm.q_sgjlb.recordCount(), 1);
        QCOMPARE(accidents.model()->footerText(5), QStringLiteral("20.00"));
        drive = [&](QueryDialog* q) {
            q->setText(QStringLiteral("dt从"), QStringLiteral("2004-03-02"));
            q->setText(QStringLiteral("dt到"), QStringLiteral("2004-03-01"));
            q->seekButton->click();
        };
        msgs.clear();
        accidents.queryButton->click();
        QCOMPARE(msgs.texts(), QStringList{QStringLiteral("事故时间从大于事故时间到,请重新输入!")});
        QCOMPARE(dm.q_sgjlb.recordCount(), 1);

        // Oil changes: nothing filled.
        open(dm.q_hyjlb, {QStringLiteral("select * from 换油记录表 "), QStringLiteral("order by 换油时间")});
        RegisterWindow oil(TForm_hyjlb::spec(), &dm);
        drive = [&](QueryDialog* q) { q->seekButton->click(); };
        msgs.clear();
        oil.queryButton->click();
        QCOMPARE(modal.captions.last(), QStringLiteral("换油查询"));
        QCOMPARE(msgs.texts(), QStringList{QStringLiteral("没有输入查询条件,请重新输入!")});
        exec(QStringLiteral("delete from 车辆维修记录表"));
        exec(QStringLiteral("delete from 事故登记表"));
    }
};

QTEST_MAIN(TestFleetWindows)
#include "test_windows.moc"
