// Number limits through a real edit dialog: an amount the column cannot hold is refused at 存盘
// with its reason, and nothing is stored.
#include "core/session.h"
#include "data/creation.h"
#include "data/datamodule.h"
#include "fleet/fleet.h"
#include "fleet/registers.h"
#include "ui/common/messages.h"
#include "ui/common/modal.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

namespace {
QString S(const char* s)
{
    return QString::fromUtf8(s);
}

// Types into a line as the clerk does, key by key.
void type(QWidget* w, const QString& text)
{
    auto* e = qobject_cast<QLineEdit*>(w);
    QVERIFY2(e, qPrintable(w ? w->objectName() : S("no field")));
    e->setFocus();
    e->clear();
    for (QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(e, &press);
    }
    QCOMPARE(e->text(), text);
}
}  // namespace

class TestSafetyWindows : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    TDm1 dm;

private Q_SLOTS:
    void initTestCase()
    {
        const QString db = dir.filePath(S("qczl.db"));
        QString error;
        QVERIFY2(createDatabase(db, QDate(2004, 5, 1), &error) && dm.connect(db, &error), qPrintable(error));
        Session::currentOperator().name = S("张三");
        registerFleetWindows();
    }

    void oilChangeRefusesAnAmountBeyondTheRange_data()
    {
        QTest::addColumn<QString>("price");
        QTest::addColumn<QString>("reason");
        QTest::newRow("beyond the type") << S("922337203685478") << S("不是有效的金额");
        QTest::newRow("beyond storage") << S("600000000000000.5") << S("超出金额范围");
    }

    void oilChangeRefusesAnAmountBeyondTheRange()
    {
        QFETCH(QString, price);
        QFETCH(QString, reason);
        dm.q_hyjlb.close();
        dm.q_hyjlb.setSql({S("select * from 换油记录表 "), S("order by 换油时间")});
        dm.q_hyjlb.open();
        RegisterWindow list(TForm_hyjlb::spec(), &dm);
        Modal::Recorder modal;
        Msg::Recorder msgs;
        modal.handler = [&](QDialog* w) {
            auto* d = qobject_cast<RegisterEditDialog*>(w);
            QVERIFY(d);
            auto* plate = qobject_cast<QComboBox*>(d->fieldFor(S("车牌号")));
            plate->setEditText(S("苏A00001"));
            type(d->fieldFor(S("单价")), price);
            type(d->fieldFor(S("数量")), S("1"));
            d->saveButton->click();
            QVERIFY(!msgs.texts().contains(S("存盘完毕！")));
            QVERIFY2(msgs.lastText().contains(reason), qPrintable(msgs.lastText()));
            QCOMPARE(qobject_cast<QLineEdit*>(d->fieldFor(S("单价")))->text(), price);  // the input is kept
            d->cancelButton->click();
            d->closeButton->click();
        };
        list.editButton->click();
        QCOMPARE(modal.classes, QStringList{S("TForm_hyjlb_edit")});
        QSqlQuery q = dm.ADO_qczl.run(S("select count(*) from 换油记录表"));
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toInt(), 0);
    }
};

QTEST_MAIN(TestSafetyWindows)
#include "test_safety_windows.moc"
