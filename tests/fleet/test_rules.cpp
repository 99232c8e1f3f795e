// Fleet rules without windows: the checks of a vehicle save in their order, the deletion rule,
// exact amounts, and reading photos from real files (good, damaged, of another format, missing).
#include "fleet/amounts.h"
#include "ui/shell/photo.h"
#include "fleet/qcda.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

namespace {
QDateTime day(int y, int m, int d)
{
    return QDateTime(QDate(y, m, d), QTime(0, 0));
}
Money money(const char* text)
{
    return *Money::parse(QString::fromUtf8(text));
}
}  // namespace

class TestFleetRules : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QString oldCwd;

private Q_SLOTS:
    void initTestCase()
    {
        oldCwd = QDir::currentPath();
        QDir::setCurrent(dir.path());
        QDir(dir.path()).mkpath(QStringLiteral("jpg"));
    }
    void cleanupTestCase() { QDir::setCurrent(oldCwd); }

    void vehicleChecksInOrder()
    {
        // Every rule broken at once: the empty plate is reported first, then each pair in turn.
        VehicleValues v;
        v.roadFeeBought = day(2004, 3, 2);
        v.roadFeeUntil = day(2004, 3, 1);
        v.inspection = day(2004, 3, 2);
        v.inspectionUntil = day(2004, 3, 1);
        v.insuranceBought = day(2004, 3, 2);
        v.insuranceUntil = day(2004, 3, 1);
        v.service = 9000;
        v.nextService = 8000;
        QStringList order;
        for (;;) {
            const auto r = checkVehicle(v);
            if (!r)
                break;
            order << r->column;
            if (r->column == QStringLiteral("车牌号")) {
                QCOMPARE(r->message, QStringLiteral("车牌号不能为空,请重新输入!"));
                v.plate = QStringLiteral("苏A12345");
            } else if (r->column == QStringLiteral("养路费截止时间")) {
                QCOMPARE(r->message, QStringLiteral("养路费截止时间必须大于养路费购买时间，请重新输入！"));
                v.roadFeeUntil = v.roadFeeBought;  // the same day passes
            } else if (r->column == QStringLiteral("年审截止时间")) {
                QCOMPARE(r->message, QStringLiteral("年审截止时间必须大于年审时间，请重新输入！"));
                v.inspection = QDateTime();  // an empty start date is the earliest of all
            } else if (r->column == QStringLiteral("保险截止时间")) {
                QCOMPARE(r->message, QStringLiteral("保险截止时间必须大于保险购买时间，请重新输入！"));
                v.insuranceUntil = QDateTime();  // no expiry date: nothing to compare
            } else {
                QCOMPARE(r->column, QStringLiteral("二保里程"));  // the focus goes to the first of the pair
                QCOMPARE(r->message, QStringLiteral("下次二保里程必须大于二保里程，请重新输入！"));
                v.nextService = 0;  // no next service planned: skipped whatever 二保里程 holds
            }
            QVERIFY(order.size() <= 5);
        }
        QCOMPARE(order, (QStringList{QStringLiteral("车牌号"), QStringLiteral("养路费截止时间"), QStringLiteral("年审截止时间"),
                                     QStringLiteral("保险截止时间"), QStringLiteral("二保里程")}));

        // Equal mileages pass; a blank plate is no plate; the vehicle tax pair has no rule.
        v.nextService = 9000;
        QVERIFY(!checkVehicle(v));
        v.plate = QStringLiteral("  ");
        QVERIFY(checkVehicle(v));
        VehicleValues tax;
        tax.plate = QStringLiteral("苏A1");
        QVERIFY(!checkVehicle(tax));
        // A stored start date with a time of day still passes on the same day.
        tax.roadFeeBought = QDateTime(QDate(2004, 3, 1), QTime(15, 0));
        tax.roadFeeUntil = day(2004, 3, 1);
        QVERIFY(!checkVehicle(tax));
    }

    void deletionRule()
    {
        QCOMPARE(vehicleDeleteRefusal(true, QStringLiteral("苏A1")).value_or(QString()),
                 QStringLiteral("该车辆已经开始出租,不能删除,可以将该车停用!"));
        QVERIFY(!vehicleDeleteRefusal(false, QStringLiteral("苏A1")));
        QVERIFY(!vehicleDeleteRefusal(true, QString()));
    }

    void amountsAreExact_data()
    {
        QTest::addColumn<QString>("price");
        QTest::addColumn<QVariant>("quantity");
        QTest::addColumn<QString>("amount");
        QTest::newRow("7.35 x 40") << "7.35" << QVariant(40.0) << "294.0000";
        QTest::newRow("12.5 x 3") << "12.5" << QVariant(3.0) << "37.5000";
        QTest::newRow("fraction of a litre") << "7.35" << QVariant(2.5) << "18.3750";
        // 0.1 and 0.7 have no exact binary form; the product must not drift.
        QTest::newRow("0.1 x 0.7") << "0.1" << QVariant(0.7) << "0.0700";
        QTest::newRow("4.35 x 100.1") << "4.35" << QVariant(100.1) << "435.4350";
        QTest::newRow("half to even, down") << "0.0001" << QVariant(0.5) << "0.0000";
        QTest::newRow("half to even, up") << "0.0003" << QVariant(0.5) << "0.0002";
        QTest::newRow("above half") << "0.0001" << QVariant(0.51) << "0.0001";
        QTest::newRow("negative correction") << "7.35" << QVariant(-2.0) << "-14.7000";
        QTest::newRow("empty quantity") << "7.35" << QVariant() << "0.0000";
        QTest::newRow("typed text") << "7.35" << QVariant(QStringLiteral("40.00")) << "294.0000";
        QTest::newRow("large") << "9999.9999" << QVariant(123456.789) << "1234567877.6543";
    }
    void amountsAreExact()
    {
        QFETCH(QString, price);
        QFETCH(QVariant, quantity);
        QFETCH(QString, amount);
        QCOMPARE(oilAmount(*Money::parse(price), quantity).toString(), amount);
    }

    void repairTotalIsExact()
    {
        QCOMPARE(repairTotal(money("0.1"), money("0.2"), Money()).toString(), QStringLiteral("0.3000"));
        QCOMPARE(repairTotal(money("99999999.9999"), money("0.0001"), money("-1")).toString(), QStringLiteral("99999999.0000"));
    }

    void photoFiles()
    {
        // A good JPEG, one of another format under a .jpg name, a damaged one, a folder, nothing.
        QImage img(40, 30, QImage::Format_RGB32);
        img.fill(Qt::red);
        QVERIFY(img.save(QStringLiteral("jpg/苏A1.jpg"), "JPEG"));
        QVERIFY(img.save(QStringLiteral("jpg/png.jpg"), "PNG"));
        QFile bad(QStringLiteral("jpg/bad.jpg"));
        QVERIFY(bad.open(QIODevice::WriteOnly));
        bad.write(QByteArray("\xFF\xD8\xFF\xE0", 4) + QByteArray(500, '\x5a'));
        bad.close();
        QFile empty(QStringLiteral("jpg/empty.jpg"));
        QVERIFY(empty.open(QIODevice::WriteOnly));
        empty.close();

        const QString good = photoPath(QStringLiteral("苏A1.jpg"));
        QCOMPARE(good, QDir::toNativeSeparators(dir.path() + QStringLiteral("/jpg/苏A1.jpg")));
        const Photo p = readPhoto(good);
        QCOMPARE(p.status, PhotoStatus::Ok);
        QCOMPARE(p.image.size(), QSize(40, 30));

        for (const char* name : {"png.jpg", "bad.jpg", "empty.jpg"}) {
            const Photo r = readPhoto(photoPath(QString::fromUtf8(name)));
            QCOMPARE(r.status, PhotoStatus::Unreadable);
            QVERIFY(r.image.isNull());
        }
        QCOMPARE(readPhoto(photoPath(QStringLiteral("无.jpg"))).status, PhotoStatus::Missing);

        // No stored name: the path is the folder itself, which is no photo.
        const QString folder = photoPath(QString());
        QCOMPARE(folder, QDir::toNativeSeparators(dir.path() + QStringLiteral("/jpg/")));
        QCOMPARE(readPhoto(folder).status, PhotoStatus::Missing);
        QCOMPARE(photoMessage(folder, PhotoStatus::Missing), folder + QStringLiteral("图形文件不存在!"));
        QVERIFY(photoMessage(good, PhotoStatus::Unreadable).startsWith(good));
        QVERIFY(photoMessage(good, PhotoStatus::Unreadable) != photoMessage(good, PhotoStatus::Missing));
    }

    void photoAreaToggles()
    {
        PhotoArea area;
        area.resize(400, 300);
        QImage img(40, 30, QImage::Format_RGB32);
        area.setPhoto(img);
        // centred at its natural size
        QCOMPARE(area.pictureRect().size(), QSize(40, 30));
        QCOMPARE(area.pictureRect().center(), area.rect().center());
        area.setStretched(true);
        QCOMPARE(area.pictureRect(), area.rect());
        QCOMPARE(area.fullScreenAction->text(), QStringLiteral("全屏显示"));
    }
};

QTEST_MAIN(TestFleetRules)
#include "test_rules.moc"
