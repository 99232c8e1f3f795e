#include "ui/common/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QPointer>
#include <QTranslator>

namespace Translations {

bool installQtChinese(const QString& folder)
{
    static QPointer<QTranslator> installed;
    const QString dir = folder.isEmpty() ? QLibraryInfo::path(QLibraryInfo::TranslationsPath) : folder;
    // qtbase holds every text the program can show (widgets, dialogs, print support); the "qt"
    // catalogue would also pull in modules the program does not use and fail where they are absent.
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(QStringLiteral("qtbase_zh_CN"), dir)) {
        delete translator;
        return false;
    }
    if (installed) {
        QCoreApplication::removeTranslator(installed);
        delete installed;
    }
    QCoreApplication::installTranslator(translator);
    installed = translator;
    return true;
}

}  // namespace Translations
