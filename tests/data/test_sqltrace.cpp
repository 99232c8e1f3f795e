// The statement trace for support: each statement as the engine receives it, translated, only
// while the category velmira.sql is enabled.
#include "data/creation.h"
#include "data/database.h"
#include "data/recordset.h"

#include <QLoggingCategory>
#include <QTemporaryDir>
#include "tests/pg/serverdb.h"
#include <QTest>
#include <algorithm>

namespace {
QStringList traced;
QtMessageHandler previous = nullptr;

void capture(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (context.category && qstrcmp(context.category, "velmira.sql") == 0)
        traced << text;
    else if (previous)
        previous(type, context, text);
}
}  // namespace

class TestSqlTrace : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    Database db;

    // What the trace shows of a few statements: a plain one in the Jet dialect, a list's keys, a
    // record set's prepared update.
    QStringList traceOfWork()
    {
        traced.clear();
        db.run(QStringLiteral("select count(*) from 汽车档案 where 停用=no"));
        RecordSet q(&db, QStringLiteral("q_jbr"));
        q.setSql({QStringLiteral("select * from 经办人信息")});
        q.open();
        q.edit();
        q.setValue(QStringLiteral("联系电话"), QStringLiteral("123"));
        q.post();
        return traced;
    }

private Q_SLOTS:
    void initTestCase()
    {
        SERVERDB_SKIP_WITHOUT_SERVER();
        const QString location = ServerDb::location(dir, QStringLiteral("trace.db"));
        QString err;
        QVERIFY2(createDatabase(location, QDate(2004, 2, 10), &err), qPrintable(err));
        QVERIFY2(db.open(location, &err), qPrintable(err));
        db.execute(QStringLiteral("insert into 经办人信息 (经办人姓名) values ('甲')"));
        previous = qInstallMessageHandler(capture);
    }

    void cleanupTestCase()
    {
        qInstallMessageHandler(previous);
        QLoggingCategory::setFilterRules(QString());
    }

    void offByDefault()
    {
        QVERIFY(!lcSql().isDebugEnabled());
        QCOMPARE(traceOfWork(), QStringList());
    }

    void showsTheStatementsAsTranslated()
    {
        QLoggingCategory::setFilterRules(QStringLiteral("velmira.sql.debug=true"));
        const QStringList lines = traceOfWork();
        QLoggingCategory::setFilterRules(QStringLiteral("velmira.sql.debug=false"));
        const auto has = [&lines](const QString& part) {
            return std::any_of(lines.begin(), lines.end(), [&part](const QString& l) { return l.contains(part); });
        };
        // The engine's form: no Jet "no" reaches it.
        QVERIFY2(has(QStringLiteral("where 停用=0")), qPrintable(lines.join(QLatin1Char('\n'))));
        QVERIFY(!has(QStringLiteral("停用=no")));
        // The list's keys, the update by key with its bound values counted (never shown).
        QVERIFY(has(QStringLiteral("select ") + Schema::KeyColumn));
        QVERIFY(has(QStringLiteral("UPDATE \"经办人信息\" SET \"联系电话\"=?")));
        QVERIFY(!has(QStringLiteral("123")));
        QVERIFY(has(QStringLiteral("bound]")));
        QCOMPARE(traceOfWork(), QStringList());
    }
};

QTEST_GUILESS_MAIN(TestSqlTrace)
#include "test_sqltrace.moc"
