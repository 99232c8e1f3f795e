// 业务规则设置 as the operator meets it: the rules' item names from the reminder parameters, the
// stored choices and lead shown, 存盘 writing them; another workstation's change since the window
// read them is said, the input stays and the next 存盘 writes it.
#include "../admin/fixture.h"
#include "data/businesssettings.h"
#include "remind/businesssettingswindow.h"
#include "ui/common/messages.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

class TestBusinessSettings : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void roundTripAndConflict()
    {
        SERVERDB_SKIP_WITHOUT_SERVER();
        Fixture f;
        Database& db = f.dm->ADO_qczl;
        db.execute(QStringLiteral("update 提醒功能初始表 set 项目='交强险到期' where 序号=3"));
        Msg::Recorder msgs;
        BusinessSettingsWindow w(nullptr, f.dm.get());
        QCOMPARE(w.windowTitle(), QStringLiteral("业务规则设置"));
        QCOMPARE(w.itemLabels[2]->text(), QStringLiteral("交强险到期"));
        // The defaults: the expiries refused, the mileage warned about, fines after 7 days.
        QStringList shown;
        for (QComboBox* b : w.ruleBoxes)
            shown << b->currentText();
        QCOMPARE(shown, (QStringList{QStringLiteral("禁止出租"), QStringLiteral("禁止出租"), QStringLiteral("禁止出租"),
                                     QStringLiteral("禁止出租"), QStringLiteral("只提醒")}));
        QCOMPARE(w.fineLead->value(), 7);

        w.ruleBoxes[1]->setCurrentText(QStringLiteral("不检查"));
        w.ruleBoxes[4]->setCurrentText(QStringLiteral("禁止出租"));
        w.fineLead->setValue(30);
        w.saveButton->click();
        QCOMPARE(msgs.texts(), QStringList{QStringLiteral("存盘完毕！")});
        BusinessSettings expected;
        expected.stopRules[1] = BusinessSettings::StopRule::Off;
        expected.stopRules[4] = BusinessSettings::StopRule::Refuse;
        expected.fineLeadDays = 30;
        QCOMPARE(BusinessSettings::read(db) == expected, true);

        // Another workstation changes the lead; this window, still showing what it read, is refused.
        {
            Database other;
            QString error;
            QVERIFY2(other.open(f.db(), &error), qPrintable(error));
            BusinessSettings theirs = BusinessSettings::read(other);
            theirs.fineLeadDays = 3;
            theirs.write(other, &expected);
        }
        w.ruleBoxes[0]->setCurrentText(QStringLiteral("只提醒"));
        msgs.clear();
        QVERIFY(!w.save());
        QCOMPARE(msgs.shown().size(), 1);
        QVERIFY(msgs.lastText().contains(QStringLiteral("已被其他用户修改")));
        QCOMPARE(BusinessSettings::read(db).fineLeadDays, 3);
        QCOMPARE(w.ruleBoxes[0]->currentText(), QStringLiteral("只提醒"));
        QCOMPARE(w.fineLead->value(), 30);
        // Said once: the next 存盘 writes what the window holds.
        msgs.clear();
        QVERIFY(w.save());
        expected.stopRules[0] = BusinessSettings::StopRule::Warn;
        QCOMPARE(BusinessSettings::read(db) == expected, true);
    }
};

QTEST_MAIN(TestBusinessSettings)
#include "test_businesssettings.moc"
