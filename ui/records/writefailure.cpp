#include "ui/records/writefailure.h"
#include "data/database.h"
#include "ui/common/messages.h"

QString writeFailureText(const DbError& e, WriteAction action)
{
    switch (e.kind()) {
    case DbError::Kind::Conflict:
        return action == WriteAction::Save ? QStringLiteral("该记录已被其他用户修改或删除,请关闭窗口后重新打开!")
                                           : QStringLiteral("该记录已被其他用户修改,请关闭窗口后重新打开!");
    case DbError::Kind::Busy:
        return action == WriteAction::Save ? QStringLiteral("数据库正忙(其他用户正在存盘),请稍候再按存盘!")
                                           : QStringLiteral("数据库正忙(其他用户正在存盘),请稍候再删除!");
    case DbError::Kind::Stale:
        return e.text();
    case DbError::Kind::Engine:
        break;
    }
    return (action == WriteAction::Save ? QStringLiteral("存盘没有成功:") : QStringLiteral("删除没有成功:")) + e.text();
}

void reportWriteFailure(QWidget* parent, const DbError& e, WriteAction action)
{
    qCWarning(lcData, "%s", qPrintable(e.text()));
    Msg::warn(parent, writeFailureText(e, action));
}
