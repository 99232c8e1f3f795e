// The query-dialog rows modules have registered.
#include "ui/records/configregistry.h"
#include "ui/records/querydialog.h"

const QVector<QueryDialogConfig>& queryDialogTable()
{
    return ConfigRegistry<QueryDialogConfig>::instance().rows();
}

const QueryDialogConfig* queryDialogConfig(const QString& className)
{
    return ConfigRegistry<QueryDialogConfig>::instance().find(className);
}

void addQueryDialogConfigs(const QVector<QueryDialogConfig>& rows)
{
    ConfigRegistry<QueryDialogConfig>::instance().add(rows);
}

QString rangeInputError(const QString& name)
{
    return name + QStringLiteral("输入错误,请重新输入!");
}

QString rangeOrderError(const QString& name)
{
    return name + QStringLiteral("从大于") + name + QStringLiteral("到,请重新输入!");
}

QStringList queryHelpLines(const QString& second)
{
    return {QStringLiteral("1.查询内容是与的关系;"), second,
            QStringLiteral("3.查询内容是包含查询,如内部编号输入2001,则查询结果是包含2001的记录。")};
}
