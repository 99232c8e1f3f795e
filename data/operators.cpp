#include "data/operators.h"
#include "core/password.h"
#include "data/columns.h"
#include "data/database.h"
#include "data/schema.h"

#include <QSqlQuery>

namespace Operators {

QStringList names(Database& db)
{
    QSqlQuery q = db.runNative(QStringLiteral("select 姓名 from 权限表 order by 姓名, ") + Schema::KeyColumn);
    QStringList out;
    while (q.next())
        out << q.value(0).toString();
    return out;
}

Login login(Database& db, const QString& name, const QString& typed, Operator* op)
{
    const QString key = Schema::KeyColumn;
    QSqlQuery q = db.runNative(QStringLiteral("select ") + key
                                   + QStringLiteral(
                                       ", 操作口令, 姓名, 输入法, 系统维护权, 日常业务权, 其他业务权, 统计分析权, 财务管理权 "
                                       "from 权限表 where ")
                                   + db.backend().sameValue(Col::姓名) + QStringLiteral(" order by ") + key
                                   + QStringLiteral(" limit 1"),
                               {name});
    if (!q.next())
        return Login::WrongPassword;
    const QVariant stored = q.value(1);
    const QString password = stored.toString();
    if (!Password::matches(password, typed))
        return Login::WrongPassword;
    op->name = q.value(2).toString();
    op->inputMethod = q.value(3).toString();
    op->系统维护权 = q.value(4).toLongLong() != 0;
    op->日常业务权 = q.value(5).toLongLong() != 0;
    op->其他业务权 = q.value(6).toLongLong() != 0;
    op->统计分析权 = q.value(7).toLongLong() != 0;
    op->财务管理权 = q.value(8).toLongLong() != 0;
    if (Password::needsUpgrade(password)) {
        const qint64 row = q.value(0).toLongLong();
        q.finish();
        // Clear text or a digest weaker than today's. Upgraded only if nobody changed the password
        // meanwhile; a failure leaves the old value for the next login and does not keep the
        // operator out.
        const QString digest = Password::hash(typed);  // slow: taken before the write lock
        try {
            Transaction tx(db);
            db.runNative(QStringLiteral("update 权限表 set 操作口令 = ? where ") + key + QStringLiteral(" = ? and ")
                             + db.backend().sameValue(Col::操作口令),
                         {digest, row, stored});
            tx.commit();
        } catch (const DbError& e) {
            qCWarning(lcData) << "stored password not upgraded:" << e.text();
        }
    }
    return Login::Ok;
}

}  // namespace Operators
