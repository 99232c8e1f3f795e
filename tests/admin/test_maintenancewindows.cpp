// Data initialization, backup and restore windows, and the restore command's close/reopen sequence.
#include "admin/backup.h"
#include "admin/initialize.h"
#include "admin/restore.h"
#include "admin/system.h"
#include "core/money.h"
#include "data/maintenance.h"
#include "fixture.h"
#include "ui/common/messages.h"
#include "ui/common/modal.h"
#include "ui/common/windowregistry.h"

#include <QCheckBox>
#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>

namespace {

const QStringList kNine{QStringLiteral("车辆维修记录表"), QStringLiteral("换油记录表"), QStringLiteral("事故登记表"),
                        QStringLiteral("汽车档案"),       QStringLiteral("经办人信息"), QStringLiteral("客户登记表"),
                        QStringLiteral("汽车租赁登记表"), QStringLiteral("现金日记帐"), QStringLiteral("客户预订汽车")};
const QStringList kKept{QStringLiteral("权限表"), QStringLiteral("公司信息"), QStringLiteral("关帐日期"), QStringLiteral("摘要"),
                        QStringLiteral("提醒功能初始表")};

// One row in each of the nine tables.
void fill(Fixture& f)
{
    for (const QString& t : kNine)
        f.exec(QStringLiteral("insert into ") + t + QStringLiteral(" default values"));
}

QMap<QString, int> counts(const Fixture& f, const QString& file = QString())
{
    QMap<QString, int> m;
    for (const QString& t : kNine + kKept)
        m[t] = f.count(t, file);
    return m;
}

QByteArray digest(const QString& file)
{
    QFile in(file);
    return in.open(QIODevice::ReadOnly) ? QCryptographicHash::hash(in.readAll(), QCryptographicHash::Sha1) : QByteArray();
}

// Whether a location the program works on is the fixture's database: the same file, or on a server
// the same address, unchanged.
bool isTheDatabase(const Fixture& f, const QString& location)
{
    return f.onServer() ? location == f.db() : Maintenance::sameFile(location, f.db());
}

void writeFile(const QString& file, const QByteArray& data)
{
    QFile out(file);
    QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
    out.write(data);
}

}  // namespace

class TestMaintenanceWindows : public QObject {
    Q_OBJECT

    // A verified backup of the fixture's database as it is now.
    static QString backupOf(Fixture& f)
    {
        const QString good = f.path(QStringLiteral("good.db"));
        QString error;
        if (!Maintenance::backup(f.dm->ADO_qczl, good, &error))
            qFatal("backup: %s", qPrintable(error));
        return good;
    }

    // Runs the restore command, choosing `source` in the window and answering the confirmation.
    static bool restoreFrom(Fixture& f, const QString& source, Msg::Recorder& msg, bool yes = true)
    {
        Modal::Recorder modal;
        FileDialogs::Recorder files;
        modal.handler = [&](QDialog* d) {
            auto* w = qobject_cast<TForm_restore*>(d);
            QVERIFY(w);
            QVERIFY(!f.dm->ADO_qczl.isOpen());
            for (RecordSet* q : f.dm->queries())
                QVERIFY(!q->isOpen());
            files.scriptOpen(source);
            w->browseButton->click();
            QCOMPARE(w->fileEdit->text(), source);
            msg.script(yes ? Msg::Button::Yes : Msg::Button::No);
            w->actionButton->click();
        };
        const bool open = runRestoreCommand(nullptr, f.dm.get(), f.dir.path());
        [&] { QCOMPARE(modal.captions, QStringList{QStringLiteral("系统恢复管理")}); }();
        return open;
    }

private Q_SLOTS:
    void initTestCase() { SERVERDB_SKIP_WITHOUT_SERVER(); }

