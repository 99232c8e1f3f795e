// The query-dialog rows modules have registered.
#include "ui/records/querydialog.h"

namespace {
QVector<QueryDialogConfig>& rows()
{
    static QVector<QueryDialogConfig> t;
    return t;
}
} // namespace

const QVector<QueryDialogConfig>& queryDialogTable()
{
    return rows();
}

const QueryDialogConfig* queryDialogConfig(const QString& className)
{
    for (const auto& s : rows())
        if (s.className == className)
            return &s;
    return nullptr;
}

void addQueryDialogConfigs(const QVector<QueryDialogConfig>& add)
{
    for (const QueryDialogConfig& r : add) {
        auto it = std::find_if(rows().begin(), rows().end(), [&](const QueryDialogConfig& s) { return s.className == r.className; });
        if (it != rows().end())
            *it = r;
        else
            rows() << r;
    }
}

QString rangeInputError(const QString& name)
{
    return name + QStringLiteral("输入错误,请重新输入!");
}

QString rangeOrderError(const QString& name)
{
    return name + QStringLiteral("从大于") + name + QStringLiteral("到,请重新输入!");
}
