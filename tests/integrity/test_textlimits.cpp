// Text the engines cannot hold never reaches them: every text column holds its length in the
// widest characters on both engines and refuses one more, control characters are refused at save
// and left out of searches, a file holding text that is not UTF-8 is not restored, and the engine
// errors a clerk can meet are told in Chinese with the engine's own text in the log.
#include "core/sqltext.h"
#include "data/database.h"
#include "data/maintenance.h"
#include "data/recordset.h"
#include "data/textlimits.h"

#include <QFile>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <sqlite3.h>

#include "tests/pg/serverdb.h"

namespace {
QString S(const char* s)
{
    return QString::fromUtf8(s);
}

// A character of three bytes in UTF-8, the most one unit of a column can take.
const QChar Wide(0x6C49);
}  // namespace

class TestTextLimits : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    Database db;
    QString location;

    int count(const QString& sql)
    {
        QSqlQuery q = db.run(sql);
        return q.next() ? q.value(0).toInt() : -1;
    }

    // The refusal of a value, or an empty text when the column took it.
    static QString refusal(RecordSet& set, const QString& column, const QString& value)
    {
        try {
            set.setValue(column, value);
        } catch (const DbError& e) {
            return e.text();
        }
        return {};
    }

    // A backup file holding one customer whose name is the given bytes, stored as text.
    QString fileWithName(const QString& name, const QByteArray& hex)
    {
        const QString file = dir.filePath(name);
        Database f;
        QString err;
        if (!f.create(file, &err))
            return {};
        f.close();
        sqlite3* h = nullptr;
        const QByteArray path = QFile::encodeName(file);
        const QByteArray sql = "insert into 客户登记表 (客户号, 客户姓名) values ('K9', cast(x'" + hex + "' as text))";
        const bool ok = sqlite3_open_v2(path.constData(), &h, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK
                        && sqlite3_exec(h, sql.constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
        sqlite3_close(h);
        return ok ? file : QString();
    }

private Q_SLOTS:
    void initTestCase()
    {
        SERVERDB_SKIP_WITHOUT_SERVER();
        location = ServerDb::location(dir, QStringLiteral("q.db"));
        QString err;
        QVERIFY2(db.create(location, &err), qPrintable(err));
    }

    void everyTextColumnHoldsItsLength()
    {
        for (const TableDef& t : Schema::tables()) {
            RecordSet set(&db);
            set.setSql({QStringLiteral("select * from ") + t.name});
            set.open();
            set.append();
            QHash<QString, int> written;
            for (const ColumnDef& c : t.columns) {
                const int limit = Schema::maxLength(t.name, c.name);
                if (c.type != FieldType::Text && c.type != FieldType::Memo) {
                    QCOMPARE(limit, 0);
                    continue;
                }
                // Well below the server's index entry of about 2,700 bytes, memos apart (never indexed).
                QVERIFY2(limit > 0 && (c.type == FieldType::Memo || limit * 3 <= 1200), qPrintable(t.name + c.name));
                const QString said = refusal(set, c.name, QString(limit + 1, Wide));
                QVERIFY2(said.contains(c.name + S(" 超过最大长度 ") + QString::number(limit)), qPrintable(said));
                QCOMPARE(refusal(set, c.name, QString(limit, Wide)), QString());
                written.insert(c.name, limit);
            }
            // Every column at its length in one row: on the server its index entries too.
            set.post();
            RecordSet back(&db);
            back.setSql({QStringLiteral("select * from ") + t.name});
            back.open();
            QCOMPARE(back.recordCount(), 1);
            for (auto it = written.cbegin(); it != written.cend(); ++it)
                QCOMPARE(back.asString(it.key()), QString(it.value(), Wide));
        }
        // A thousand-character name is refused in the clerk's words, and nothing is stored.
        RecordSet customers(&db);
        customers.setSql({S("select * from 客户登记表")});
        customers.open();
        customers.append();
        QCOMPARE(refusal(customers, S("客户姓名"), QString(1000, QLatin1Char('a'))),
                 S("客户姓名 超过最大长度 %1 个字符,请重新输入!").arg(Schema::maxLength(S("客户登记表"), S("客户姓名"))));
        customers.cancel();
        QCOMPARE(count(S("select count(*) from 客户登记表")), 1);
    }

    void controlCharactersRefusedAndLeftOutOfSearches()
    {
        db.execute(S("delete from 客户登记表"));
        RecordSet set(&db);
        set.setSql({S("select * from 客户登记表")});
        set.open();
        set.append();
        const QString withNul = S("王") + QChar(0) + S("五");
        QVERIFY(refusal(set, S("客户姓名"), withNul).contains(S("客户姓名 含有不能存放的控制字符")));
        QVERIFY(refusal(set, S("客户号"),
                        S("K\x01"
                          "1"))
                    .contains(S("控制字符")));
        QVERIFY(refusal(set, S("客户姓名"), S("王") + QChar(0xD800)).contains(S("控制字符")));  // half a pair
        QVERIFY(refusal(set, S("客户姓名"), S("王\n五")).contains(S("客户姓名 不能含有换行或制表符")));
        QVERIFY(refusal(set, S("客户号"), S("K\t1")).contains(S("制表符")));
        // Remarks take lines and tabs, and characters beyond the basic plane.
        const QString remark = S("第一行\r\n\t第二行 \U0001F697");
        QCOMPARE(refusal(set, S("备注"), remark), QString());
        QCOMPARE(refusal(set, S("客户姓名"), S("王五")), QString());
        set.post();
        QCOMPARE(count(S("select count(*) from 客户登记表")), 1);
        set.reopen();
        QCOMPARE(set.asString(S("备注")), remark);

        // A NUL or another control character typed into a search is left out; the statement runs
        // and finds what the clerk sees.
        QCOMPARE(count(S("select count(*) from 客户登记表 where 客户姓名 like '") + sqlText(withNul) + S("%'")), 1);
        QCOMPARE(count(S("select count(*) from 客户登记表 where 客户姓名='") + sqlText(S("王\x1b五")) + S("'")), 1);
        QCOMPARE(sqlText(S("O'B\x7f\nx")), S("O''B\nx"));
    }

    void restoreRefusesTextThatIsNotUtf8()
    {
        const int before = count(S("select count(*) from 客户登记表"));
        QVERIFY(before > 0);
        // A name cut inside a character, a lone surrogate written as bytes, a NUL inside the text.
        const QByteArray cases[] = {"e78e8be4ba", "eda080", "e78e8b00e4ba94"};
        int n = 0;
        for (const QByteArray& hex : cases) {
            const QString file = fileWithName(QStringLiteral("bad%1.bak").arg(++n), hex);
            QVERIFY(!file.isEmpty());
            QString err;
            QVERIFY(!Maintenance::restore(file, location, &err));
            QVERIFY2(err.contains(S("客户登记表")) && err.contains(S("客户姓名")) && err.contains(S("UTF-8")), qPrintable(err));
            QCOMPARE(count(S("select count(*) from 客户登记表")), before);  // the database as it was
        }
        // The same file with the name whole is restored, the name as written.
        const QString good = fileWithName(QStringLiteral("good.bak"), "e78e8be4ba94f09f9a97");
        QString err;
        QVERIFY2(Maintenance::restore(good, location, &err), qPrintable(err));
        QSqlQuery q = db.run(S("select 客户姓名 from 客户登记表"));
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toString(), S("王五\U0001F697"));
        QVERIFY(!q.next());
    }

    void engineErrorsInTheClerksWords()
    {
        // A duplicate against a unique index another program made.
        db.runNative(S("CREATE UNIQUE INDEX vel_unique ON \"经办人信息\" (\"经办人姓名\")"));
        db.execute(S("insert into 经办人信息 (经办人姓名) values ('王五')"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("UNIQUE|duplicate key")));
        try {
            db.execute(S("insert into 经办人信息 (经办人姓名) values ('王五')"));
            QFAIL("a duplicate was stored");
        } catch (const DbError& e) {
            QCOMPARE(e.kind(), DbError::Kind::Engine);
            QCOMPARE(e.text(), engineFaultText(EngineFault::Duplicate));
        }
        QCOMPARE(count(S("select count(*) from 经办人信息")), 1);

        // Another workstation holding the write lock past the wait: still Busy, said in Chinese.
        Database other;
        QString err;
        QVERIFY2(other.open(location, &err), qPrintable(err));
        other.setBusyTimeout(200);
        db.begin();
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("lock")));
        try {
            other.begin();
            QFAIL("the write lock was taken twice");
        } catch (const DbError& e) {
            QCOMPARE(e.kind(), DbError::Kind::Busy);
            QCOMPARE(e.text(), engineFaultText(EngineFault::Busy));
        }
        db.rollback();

        if (!PgLocation::isServer(location))
            return;
        // The server ends the session (an administrator, a restart, a broken network).
        QSqlQuery p = db.run(S("select pg_backend_pid()"));
        QVERIFY(p.next());
        other.runNative(S("select pg_terminate_backend(%1)").arg(p.value(0).toLongLong()));
        const QRegularExpression engineText(QStringLiteral("terminat|closed the connection|no connection"));
        // A list read first, then a statement: both said in Chinese, the engine's text logged once.
        QTest::ignoreMessage(QtWarningMsg, engineText);
        RecordSet list(&db);
        list.setSql({S("select * from 经办人信息 "), S("order by 经办人姓名")});
        try {
            list.open();
            QFAIL("a list was read on an ended session");
        } catch (const DbError& e) {
            QCOMPARE(e.text(), engineFaultText(EngineFault::ConnectionLost));
        }
        try {
            db.execute(S("insert into 经办人信息 (经办人姓名) values ('李四')"));
            QFAIL("a statement ran on an ended session");
        } catch (const DbError& e) {
            QCOMPARE(e.text(), engineFaultText(EngineFault::ConnectionLost));
        }
    }
};

QTEST_GUILESS_MAIN(TestTextLimits)
#include "test_textlimits.moc"