    void initializationWithNoBoxCheckedChangesNothingAndReportsDone()
    {
        Fixture f;
        fill(f);
        const auto before = counts(f);
        TForm_initialize w(nullptr, f.dm.get());
        QCOMPARE(w.checkBoxes.size(), 10);
        for (QCheckBox* b : w.checkBoxes)
            QVERIFY(!b->isChecked());
        w.show();
        Msg::Recorder msg;
        msg.script(Msg::Button::Yes);
        w.okButton->click();
        QCOMPARE(msg.texts(), (QStringList{QStringLiteral("要初始化选中的数据库吗? "), QStringLiteral("初始化完毕！")}));
        QCOMPARE(msg.shown()[0].request.caption, QStringLiteral("请选择"));
        QCOMPARE(msg.shown()[0].request.defaultButton, Msg::Button::No);
        QCOMPARE(msg.shown()[1].request.icon, Msg::Icon::Warning);
        QVERIFY(!w.isVisible());
        QCOMPARE(counts(f), before);
    }

    void initializationEmptiesExactlyTheCheckedTables()
    {
        Fixture f;
        fill(f);
        const auto before = counts(f);
        TForm_initialize w(nullptr, f.dm.get());
        QStringList captions;
        for (QCheckBox* b : w.checkBoxes)
            captions << b->text();
        QCOMPARE(captions,
                 (QStringList{QStringLiteral("车辆维修表"), QStringLiteral("换油记录表"), QStringLiteral("事故登记表"),
                              QStringLiteral("汽车档案"), QStringLiteral("经办人信息"), QStringLiteral("客户登记表"),
                              QStringLiteral("汽车租赁登记表"), QStringLiteral("现金日记帐"), QStringLiteral("客户预租车辆表"),
                              QStringLiteral("操作日志")}));
        w.show();

        // Answered No: nothing is emptied, nothing reported, the window closes.
        Msg::Recorder msg;
        w.allButton->click();  // 全选: every table but the audit log, which is ticked only on its own
        for (QCheckBox* b : w.checkBoxes)
            QCOMPARE(b->isChecked(), b->text() != QStringLiteral("操作日志"));
        w.okButton->click();
        QCOMPARE(msg.texts(), QStringList{QStringLiteral("要初始化选中的数据库吗? ")});
        QVERIFY(!w.isVisible());
        QCOMPARE(counts(f), before);

        msg.clear();
        w.show();
        w.noneButton->click();  // 不选
        for (const char* name : {"CheckBox4", "CheckBox7", "CheckBox9"})
            w.findChild<QCheckBox*>(QString::fromLatin1(name))->setChecked(true);
        msg.script(Msg::Button::Yes);
        w.okButton->click();
        QCOMPARE(msg.lastText(), QStringLiteral("初始化完毕！"));
        auto expected = before;
        expected[QStringLiteral("汽车档案")] = expected[QStringLiteral("汽车租赁登记表")] = expected[QStringLiteral("客户预订汽车")] =
            0;
        QCOMPARE(counts(f), expected);
        for (const QString& t : kKept)
            QVERIFY(f.count(t) > 0);
    }

    void initializationFailingPartWayLeavesEveryTableAndSaysSo()
    {
        Fixture f;
        fill(f);
        const auto before = counts(f);
        // 客户登记表 comes sixth: five tables would already be empty without the transaction.
        f.refuse(QStringLiteral("客户登记表"), QStringLiteral("DELETE"), QStringLiteral("locked"));
        TForm_initialize w(nullptr, f.dm.get());
        w.show();
        w.allButton->click();
        Msg::Recorder msg;
        msg.script(Msg::Button::Yes);
        w.okButton->click();
        QCOMPARE(msg.shown().size(), 2);
        QCOMPARE(msg.shown()[1].request.icon, Msg::Icon::Critical);
        QVERIFY(msg.lastText().contains(QStringLiteral("locked")));
        QVERIFY(!msg.texts().contains(QStringLiteral("初始化完毕！")));
        QVERIFY(w.isVisible());
        QCOMPARE(counts(f), before);
    }

