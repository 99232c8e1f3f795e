#include "ui/records/windowtable.h"
#include "ui/records/configregistry.h"

QString defaultCaption(ListButton kind)
{
    switch (kind) {
    case ListButton::Edit:
        return QStringLiteral("编辑");
    case ListButton::Delete:
        return QStringLiteral("删除");
    case ListButton::Print:
        return QStringLiteral("打印");
    case ListButton::Export:
        return QStringLiteral("导出");
    case ListButton::Return:
        return QStringLiteral("返回");
    case ListButton::Query:
        return QStringLiteral("查询");
    case ListButton::Module:
        break;
    }
    return {};
}

bool ListWindowConfig::has(ListButton kind) const
{
    for (const ButtonDef& b : buttons)
        if (b.kind == kind)
            return true;
    return false;
}

QString ListWindowConfig::captionOf(ListButton kind) const
{
    for (const ButtonDef& b : buttons)
        if (b.kind == kind)
            return b.caption.isEmpty() ? defaultCaption(kind) : b.caption;
    return defaultCaption(kind);
}

QStringList ListWindowConfig::moduleButtons() const
{
    QStringList out;
    for (const ButtonDef& b : buttons)
        if (b.kind == ListButton::Module)
            out << b.caption;
    return out;
}

const QVector<ListWindowConfig>& listWindowTable()
{
    return ConfigRegistry<ListWindowConfig>::instance().rows();
}

const ListWindowConfig* listWindowConfig(const QString& className)
{
    return ConfigRegistry<ListWindowConfig>::instance().find(className);
}

void addListWindowConfigs(const QVector<ListWindowConfig>& rows)
{
    ConfigRegistry<ListWindowConfig>::instance().add(rows);
}
