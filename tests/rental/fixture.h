#pragma once
// What the rental window tests share: a database in a temporary working folder (a server database
// named in data/connection.ini in a server run) with a few vehicles, customers and a handler, a
// frozen clock, and typing into fields as the clerk does.
#include "core/clock.h"
#include "core/session.h"
#include "data/creation.h"
#include "data/datamodule.h"
#include "data/settings.h"
#include "rental/rental.h"
#include "tests/common/dbhelpers.h"
#include "tests/common/typing.h"
#include "tests/pg/serverdb.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

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
        SERVERDB_SKIP_WITHOUT_SERVER();
        QVERIFY(!ServerDb::workingFolderDatabase(dir.path()).isEmpty());
        QString err;
        QVERIFY2(createDatabase(Paths::databaseFile(), QDate(2004, 5, 1), &err), qPrintable(err));
        QVERIFY2(dm.connect(Paths::databaseFile(), &err), qPrintable(err));
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

    void open(RecordSet& q, const QStringList& sql) { reopen(q, sql); }
    void exec(const QString& sql, const QVariantList& args = {}) { dm.ADO_qczl.execute(sql, args); }
    QVariant scalar(const QString& sql) { return scalarOf(dm, sql); }
    // The rows of a statement as text, the same on both engines (columns "/", rows ",").
    QString row(const QString& sql, const QString& null = {}) { return ServerDb::rowsText(dm.ADO_qczl, sql, null); }
    // 车辆状态/客户姓名/租赁时间/开始生效 of a vehicle.
    QString vehicle(const QString& plate)
    {
        return row(QStringLiteral("select 车辆状态, 客户姓名, 租赁时间, 开始生效 from 汽车档案 where 车牌号='") + plate
                   + QStringLiteral("'"));
    }
};