    void enterInTheInitializationWindowMeansCancel()
    {
        Fixture f;
        fill(f);
        const auto before = counts(f);
        TForm_initialize w(nullptr, f.dm.get());
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        w.allButton->click();
        for (QWidget* focus : {static_cast<QWidget*>(w.checkBoxes[0]), static_cast<QWidget*>(w.okButton)}) {
            w.show();
            focus->setFocus();
            Msg::Recorder msg;
            QTest::keyClick(focus, Qt::Key_Return);
            QVERIFY(msg.shown().isEmpty());
            QVERIFY(!w.isVisible());
            QCOMPARE(w.result(), int(QDialog::Rejected));
        }
        QCOMPARE(counts(f), before);
    }

    void backupOfTheOpenDatabaseReplacesAnExistingFile()
    {
        Fixture f;
        fill(f);
        const QString dest = f.path(QStringLiteral("备份/周一.db"));
        QDir().mkpath(QFileInfo(dest).absolutePath());
        writeFile(dest, QByteArray("an older backup, not even a database"));

        // Another workstation is writing: its uncommitted row must not reach the copy.
        Database writer;
        QVERIFY(writer.open(f.db()));
        writer.begin();
        writer.execute(QStringLiteral("insert into 汽车档案 (车牌号) values ('粤B00001')"));
        // The shared queries stay open meanwhile.
        f.dm->q_qcda.setSql({QStringLiteral("select * from 汽车档案 "), QStringLiteral("order by 车牌号")});
        f.dm->q_qcda.open();

        TForm_backup w(nullptr, f.dm.get());
        w.show();
        QVERIFY(w.fileEdit->isReadOnly());
        QVERIFY(w.fileEdit->text().isEmpty());
        FileDialogs::Recorder files;
        files.scriptSave(f.path(QStringLiteral("备份/周一")));  // typed without an extension
        w.browseButton->click();
        QCOMPARE(files.saveRequests().size(), 1);
        QCOMPARE(files.saveRequests()[0].caption, QStringLiteral("备份数据库文件"));
        QCOMPARE(files.saveRequests()[0].filters, databaseFileFilters());
        QCOMPARE(w.fileEdit->text(), dest);

        Msg::Recorder msg;
        w.actionButton->click();
        QCOMPARE(msg.texts(), QStringList{QStringLiteral("备份完毕！")});
        QVERIFY(!w.isVisible());
        writer.rollback();

        QString error;
        QVERIFY2(Maintenance::verify(dest, &error), qPrintable(error));
        QCOMPARE(counts(f, dest), counts(f));
        QCOMPARE(f.count(QStringLiteral("汽车档案"), dest), 1);
        QVERIFY(f.dm->ADO_qczl.isOpen() && f.dm->q_qcda.isOpen());
        QCOMPARE(QDir(QFileInfo(dest).absolutePath()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("周一.db")});
        // The copy stands alone: restored into a new file, that opens as a database of its own.
        const QString copy = f.path(QStringLiteral("另一台/qczl.db"));
        QVERIFY2(Maintenance::restore(dest, copy, &error), qPrintable(error));
        QCOMPARE(counts(f, copy), counts(f));
    }

    void backupRefusesNoNameAndTheDatabaseItself()
    {
        Fixture f;
        fill(f);
        const QByteArray before = digest(f.db());
        TForm_backup w(nullptr, f.dm.get());
        w.show();
        Msg::Recorder msg;
        FileDialogs::Recorder files;
        files.scriptSave(QString());  // cancelled
        w.browseButton->click();
        QVERIFY(w.fileEdit->text().isEmpty());
        w.actionButton->click();
        QCOMPARE(msg.texts(), QStringList{QStringLiteral("请先选择备份文件名！")});

        // The live database under another spelling of its path (a server database is no file).
        const QStringList selves = f.onServer() ? QStringList()
                                                : QStringList{f.path(QStringLiteral("data/../data/qczl.db")),
                                                              f.path(QStringLiteral("./data//qczl.db"))};
        for (const QString& self : selves) {
            msg.clear();
            files.scriptSave(self);
            w.browseButton->click();
            w.actionButton->click();
            QCOMPARE(msg.shown().size(), 1);
            QCOMPARE(msg.shown()[0].request.icon, Msg::Icon::Critical);
            QVERIFY(msg.lastText().contains(QStringLiteral("正在使用的数据库")));
            QVERIFY(w.isVisible());
        }
        QCOMPARE(digest(f.db()), before);
        QCOMPARE(f.count(QStringLiteral("汽车档案")), 1);
    }

