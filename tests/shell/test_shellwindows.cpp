// Help window, about box and picture viewer.
#include "ui/common/modal.h"
#include "ui/common/windowregistry.h"
#include "ui/shell/about.h"
#include "ui/shell/help.h"
#include "ui/shell/xstp.h"

#include <QAction>
#include <QDialog>
#include <QImage>
#include <QLabel>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

class TestShellWindows : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void helpShowsTheCallersLinesAfterTheEmptyLine()
    {
        const QStringList hints{QStringLiteral("1.查询内容是与的关系;"), QStringLiteral("2.日期从(到)正确的输入是:2001-7-6;"),
                                QStringLiteral("3.查询内容是包含查询。")};
        Modal::Recorder modal;
        QString text;
        QStringList lines;
        modal.handler = [&](QDialog* d) {
            auto* help = qobject_cast<TForm_help*>(d);
            QVERIFY(help);
            text = help->linesEdit->toPlainText();
            lines = help->lines();
            QVERIFY(help->linesEdit->isReadOnly());
        };
        showHelpLines(nullptr, hints);
        QCOMPARE(modal.captions, QStringList{QStringLiteral("帮助窗口")});
        QCOMPARE(text, QStringLiteral("\n") + hints.join(QLatin1Char('\n')));
        QCOMPARE(lines, hints);
    }

    void helpClosesFromItsButtonAndItsMenuOnly()
    {
        TForm_help help;
        QCOMPARE(help.size(), QSize(354, 426));
        QVERIFY(help.lines().isEmpty());
        for (const char* name : {"SpeedButton2", "SpeedButton3", "SpeedButton4", "SpeedButton5"})
            QVERIFY(!help.findChild<QPushButton*>(QString::fromLatin1(name))->isEnabled());
        QCOMPARE(help.findChild<QPushButton*>(QStringLiteral("SpeedButton2"))->text(), QStringLiteral("目录"));

        help.show();
        help.returnButton->click();
        QVERIFY(!help.isVisible());

        help.show();
        QAction* print = nullptr;
        QAction* back = help.findChild<QAction*>(QStringLiteral("N5"));
        for (QAction* a : help.findChild<QMenuBar*>()->actions().first()->menu()->actions())
            if (a->text() == QStringLiteral("打印"))
                print = a;
        QVERIFY(print && back);
        print->trigger();  // no action
        QVERIFY(help.isVisible());
        back->trigger();
        QVERIFY(!help.isVisible());
    }

    void aboutBox()
    {
        Tform_About about;
        QCOMPARE(about.windowTitle(), QStringLiteral("关于本系统"));
        QCOMPARE(about.size(), QSize(405, 259));
        QCOMPARE(about.Comments->text(), QStringLiteral("更新时间  2004年11月"));
        QCOMPARE(about.ProgramIcon->width(), 120);
        QVERIFY(!about.ProgramIcon->pixmap().isNull());
        QCOMPARE(about.OKButton->text(), QStringLiteral("返回"));
        about.show();
        about.OKButton->click();
        QVERIFY(!about.isVisible());

        // 关于... of the main window finds it by its class name.
        WindowRegistry::clear();
        registerShellWindows();
        QDialog* d = WindowRegistry::find(QStringLiteral("Tform_About"))(nullptr, nullptr);
        QVERIFY(qobject_cast<Tform_About*>(d));
        delete d;
    }

    void viewerShowsThePictureCentredAtItsOwnSize()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("粤A12345.jpg"));
        QImage img(60, 40, QImage::Format_RGB32);
        img.fill(Qt::red);
        QVERIFY(img.save(file, "JPG"));

        TForm_xstp viewer;
        QCOMPARE(viewer.windowTitle(), QStringLiteral("显示图片"));
        QVERIFY(viewer.windowState() & Qt::WindowMaximized);
        QVERIFY(viewer.windowFlags() & Qt::WindowMaximizeButtonHint);
        QVERIFY(!viewer.loadPicture(dir.filePath(QStringLiteral("missing.jpg"))));
        // photos are JPEG files; anything else is refused like a damaged file
        QVERIFY(img.save(dir.filePath(QStringLiteral("plain.png"))));
        QVERIFY(!viewer.loadPicture(dir.filePath(QStringLiteral("plain.png"))));
        QVERIFY(viewer.loadPicture(file));
        viewer.show();
        QCoreApplication::processEvents();
        const QRect r = viewer.Image1->pictureRect();
        QCOMPARE(r.size(), QSize(60, 40));
        QVERIFY(qAbs(r.center().x() - viewer.Image1->rect().center().x()) <= 1);
        QVERIFY(qAbs(r.center().y() - viewer.Image1->rect().center().y()) <= 1);
        QVERIFY(viewer.Image1->width() > 60);  // the area fills the window, the picture is not stretched

        QTest::mouseDClick(viewer.Image1, Qt::LeftButton, {}, r.center());
        QVERIFY(!viewer.isVisible());
    }

    void viewerClosesFromItsCloseBox()
    {
        TForm_xstp viewer;
        viewer.show();
        QVERIFY(viewer.close());
        QVERIFY(!viewer.isVisible());
    }
};

QTEST_MAIN(TestShellWindows)
#include "test_shellwindows.moc"
