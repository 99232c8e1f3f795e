// The export dialog of every list window. Kept apart from the writers so that they stay free of widgets.
#include "ui/records/export/exporttable.h"

#include "data/datamodule.h"
#include "ui/common/messages.h"

bool exportWithDialog(QWidget* parent, SaveDialogSettings& settings, const QString& defaultName, const ExportTable& t)
{
    // The stored filter reads "description|pattern|description|pattern..."; the descriptions already
    // carry their patterns ("Text files (*.txt)").
    const QStringList parts = settings.filter.split(QLatin1Char('|'));
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2)
        filters << parts[i];

    settings.fileName = defaultName;
    FileDialogs::SaveRequest request;
    request.fileName = defaultName;
    request.filters = filters;
    request.filterIndex = settings.filterIndex - 1;
    const FileDialogs::SaveResult chosen = FileDialogs::getSaveFileName(parent, request);
    if (!chosen.accepted || chosen.fileName.isEmpty())
        return false;

    settings.filterIndex = chosen.filterIndex + 1;
    settings.fileName = chosen.fileName;
    const int index = settings.filterIndex;
    if (exportExtensionFor(index).isEmpty())
        return false;
    const QString path = exportFileNameFor(chosen.fileName, index);
    QString error;
    if (!writeExport(t, path, exportFormatFor(path, index), &error)) {
        Msg::error(parent, error);
        return false;
    }
    return true;
}