    void restoreRefusesWhatIsNotOurDatabase()
    {
        Fixture f;
        fill(f);
        const QString good = backupOf(f);
        f.exec(QStringLiteral("insert into 汽车档案 (车牌号) values ('粤B00002')"));
        const auto before = counts(f);

        const QString text = f.path(QStringLiteral("notes.db"));
        writeFile(text, "这不是数据库\n");
        const QString truncated = f.path(QStringLiteral("truncated.db"));
        QFile in(good);
        QVERIFY(in.open(QIODevice::ReadOnly));
        writeFile(truncated, in.readAll().left(int(in.size() / 2)));
        const QString foreign = f.path(QStringLiteral("foreign.db"));
        {
            Database other;
            QVERIFY(other.create(foreign));  // our schema would pass; drop a table to make it foreign
            other.runNative(QStringLiteral("drop table 摘要"));
        }
        for (const QString& source :
             {text, truncated, foreign, f.path(QStringLiteral("missing.db")), f.path(QStringLiteral("data/../data/qczl.db"))}) {
            Msg::Recorder msg;
            QVERIFY(restoreFrom(f, source, msg));
            QCOMPARE(msg.shown().size(), 2);
            QCOMPARE(msg.shown()[1].request.icon, Msg::Icon::Critical);
            QVERIFY2(!msg.texts().contains(QStringLiteral("恢复完毕！")), qPrintable(source));
            QVERIFY(f.dm->ADO_qczl.isOpen());
            QCOMPARE(counts(f), before);
        }

        // Answered No: nothing happens.
        Msg::Recorder msg;
        QVERIFY(restoreFrom(f, good, msg, false));
        QCOMPARE(msg.texts(), QStringList{QStringLiteral("确实要恢复数据库吗? ")});
        QCOMPARE(counts(f), before);
    }

