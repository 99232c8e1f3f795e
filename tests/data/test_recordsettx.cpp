// A record set follows the transaction it writes in: a rollback (by an exception, explicitly, of a
// savepoint) leaves its rows and edit buffer as they were and the database unchanged; a commit
// keeps the new state. No window: what the edit dialog and the rental windows rely on.
#include "data/creation.h"
#include "data/database.h"
#include "data/recordset.h"

#include <QSignalSpy>
#include <QSqlQuery>
#include <QTemporaryDir>
#include "tests/pg/serverdb.h"
#include <QTest>
#include <memory>
#include <optional>

namespace {
const QString Name = QStringLiteral("经办人姓名");
const QString Phone = QStringLiteral("联系电话");
}

class TestRecordSetTx : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    Database db;
    std::unique_ptr<RecordSet> q;

    // The phone of a handler as the database holds it; empty text for no such row.
    QString stored(const QString& name)
    {
        QSqlQuery r = db.run(QStringLiteral("select 联系电话 from 经办人信息 where 经办人姓名=?"), {name});
        return r.next() ? r.value(0).toString() : QString();
    }
    int rows()
    {
        QSqlQuery r = db.run(QStringLiteral("select count(*) from 经办人信息"));
        r.next();
        return r.value(0).toInt();
    }
    void at(const QString& name)
    {
        for (q->first(); !q->eof(); q->next())
            if (q->asString(Name) == name)
                return;
        QFAIL("no such row");
    }

