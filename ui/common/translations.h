#pragma once
// Qt's own texts (Yes/No and OK buttons, file, print and preview dialogs) in Chinese, to match the
// rest of the program whatever the desktop's language.
#include <QString>

namespace Translations {

// Installs Qt's Chinese catalogue from `folder` (Qt's translations folder when empty). Returns false,
// leaving the texts as they were, where the catalogue is missing. Calling again replaces the earlier one.
bool installQtChinese(const QString& folder = QString());

}  // namespace Translations
