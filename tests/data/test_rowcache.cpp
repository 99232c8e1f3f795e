// The row cache on its own, without a database: pages read once, the far rows dropped beyond the
// limit while the rows around the one asked for stay, invalidated rows read again.
#include "data/rowcache.h"

#include <QSet>
#include <QTest>
#include <algorithm>

namespace {

// Rows of keys 1..n; each value is the key and how many times that key was read.
struct Table {
    QVector<int> readCount;
    QVector<QVector<qint64>> pages;  // the keys of each call
    QVector<QVector<qint64>> hints;  // the keys named as the next page by each call
    QSet<qint64> deleted;

    explicit Table(int n) : readCount(n + 1, 0) {}

    RowCache::Loader loader()
    {
        return [this](const QVector<qint64>& keys, const QVector<qint64>& next) {
            pages << keys;
            hints << next;
            QVector<std::pair<qint64, RowCache::Row>> rows;
            for (qint64 k : keys) {
                if (deleted.contains(k))
                    continue;
                rows.push_back({k, RowCache::Row{k, ++readCount[int(k)]}});
            }
            std::reverse(rows.begin(), rows.end());  // any order will do
            return rows;
        };
    }
};

QVector<qint64> keysUpTo(int n)
{
    QVector<qint64> keys;
    for (int k = 1; k <= n; ++k)
        keys << k;
    return keys;
}

}  // namespace

