#include <QTest>
class TestFleetWindows : public QObject { Q_OBJECT };
QTEST_MAIN(TestFleetWindows)
#include "test_windows.moc"
