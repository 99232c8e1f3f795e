#pragma once
// What the rental window tests share: a database in a temporary working folder with a few vehicles,
// customers and a handler, a frozen clock, and typing into fields as the clerk does.
#include "core/clock.h"
#include "core/session.h"
#include "data/creation.h"
#include "data/datamodule.h"
#include "data/settings.h"
#include "rental/rental.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>

// Types into a field as the clerk does (key events carrying the text, Chinese too).
inline void type(QWidget* w, const QString& text)
{
    if (auto* c = qobject_cast<QComboBox*>(w)) {
        c->setEditText(text);
        return;
    }
    if (auto* m = qobject_cast<QPlainTextEdit*>(w)) {
        m->setFocus();
        m->selectAll();
        for (QChar c : text) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(m, &press);
        }
        return;
    }
    auto* e = qobject_cast<QLineEdit*>(w);
    QVERIFY2(e, qPrintable(w ? w->objectName() : QStringLiteral("no field")));
    e->setFocus();
    e->selectAll();
    if (!e->text().trimmed().isEmpty() || !e->inputMask().isEmpty())
        QTest::keyClick(e, Qt::Key_Delete);
    e->home(false);
    for (QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(e, &press);
    }
}

inline QString text(QWidget* w)
{
    if (auto* c = qobject_cast<QComboBox*>(w))
        return c->currentText();
    if (auto* e = qobject_cast<QLineEdit*>(w))
        return e->text();
    if (auto* m = qobject_cast<QPlainTextEdit*>(w))
        return m->toPlainText();
    return {};
}

class RentalFixture : public QObject {
protected:
    QTemporaryDir dir;
    TDm1 dm;
    QString oldCwd;

    void setUp()
    {
        oldCwd = QDir::currentPath();
        QDir::setCurrent(dir.path());
        QDir(dir.path()).mkpath(QStringLiteral("data"));
        QDir(dir.path()).mkpath(QStringLiteral("jpg"));
        Clock::setFixed(QDateTime(QDate(2004, 5, 1), QTime(9, 30)));
        Session::currentOperator().name = QStringLiteral("张三");
        registerRentalWindows();
        QVERIFY(createDatabase(Paths::databaseFile(), QDate(2004, 5, 1)));
        QVERIFY(dm.connect(Paths::databaseFile()));
        exec(QStringLiteral("insert into 汽车档案 (车牌号, 车辆状态, 停用) values ('苏A00001', '空闲', 0), "
                            "('苏A00002', '空闲', 0), ('苏B99999', '空闲', 1)"));
        exec(QStringLiteral("insert into 客户登记表 (客户号, 客户姓名, 联系电话, 停用) values "
                            "('K001', '王一', '111', 0), ('K002', '王二', '222', 0), ('K100', '李停', '333', 1), "
                            "('X9', 'O''Brien', '999', 0)"));
        exec(QStringLiteral("insert into 经办人信息 (经办人姓名) values ('老周')"));
    }

    void tearDown()
    {
        dm.disconnect();
        QDir::setCurrent(oldCwd);
        Clock::setSource({});
    }

    void open(RecordSet& q, const QStringList& sql)
    {
        q.close();
        q.setSql(sql);
        q.open();
    }
    void exec(const QString& sql, const QVariantList& args = {}) { dm.ADO_qczl.execute(sql, args); }
    QVariant scalar(const QString& sql)
    {
        RecordSet& s = dm.q_change;
        s.close();
        s.setSql({sql});
        s.open();
        const QVariant v = s.isEmpty() ? QVariant() : s.value(s.fields().first().name);
        s.close();
        return v;
    }
    // 车辆状态/客户姓名/租赁时间/开始生效 of a vehicle.
    QString vehicle(const QString& plate)
    {
        return scalar(QStringLiteral("select coalesce(车辆状态,'') || '/' || coalesce(客户姓名,'') || '/' || "
                                     "coalesce(租赁时间,'') || '/' || 开始生效 from 汽车档案 where 车牌号='")
                      + plate + QStringLiteral("'"))
            .toString();
    }
};