class TestRowCache : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void pagesAreReadOncePerPage()
    {
        Table t(1000);
        RowCache c;
        c.setKeys(keysUpTo(1000), 2, t.loader());
        QCOMPARE(c.size(), 1000);
        QVERIFY(!c.isLoaded(0));
        QCOMPARE(c.pageLoads(), 0);

        QCOMPARE(c.row(0).value(0).toLongLong(), 1);
        QCOMPARE(c.pageLoads(), 1);
        QCOMPARE(t.pages[0].size(), RowCache::PageRows);
        // The whole page is held: no further read for any row of it.
        for (int r = 0; r < RowCache::PageRows; ++r)
            QCOMPARE(c.row(r).value(0).toLongLong(), r + 1);
        QCOMPARE(c.pageLoads(), 1);
        QVERIFY(!c.isLoaded(RowCache::PageRows));

        // A row further down reads a page starting a little before it, skipping what is held.
        const int far = 600;
        QCOMPARE(c.row(far).value(0).toLongLong(), far + 1);
        QCOMPARE(c.pageLoads(), 2);
        QCOMPARE(t.pages[1].first(), far - RowCache::PageRowsBehind + 1);
        QCOMPARE(t.pages[1].size(), RowCache::PageRows);
        // Scrolling up over those rows reads nothing.
        for (int r = far; r >= far - RowCache::PageRowsBehind; --r)
            c.row(r);
        QCOMPARE(c.pageLoads(), 2);
        // Between the two pages: only the rows not held yet are asked for.
        c.row(RowCache::PageRows);
        QCOMPARE(c.pageLoads(), 3);
        QCOMPARE(t.pages[2].first(), RowCache::PageRows + 1);
        QCOMPARE(t.pages[2].last(), 2 * RowCache::PageRows - RowCache::PageRowsBehind);
        for (int k = 1; k <= 1000; ++k)
            QVERIFY(t.readCount[k] <= 1);
        QCOMPARE(c.loadedCount(), int(t.pages[0].size() + t.pages[1].size() + t.pages[2].size()));
    }

    void rowsGoneElsewhereReadEmpty()
    {
        Table t(10);
        t.deleted << 4;
        RowCache c;
        c.setKeys(keysUpTo(10), 3, t.loader());
        QCOMPARE(c.row(3), RowCache::Row(3));
        QCOMPARE(c.row(4).value(0).toLongLong(), 5);
        QCOMPARE(c.pageLoads(), 1);
    }

    void dropsTheFarRowsBeyondTheLimit()
    {
        const int n = RowCache::MaxLiveRows * 3;
        Table t(n);
        RowCache c;
        c.setKeys(keysUpTo(n), 2, t.loader());
        const int pinned = 10;
        c.row(pinned);
        int highest = 0;
        for (int r = 0; r < n; ++r) {
            QCOMPARE(c.row(r, pinned).value(0).toLongLong(), r + 1);
            highest = std::max(highest, c.loadedCount());
        }
        QVERIFY(highest <= RowCache::MaxLiveRows);
        QVERIFY(highest > RowCache::MaxLiveRows - RowCache::PageRows);
        // A walk reads every row once: the rows dropped are behind it, never read again on the way.
        for (int k = 1; k <= n; ++k)
            QCOMPARE(t.readCount[k], 1);
        // What stays: the rows around the last one asked for, and the pinned row.
        QVERIFY(c.isLoaded(n - 1));
        QVERIFY(c.isLoaded(n - RowCache::LiveWindow));
        QVERIFY(c.isLoaded(pinned));
        QVERIFY(!c.isLoaded(pinned + 1));
        QVERIFY(!c.isLoaded(n / 2));
        // A dropped row is read again when asked for, with its page.
        const int loads = c.pageLoads();
        QCOMPARE(c.row(0).value(0).toLongLong(), 1);
        QCOMPARE(c.pageLoads(), loads + 1);
        QCOMPARE(t.readCount[1], 2);
    }

    void aWalkInOrderNamesTheNextPage()
    {
        // Past the limit, so that drops happen on the way too.
        const int n = RowCache::MaxLiveRows + 5 * RowCache::PageRows + 17;
        Table t(n);
        RowCache c;
        c.setKeys(keysUpTo(n), 2, t.loader());
        for (int r = 0; r < n; ++r)
            c.row(r);
        QVERIFY(t.pages.size() > 60);
        // The first read may be a jump: nothing named. From the second on, each read names exactly
        // the keys the next one asks for; the last names none.
        QVERIFY(t.hints.first().isEmpty());
        for (int i = 1; i + 1 < t.pages.size(); ++i)
            QCOMPARE(t.hints[i], t.pages[i + 1]);
        QVERIFY(t.hints.last().isEmpty());
        // A jump, and scrolling up, name nothing.
        const int before = int(t.pages.size());
        c.row(n / 2);
        c.row(n / 2 - RowCache::PageRowsBehind - 1);
        QCOMPARE(t.pages.size(), before + 2);
        QVERIFY(t.hints[before].isEmpty());
        QVERIFY(t.hints[before + 1].isEmpty());
    }

    void invalidatedRowsAreReadAgain()
    {
        Table t(600);
        RowCache c;
        c.setKeys(keysUpTo(600), 2, t.loader());
        c.row(0);
        QCOMPARE(c.row(5).value(1).toInt(), 1);
        c.invalidate(5);
        QVERIFY(!c.isLoaded(5));
        QVERIFY(c.isLoaded(6));
        QCOMPARE(c.row(5).value(1).toInt(), 2);
        QCOMPARE(t.pages.last(), QVector<qint64>{6});  // only that row

        c.row(400);
        c.invalidateAll();
        QCOMPARE(c.loadedCount(), 0);
        QCOMPARE(c.row(5).value(1).toInt(), 3);
        QCOMPARE(c.row(400).value(1).toInt(), 2);
    }

    void rowsNotWrittenYetStay()
    {
        Table t(4);
        RowCache c;
        c.setKeys(keysUpTo(3), 2, t.loader());
        c.append(RowCache::Row{QStringLiteral("new"), 0});
        QCOMPARE(c.size(), 4);
        QCOMPARE(c.key(3), 0);
        c.invalidate(3);
        c.invalidateAll();
        QCOMPARE(c.row(3).value(0).toString(), QStringLiteral("new"));
        // Written: it has a key, and from now on it is read again like any row.
        c.setKey(3, 4);
        c.invalidate(3);
        QCOMPARE(c.row(3).value(0).toLongLong(), 4);
    }

    void removedRowsMoveTheRestUp()
    {
        Table t(300);
        RowCache c;
        c.setKeys(keysUpTo(300), 2, t.loader());
        c.row(0);
        const int loads = c.pageLoads();
        const int held = c.loadedCount();
        c.removeAt(1);
        QCOMPARE(c.size(), 299);
        QCOMPARE(c.key(1), 3);
        QCOMPARE(c.row(1).value(0).toLongLong(), 3);
        QCOMPARE(c.loadedCount(), held - 1);
        QCOMPARE(c.pageLoads(), loads);
    }

    void pagesAreMadeOnlyForRowsHeld()
    {
        Table t(5000);
        RowCache c;
        c.setKeys(keysUpTo(5000), 2, t.loader());
        QCOMPARE(c.pagesHeld(), 0);
        c.row(4000);
        QCOMPARE(c.pagesHeld(), 2);  // the page read straddles two of storage
        // Rows moving up across pages keep their values and their missing pages missing.
        const int loads = c.pageLoads();
        c.removeAt(10);
        QCOMPARE(c.size(), 4999);
        for (int r = 3999 - RowCache::PageRowsBehind; r < 3998 - RowCache::PageRowsBehind + RowCache::PageRows; ++r)
            QCOMPARE(c.row(r).value(0).toLongLong(), r + 2);
        QCOMPARE(c.pageLoads(), loads);
        QVERIFY(!c.isLoaded(100));
        QCOMPARE(c.row(100).value(0).toLongLong(), 102);
        // Walking the whole list gives the pages emptied by the drop back.
        for (int r = 0; r < c.size(); r += 97)
            c.row(r);
        QVERIFY(c.pagesHeld() <= RowCache::MaxLiveRows / RowCache::PageRows + 2);
    }

    void keysCompletedLater()
    {
        Table t(1000);
        RowCache c;
        c.setKeys(keysUpTo(300), 2, t.loader());
        QVector<std::pair<int, int>> completed;
        int reads = 0;
        c.setKeysPending(
            [&] {
                ++reads;
                return keysUpTo(1000);
            },
            [&](int known, int total) {
                completed.push_back({known, total});
            });
        // The first part reads without the rest.
        QCOMPARE(c.row(299).value(0).toLongLong(), 300);
        QCOMPARE(c.knownSize(), 300);
        QVERIFY(!c.keysComplete());
        QCOMPARE(reads, 0);
        // A row past it needs the whole list, read at once.
        QCOMPARE(c.row(900).value(0).toLongLong(), 901);
        QCOMPARE(reads, 1);
        QCOMPARE(completed, (QVector<std::pair<int, int>>{{300, 1000}}));
        // What arrives afterwards changes nothing.
        c.finishKeys(keysUpTo(10));
        QCOMPARE(c.size(), 1000);

        // The whole list as read later by another connection: rows deleted or added meanwhile in
        // the first part leave the rows held where they are, and new ones follow them.
        RowCache d;
        d.setKeys(keysUpTo(4), 2, t.loader());
        d.setKeysPending([] { return QVector<qint64>(); }, nullptr);
        d.finishKeys({1, 2, 50, 4, 5, 6});  // 3 deleted, 50 added in between
        QCOMPARE(d.keys(), (QVector<qint64>{1, 2, 3, 4, 50, 5, 6}));
        QCOMPARE(d.row(2).value(0).toLongLong(), 3);
    }

    void writesNeedTheWholeList()
    {
        Table t(600);
        for (const int what : {0, 1, 2}) {
            RowCache c;
            c.setKeys(keysUpTo(256), 2, t.loader());
            c.setKeysPending([] { return keysUpTo(600); }, nullptr);
            if (what == 0) {
                c.append(RowCache::Row{QStringLiteral("new"), 0});
                QCOMPARE(c.knownSize(), 601);
                QCOMPARE(c.key(600), 0);
            } else if (what == 1) {
                c.removeAt(3);
                QCOMPARE(c.knownSize(), 599);
                QCOMPARE(c.key(598), 600);
            } else {
                c.setKey(5, 99);
                QCOMPARE(c.knownSize(), 600);
            }
            QVERIFY(c.keysComplete());
        }
    }

    void rowsReadWholeNeverLoad()
    {
        RowCache c;
        c.setRows({{1, QStringLiteral("a")}, {2, QStringLiteral("b")}});
        QCOMPARE(c.size(), 2);
        QVERIFY(c.isLoaded(1));
        c.invalidateAll();
        c.invalidate(0);
        QCOMPARE(c.row(1).value(1).toString(), QStringLiteral("b"));
        QCOMPARE(c.key(0), 0);
        QCOMPARE(c.pageLoads(), 0);
    }
};

QTEST_GUILESS_MAIN(TestRowCache)
#include "test_rowcache.moc"