private Q_SLOTS:
    void initTestCase()
    {
        SERVERDB_SKIP_WITHOUT_SERVER();
        const QString location = ServerDb::location(dir, QStringLiteral("tx.db"));
        QString err;
        QVERIFY2(createDatabase(location, QDate(2004, 2, 10), &err), qPrintable(err));
        QVERIFY2(db.open(location, &err), qPrintable(err));
    }

    void init()
    {
        db.execute(QStringLiteral("delete from 经办人信息"));
        db.execute(QStringLiteral("insert into 经办人信息 (经办人姓名, 联系电话) values ('甲', '111')"));
        db.execute(QStringLiteral("insert into 经办人信息 (经办人姓名, 联系电话) values ('乙', '222')"));
        q = std::make_unique<RecordSet>(&db, QStringLiteral("q_jbr"));
        q->setSql({QStringLiteral("select * from 经办人信息 "), QStringLiteral("order by 经办人姓名")});
        q->open();
    }

    void rollbackByExceptionKeepsWhatWasTyped()
    {
        // As the edit dialog saves: the row edited before the transaction, written inside it.
        at(QStringLiteral("甲"));
        q->edit();
        q->setValue(Phone, QStringLiteral("999"));
        QSignalSpy stores(q.get(), &RecordSet::rowStored);
        try {
            Transaction tx(db);
            q->post();
            QCOMPARE(q->state(), RecordSet::Browse);
            throw DbError(QStringLiteral("汽车档案中没有车牌号"));
        } catch (const DbError&) {
        }
        QCOMPARE(q->state(), RecordSet::Edit);
        QCOMPARE(q->asString(Phone), QStringLiteral("999"));
        QCOMPARE(q->storedValue(Phone).toString(), QStringLiteral("111"));
        QCOMPARE(stored(QStringLiteral("甲")), QStringLiteral("111"));
        // Footers were told the write and then its reverse.
        QCOMPARE(stores.size(), 2);
        QCOMPARE(stores[1][1], stores[0][2]);
        QCOMPARE(stores[1][2], stores[0][1]);
        // Saved again: the set still proves the row by what it read, so this is no conflict.
        q->post();
        QCOMPARE(stored(QStringLiteral("甲")), QStringLiteral("999"));
        QCOMPARE(q->state(), RecordSet::Browse);
    }

    void explicitRollbackOfANewRow()
    {
        q->append();
        q->setValue(Name, QStringLiteral("丙"));
        q->setValue(Phone, QStringLiteral("333"));
        const int count = q->recordCount();
        db.begin();
        q->post();
        QCOMPARE(rows(), 3);
        db.rollback();
        QCOMPARE(rows(), 2);
        QCOMPARE(q->state(), RecordSet::Insert);
        QCOMPARE(q->recordCount(), count);
        QCOMPARE(q->asString(Name), QStringLiteral("丙"));
        QVERIFY(q->storedValue(Name).isNull());
        // Written afterwards as a new row, once.
        q->post();
        QCOMPARE(rows(), 3);
        QCOMPARE(stored(QStringLiteral("丙")), QStringLiteral("333"));
        q->reopen();
        QCOMPARE(q->recordCount(), 3);
    }

    void editsStartedInsideTheTransactionAreDropped()
    {
        // As the reservation chooser ties a row: edit, set and post all inside the transaction.
        at(QStringLiteral("乙"));
        const int row = q->currentRow();
        try {
            Transaction tx(db);
            q->edit();
            q->setValue(Phone, QStringLiteral("888"));
            q->post();
            q->append();  // a row begun inside it leaves with it
            q->setValue(Name, QStringLiteral("丁"));
            throw std::runtime_error("stop");
        } catch (const std::runtime_error&) {
        }
        QCOMPARE(q->state(), RecordSet::Browse);
        QCOMPARE(q->recordCount(), 2);
        QCOMPARE(q->currentRow(), row);
        QCOMPARE(q->asString(Phone), QStringLiteral("222"));
        QCOMPARE(stored(QStringLiteral("乙")), QStringLiteral("222"));
        // Moving on writes nothing left over from the rolled-back transaction.
        q->first();
        QCOMPARE(stored(QStringLiteral("乙")), QStringLiteral("222"));
    }

    void commitKeepsTheNewState()
    {
        at(QStringLiteral("甲"));
        {
            Transaction tx(db);
            q->edit();
            q->setValue(Phone, QStringLiteral("123"));
            q->post();
            tx.commit();
        }
        QCOMPARE(q->state(), RecordSet::Browse);
        QCOMPARE(q->asString(Phone), QStringLiteral("123"));
        QCOMPARE(stored(QStringLiteral("甲")), QStringLiteral("123"));
        // A later transaction rolled back does not reach back to it.
        {
            Transaction tx(db);
            q->edit();
        }
        QCOMPARE(q->state(), RecordSet::Browse);
        QCOMPARE(q->asString(Phone), QStringLiteral("123"));
    }

    void savepointRollbackUndoesOnlyItsOwnWrites()
    {
        Transaction outer(db);
        at(QStringLiteral("甲"));
        q->edit();
        q->setValue(Phone, QStringLiteral("101"));
        q->post();
        at(QStringLiteral("乙"));
        q->edit();
        q->setValue(Phone, QStringLiteral("202"));
        {
            Transaction inner(db);
            q->post();
            QCOMPARE(stored(QStringLiteral("乙")), QStringLiteral("202"));
        }
        // The savepoint's write is gone, the clerk's typing is back; the outer write stands.
        QCOMPARE(q->state(), RecordSet::Edit);
        QCOMPARE(q->asString(Phone), QStringLiteral("202"));
        QCOMPARE(q->storedValue(Phone).toString(), QStringLiteral("222"));
        QCOMPARE(stored(QStringLiteral("乙")), QStringLiteral("222"));
        QCOMPARE(stored(QStringLiteral("甲")), QStringLiteral("101"));
        q->cancel();
        outer.commit();
        at(QStringLiteral("甲"));
        QCOMPARE(q->asString(Phone), QStringLiteral("101"));
        QCOMPARE(stored(QStringLiteral("甲")), QStringLiteral("101"));
        QCOMPARE(stored(QStringLiteral("乙")), QStringLiteral("222"));
    }

    void outerRollbackUndoesACommittedSavepoint()
    {
        at(QStringLiteral("甲"));
        q->edit();
        q->setValue(Phone, QStringLiteral("111a"));
        const int row = q->currentRow();
        {
            Transaction outer(db);
            q->post();
            at(QStringLiteral("乙"));
            {
                Transaction inner(db);
                q->edit();
                q->setValue(Phone, QStringLiteral("222b"));
                q->post();
                inner.commit();
            }
            QCOMPARE(stored(QStringLiteral("乙")), QStringLiteral("222b"));
        }
        // Both writes are gone, in the database and in the set; the set is back where it was
        // when it first took part: editing 甲 with what was typed.
        QCOMPARE(stored(QStringLiteral("甲")), QStringLiteral("111"));
        QCOMPARE(stored(QStringLiteral("乙")), QStringLiteral("222"));
        QCOMPARE(q->state(), RecordSet::Edit);
        QCOMPARE(q->currentRow(), row);
        QCOMPARE(q->asString(Phone), QStringLiteral("111a"));
        q->cancel();
        at(QStringLiteral("乙"));
        QCOMPARE(q->asString(Phone), QStringLiteral("222"));
        // Written again from there, without a conflict.
        q->edit();
        q->setValue(Phone, QStringLiteral("222c"));
        q->post();
        QCOMPARE(stored(QStringLiteral("乙")), QStringLiteral("222c"));
    }

    void aSetGoneBeforeTheRollbackIsLeftAlone()
    {
        std::optional<Transaction> tx(std::in_place, db);
        q->edit();
        q->setValue(Phone, QStringLiteral("0"));
        q->post();
        q.reset();
        tx.reset();
        QCOMPARE(stored(QStringLiteral("甲")), QStringLiteral("111"));
        QCOMPARE(stored(QStringLiteral("乙")), QStringLiteral("222"));
    }
};

QTEST_GUILESS_MAIN(TestRecordSetTx)
#include "test_recordsettx.moc"