    void restoreBringsBackTheBackupWithoutARestart()
    {
        Fixture f;
        fill(f);
        // Values of each kind, which must come back exactly: text in mixed case, a time of day, an
        // amount to the fourth decimal, a flag.
        f.exec(
            QStringLiteral("update 汽车档案 set 车牌号 = 'Su A12345', 购买时间 = '2003-07-08 09:10:11', 公里数 = 12345.5, 停用 = 1"));
        f.exec(QStringLiteral("update 现金日记帐 set 摘要 = '租赁收入', 借方 = 1234.5678, 日期 = '2004-03-15 00:00:00'"));
        const QString good = backupOf(f);
        const auto saved = counts(f);
        const QString vehicle = QStringLiteral("select 车牌号 || '|' || 公里数 || '|' || 停用 from 汽车档案");
        const QVariant savedVehicle = f.exec(vehicle);
        f.exec(QStringLiteral("update 现金日记帐 set 借方 = 1, 摘要 = '费用支出'"));
        f.exec(QStringLiteral("delete from 汽车档案"));

        // The command starts with shared queries open; a file dialog may move the working folder.
        f.dm->q_qcda.setSql({QStringLiteral("select * from 汽车档案")});
        f.dm->q_qcda.open();
        const QString elsewhere = f.path(QStringLiteral("elsewhere"));
        QDir().mkpath(elsewhere);
        Modal::Recorder modal;
        FileDialogs::Recorder files;
        Msg::Recorder msg;
        modal.handler = [&](QDialog* d) {
            auto* w = qobject_cast<TForm_restore*>(d);
            QVERIFY(w);
            QVERIFY(!f.dm->ADO_qczl.isOpen() && !f.dm->q_qcda.isOpen());
            QVERIFY(isTheDatabase(f, w->target()));
            QDir::setCurrent(elsewhere);
            files.scriptOpen(good);
            w->browseButton->click();
            msg.script(Msg::Button::Yes);
            w->actionButton->click();
            QVERIFY(!w->isVisible());
        };
        QVERIFY(runRestoreCommand(nullptr, f.dm.get(), f.dir.path()));
        QCOMPARE(msg.texts(), (QStringList{QStringLiteral("确实要恢复数据库吗? "), QStringLiteral("恢复完毕！")}));
        QCOMPARE(QDir::currentPath(), QDir(f.dir.path()).canonicalPath());
        QVERIFY(isTheDatabase(f, f.dm->ADO_qczl.location()));
        QCOMPARE(counts(f), saved);
        QCOMPARE(f.exec(vehicle), savedVehicle);
        QCOMPARE(f.exec(QStringLiteral("select 购买时间 from 汽车档案")).toString(), QStringLiteral("2003-07-08 09:10:11"));
        QCOMPARE(f.exec(QStringLiteral("select 摘要 from 现金日记帐")).toString(), QStringLiteral("租赁收入"));
        QCOMPARE(Money::fromVariant(f.exec(QStringLiteral("select 借方 from 现金日记帐"))),
                 *Money::parse(QStringLiteral("1234.5678")));
        // The program goes on with the restored data.
        f.dm->q_qcda.setSql({QStringLiteral("select * from 汽车档案")});
        f.dm->q_qcda.open();
        QCOMPARE(f.dm->q_qcda.recordCount(), 1);
        f.dm->q_qcda.edit();
        f.dm->q_qcda.setValue(QStringLiteral("车牌号"), QStringLiteral("粤C00003"));
        f.dm->q_qcda.post();
        QCOMPARE(f.exec(QStringLiteral("select 车牌号 from 汽车档案")).toString(), QStringLiteral("粤C00003"));
    }

