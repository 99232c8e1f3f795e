// Qt's own button and dialog texts in Chinese once the catalogue is installed.
#include "ui/common/translations.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QLibraryInfo>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

class TestTranslations : public QObject {
    Q_OBJECT

    static QString yes() { return QCoreApplication::translate("QPlatformTheme", "&Yes"); }

private Q_SLOTS:
    void missingCatalogueChangesNothing()
    {
        QTemporaryDir empty;
        QVERIFY(!Translations::installQtChinese(empty.path()));
        QCOMPARE(yes(), QStringLiteral("&Yes"));
    }

    void standardTextsInChinese()
    {
        const QString dir = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
        if (!QFile::exists(dir + QStringLiteral("/qtbase_zh_CN.qm")))
            QSKIP("qt6-translations-l10n is not installed (scripts/deps.sh installs it)");
        QVERIFY(Translations::installQtChinese());
        QVERIFY(yes().contains(QStringLiteral("是")));
        QVERIFY(QCoreApplication::translate("QPlatformTheme", "Cancel").contains(QStringLiteral("取消")));
        // What a message box really shows.
        QDialogButtonBox box(QDialogButtonBox::Yes | QDialogButtonBox::No);
        QVERIFY(box.button(QDialogButtonBox::No)->text().contains(QStringLiteral("否")));
        // A later failed attempt keeps the catalogue installed.
        QTemporaryDir empty;
        QVERIFY(!Translations::installQtChinese(empty.path()));
        QVERIFY(yes().contains(QStringLiteral("是")));
    }
};

QTEST_MAIN(TestTranslations)
#include "test_translations.moc"
