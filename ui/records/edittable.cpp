// The edit-dialog rows modules have registered.
#include "ui/records/editdialog.h"

namespace {
QVector<EditDialogConfig>& rows()
{
    static QVector<EditDialogConfig> t;
    return t;
}
} // namespace

const QVector<EditDialogConfig>& editDialogTable()
{
    return rows();
}

const EditDialogConfig* editDialogConfig(const QString& className)
{
    for (const auto& s : rows())
        if (s.className == className)
            return &s;
    return nullptr;
}

void addEditDialogConfigs(const QVector<EditDialogConfig>& add)
{
    for (const EditDialogConfig& r : add) {
        auto it = std::find_if(rows().begin(), rows().end(), [&](const EditDialogConfig& s) { return s.className == r.className; });
        if (it != rows().end())
            *it = r;
        else
            rows() << r;
    }
}
