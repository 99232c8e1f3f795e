#include "data/creation.h"
#include "core/dates.h"
#include "core/password.h"
#include "data/database.h"
#include "data/pgbackend.h"
#include "data/schema.h"
#include "data/sqlitefile.h"
#include "data/versions.h"

#include <QFile>

namespace {
void seed(Database& db, const QDate& today)
{
    const QString now = Dates::toStorage(QDateTime(today, QTime(0, 0)));
    const QString op = Schema::defaultOperatorName();
    // The empty password is kept as its digest, like every password.
    db.execute(QStringLiteral("insert into 权限表 (姓名, 操作口令, 输入法, 系统维护权, 日常业务权, 其他业务权, 统计分析权, "
                              "财务管理权, 备注, 操作员, 操作日期) values (?, ?, '', 1, 1, 1, 1, 1, ?, ?, ?)"),
               {op, Password::hash(QString()), QStringLiteral("初始操作员，口令为空"), op, now});
    db.execute(QStringLiteral("insert into 公司信息 (公司名称, 公司地址, 邮政编码, 联系人, 联系电话, 系统标题, 动态文字, 自动提醒) "
                              "values (?, '', '', '', '', ?, ?, 0)"),
               {QStringLiteral("汽车租赁公司"), QStringLiteral("汽车租赁管理系统"), QStringLiteral("欢迎使用汽车租赁管理系统！")});
    db.execute(QStringLiteral("insert into 关帐日期 (关帐日期) values (?)"), {Dates::toStorage(today)});
    // Lead times: days before each expiry, kilometres before the next service, days before a rental ends.
    const QList<int> leads{30, 30, 15, 30, 500, 1};
    const QStringList items = Schema::defaultReminderItems();
    for (int i = 0; i < items.size(); ++i)
        db.execute(QStringLiteral("insert into 提醒功能初始表 (序号, 项目, 期限, 操作员) values (?, ?, ?, ?)"),
                   {i + 1, items[i], leads[i], op});
    db.execute(QStringLiteral("insert into 摘要 (代码, 摘要, 属性, 操作员, 操作日期) values ('01', '租赁收入', '增加', ?, ?)"),
               {op, now});
    db.execute(QStringLiteral("insert into 摘要 (代码, 摘要, 属性, 操作员, 操作日期) values ('02', '费用支出', '减少', ?, ?)"),
               {op, now});
    for (const TableDef* t : Versions::carriedTables())
        Versions::seedTable(db, t->name);
}
}  // namespace

void discardNewTables(Database& db)
{
    try {
        for (const auto& t : Schema::tables())
            db.runNative(QStringLiteral("DROP TABLE IF EXISTS \"%1\"").arg(t.name));
        for (const auto& t : Versions::ownTables())
            db.runNative(QStringLiteral("DROP TABLE IF EXISTS \"%1\"").arg(t.name));
    } catch (const DbError& e) {
        qCWarning(lcData) << "tables of a failed creation left behind:" << e.text();
    }
    db.close();
}

void discardNewDatabase(Database& db, const QString& location)
{
    if (PgLocation::isServer(location)) {
        discardNewTables(db);
        return;
    }
    db.close();
    QFile::remove(location);
    for (const QString& companion : SqliteFile::companions(location))
        QFile::remove(companion);
}

bool createDatabase(const QString& location, const QDate& today, QString* error)
{
    Database db;
    if (!db.create(location, error))
        return false;
    try {
        Transaction tx(db);
        seed(db, today);
        tx.commit();
    } catch (const DbError& e) {
        if (error)
            *error = e.text();
        // Tables without their default rows are no database to start with.
        discardNewDatabase(db, location);
        return false;
    }
    db.close();
    return true;
}
