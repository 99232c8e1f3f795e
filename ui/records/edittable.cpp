// The edit-dialog rows modules have registered.
#include "ui/records/configregistry.h"
#include "ui/records/editdialog.h"

const QVector<EditDialogConfig>& editDialogTable()
{
    return ConfigRegistry<EditDialogConfig>::instance().rows();
}

const EditDialogConfig* editDialogConfig(const QString& className)
{
    return ConfigRegistry<EditDialogConfig>::instance().find(className);
}

void addEditDialogConfigs(const QVector<EditDialogConfig>& rows)
{
    ConfigRegistry<EditDialogConfig>::instance().add(rows);
}