    // Another workstation has the database open throughout the restore: its later saves land in
    // the restored database, which every connection then works on.
    void restoreKeepsAnotherWorkstationsConnection()
    {
        Fixture f;
        fill(f);
        const QString good = backupOf(f);
        const auto saved = counts(f);
        Database other;
        QVERIFY(other.open(f.db()));
        other.execute(QStringLiteral("insert into 客户登记表 (客户号) values ('K0099')"));  // replaced by the restore
        Msg::Recorder msg;
        QVERIFY(restoreFrom(f, good, msg));
        QCOMPARE(msg.texts(), (QStringList{QStringLiteral("确实要恢复数据库吗? "), QStringLiteral("恢复完毕！")}));
        QCOMPARE(counts(f), saved);
        // The other connection reads the restored rows: its own row of before is gone.
        QSqlQuery seen = other.run(QStringLiteral("select count(*) from 客户登记表 where 客户号 = 'K0099'"));
        QVERIFY(seen.next());
        QCOMPARE(seen.value(0).toInt(), 0);
        for (int i = 0; i < 5; ++i)
            other.execute(QStringLiteral("insert into 现金日记帐 (凭证号) values (?)"), {QString::number(i)});
        QCOMPARE(f.count(QStringLiteral("现金日记帐")), saved.value(QStringLiteral("现金日记帐")) + 5);
        QSqlQuery q = f.dm->ADO_qczl.run(QStringLiteral("select count(*) from 现金日记帐"));
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toInt(), saved.value(QStringLiteral("现金日记帐")) + 5);
        if (!f.onServer()) {
            QCOMPARE(f.exec(QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"));
            QVERIFY(!QFile::exists(f.path(QStringLiteral("data/.qczl.db.part"))));
        }
    }

    // Another workstation is in the middle of a save throughout: the restore waits for it, then
    // gives up with a message that says so, and nothing is changed.
    void restoreDuringAnotherWorkstationsSaveIsRefused()
    {
        Fixture f;
        fill(f);
        const QString good = backupOf(f);
        f.exec(QStringLiteral("insert into 汽车档案 (车牌号) values ('粤B00007')"));
        const auto before = counts(f);
        Database writer;
        QVERIFY(writer.open(f.db()));
        writer.begin();
        writer.execute(QStringLiteral("insert into 经办人信息 (经办人姓名) values ('王五')"));
        Msg::Recorder msg;
        QVERIFY(restoreFrom(f, good, msg));
        QCOMPARE(msg.shown().size(), 2);
        QCOMPARE(msg.shown()[1].request.icon, Msg::Icon::Critical);
        QVERIFY2(msg.lastText().contains(QStringLiteral("数据库正被其他工作站写入，请稍后再试")), qPrintable(msg.lastText()));
        writer.commit();
        auto expected = before;
        expected[QStringLiteral("经办人信息")] += 1;
        QCOMPARE(counts(f), expected);
    }

    // A backup restored into a database that never held rows: rows added afterwards get keys of
    // their own, and the restored rows can be changed by key.
    void restoreIntoAnEmptyDatabaseThenAddRows()
    {
        Fixture from;
        for (int i = 0; i < 3; ++i)
            fill(from);
        const QString good = backupOf(from);
        Fixture f;
        for (const QString& t : kNine)
            QCOMPARE(f.count(t), 0);
        Msg::Recorder msg;
        QVERIFY(restoreFrom(f, good, msg));
        QCOMPARE(msg.lastText(), QStringLiteral("恢复完毕！"));
        for (const QString& t : kNine) {
            f.dm->ADO_qczl.execute(QStringLiteral("insert into ") + t + QStringLiteral(" default values"));
            QCOMPARE(f.count(t), 4);
        }
        RecordSet& q = f.dm->q_qcda;
        q.setSql({QStringLiteral("select * from 汽车档案")});
        q.open();
        QCOMPARE(q.recordCount(), 4);
        q.first();
        q.edit();
        q.setValue(QStringLiteral("车牌号"), QStringLiteral("粤C00004"));
        q.post();
        QCOMPARE(f.count(QStringLiteral("汽车档案 where 车牌号 = '粤C00004'")), 1);
    }

    // The file chosen is a database still open elsewhere, its latest rows only in its log beside
    // it: they are restored too, and the file is left as it was.
    void restoreFromADatabaseStillInUseTakesItsLatestRows()
    {
        Fixture f;
        const QString office = f.path(QStringLiteral("office.db"));
        QVERIFY(createDatabase(office, QDate(2004, 3, 15)));
        Database writer;
        QVERIFY(writer.open(office));
        writer.execute(
            QStringLiteral("insert into 汽车档案 (车牌号, 购买时间, 公里数) values ('Su A0001', '2003-07-08 09:10:11', 12.5)"));
        writer.execute(QStringLiteral("insert into 现金日记帐 (摘要, 借方) values ('租赁收入', 1234.5678)"));
        QVERIFY(QFileInfo(office + QStringLiteral("-wal")).size() > 0);
        const QByteArray before = digest(office);
        Msg::Recorder msg;
        QVERIFY(restoreFrom(f, office, msg));
        QCOMPARE(msg.lastText(), QStringLiteral("恢复完毕！"));
        QCOMPARE(f.exec(QStringLiteral("select 车牌号 from 汽车档案")).toString(), QStringLiteral("Su A0001"));
        QCOMPARE(f.exec(QStringLiteral("select 购买时间 from 汽车档案")).toString(), QStringLiteral("2003-07-08 09:10:11"));
        QCOMPARE(Money::fromVariant(f.exec(QStringLiteral("select 借方 from 现金日记帐"))),
                 *Money::parse(QStringLiteral("1234.5678")));
        QCOMPARE(digest(office), before);
    }

    // On a server the backup's rows pass the server's own checks: a file whose rows the file
    // engine keeps without complaint (text that is no date in a date column) is refused with the
    // server's reason, and the server's rows stay as they were.
    void restoreOfRowsTheServerRefusesChangesNothing()
    {
        Fixture f;
        if (!f.onServer())
            QSKIP("the file engine keeps any text in a date column");
        fill(f);
        const QString good = backupOf(f);
        {
            Database file;
            QVERIFY(file.open(good));
            file.execute(QStringLiteral("update 汽车档案 set 购买时间 = '不是日期'"));
        }
        f.exec(QStringLiteral("insert into 汽车档案 (车牌号) values ('粤B00006')"));
        const auto before = counts(f);
        Msg::Recorder msg;
        QVERIFY(restoreFrom(f, good, msg));
        QCOMPARE(msg.shown().size(), 2);
        QCOMPARE(msg.shown()[1].request.icon, Msg::Icon::Critical);
        QVERIFY2(msg.lastText().contains(QStringLiteral("原数据库没有改变")), qPrintable(msg.lastText()));
        QCOMPARE(counts(f), before);
        QCOMPARE(f.count(QStringLiteral("汽车档案 where 车牌号 = '粤B00006'")), 1);
    }

    // The database's own log and shared memory are refused as backup destinations, with a message
    // and without "备份完毕！"; the database stays sound.
    void backupRefusesTheDatabasesCompanionFiles()
    {
        Fixture f;
        if (f.onServer())
            QSKIP("a server database has no log or shared-memory file beside it");
        fill(f);
        f.exec(QStringLiteral("insert into 汽车档案 (车牌号) values ('粤B00005')"));
        TForm_backup w(nullptr, f.dm.get());
        w.show();
        Msg::Recorder msg;
        FileDialogs::Recorder files;
        for (const char* suffix : {"-wal", "-shm"}) {
            msg.clear();
            QVERIFY(QFile::exists(f.db() + QLatin1String(suffix)));
            const QByteArray before = digest(f.db() + QLatin1String(suffix));
            files.scriptSave(f.db() + QLatin1String(suffix));
            w.browseButton->click();
            w.actionButton->click();
            QCOMPARE(msg.shown().size(), 1);
            QCOMPARE(msg.shown()[0].request.icon, Msg::Icon::Critical);
            QVERIFY2(msg.lastText().contains(QStringLiteral("日志文件")), qPrintable(msg.lastText()));
            QVERIFY(w.isVisible());
            QCOMPARE(digest(f.db() + QLatin1String(suffix)), before);
        }
        Database second;
        QVERIFY(second.open(f.db()));
        QCOMPARE(f.count(QStringLiteral("汽车档案")), 2);
        QCOMPARE(f.exec(QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"));
    }

    void theMaintenanceWindowsAreRegistered()
    {
        Fixture f;
        WindowRegistry::clear();
        registerSystemWindows();
        const QStringList names{QStringLiteral("TForm_gsxx_edit"), QStringLiteral("TForm_gzsj"), QStringLiteral("TForm_initialize"),
                                QStringLiteral("TForm_backup"), QStringLiteral("TForm_restore")};
        const QStringList captions{QStringLiteral("公司信息编辑"), QStringLiteral("结算时间设置"), QStringLiteral("数据初始化"),
                                   QStringLiteral("系统备份管理"), QStringLiteral("系统恢复管理")};
        for (int i = 0; i < names.size(); ++i) {
            QDialog* d = WindowRegistry::find(names[i])(nullptr, f.dm.get());
            QCOMPARE(QString::fromLatin1(d->metaObject()->className()), names[i]);
            QCOMPARE(d->windowTitle(), captions[i]);
            delete d;
        }
    }
};

QTEST_MAIN(TestMaintenanceWindows)
#include "test_maintenancewindows.moc"
