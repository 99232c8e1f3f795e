// placeholder
#include <QTest>
class TestStatsWindows : public QObject { Q_OBJECT };
QTEST_MAIN(TestStatsWindows)
#include "test_windows.moc"
