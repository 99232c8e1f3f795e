#include "app/shell.h"
#include "app/enterform.h"
#include "app/manualpictures.h"
#include "app/mainform.h"
#include "app/modules.h"
#include "data/database.h"
#include "data/datamodule.h"
#include "data/schema.h"
#include "rental/papers.h"
#include "rental/plannerwindow.h"
#include "ui/common/messages.h"
#include "ui/common/modal.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QLabel>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSqlQuery>
#include <cstdio>
#include <optional>

bool VelApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const DbError& e) {
        Msg::error(QApplication::activeWindow(), e.text());
    }
    return false;
}

namespace Shell {

QString title()
{
    return Msg::appTitle();
}

void setupFonts()
{
    const QString song = QStringLiteral("宋体");
    QFont::insertSubstitutions(song, {QStringLiteral("SimSun"), QStringLiteral("WenQuanYi Micro Hei"),
                                      QStringLiteral("Noto Sans CJK SC"), QStringLiteral("AR PL UMing CN")});
    QFont f(song);
    f.setPixelSize(12);
    QApplication::setFont(f);
}

QImage framed(QWidget* w)
{
    const QPixmap content = w->grab();
    const int bar = 26;
    QImage out(content.width() + 2, content.height() + bar + 1, QImage::Format_RGB32);
    out.fill(QColor(40, 70, 120));
    QPainter p(&out);
    p.drawPixmap(1, bar, content);
    QFont f = QApplication::font();
    f.setPixelSize(13);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRect(10, 0, out.width() - 20, bar), Qt::AlignVCenter | Qt::AlignLeft, w->windowTitle());
    return out;
}

int screenshots(const QString& dir)
{
    const QStringList args = QCoreApplication::arguments();
    const int manualArg = args.indexOf(QStringLiteral("--manual-images"));
    const QString manualDir = manualArg >= 0 && manualArg + 1 < args.size() ? args[manualArg + 1] : QString();
    QDir().mkpath(dir);
    const QDir out(dir);
    bool loginSaved = false;
    bool plannerSaved = false;
    std::optional<ManualPictures> manual;
    if (!manualDir.isEmpty())
        manual.emplace(manualDir);
    // Saved here and, for the manual, in its folder too.
    const auto save = [&](const QImage& picture, const QString& name) {
        if (manual)
            manual->save(picture, name);
        return picture.save(out.filePath(name + QStringLiteral(".png")));
    };
    Modal::Recorder modal;
    modal.handler = [&](QDialog* d) {
        if (manual && manual->handle(d))
            return;
        if (auto* planner = qobject_cast<PlannerWindow*>(d)) {
            planner->resize(1280, 720);
            QApplication::processEvents();
            plannerSaved = save(framed(planner), QStringLiteral("planner"));
            planner->reject();
            return;
        }
        auto* login = qobject_cast<TForm_Enter*>(d);
        if (!login) {
            d->reject();
            return;
        }
        auto* names = login->findChild<QComboBox*>(QStringLiteral("DBLookupComboBox1"));
        const int idx = names->findText(Schema::defaultOperatorName());
        QApplication::processEvents();
        loginSaved = save(framed(login), QStringLiteral("login"));
        names->setCurrentIndex(idx);
        login->findChild<QLineEdit*>(QStringLiteral("Edit1"))->clear();
        login->findChild<QPushButton*>(QStringLiteral("bitbtn_ok"))->click();
    };

    TForm_main w;
    registerModules(&w);
    TDm1 dm;
    w.setDm(&dm);
    w.resize(1024, 700);
    w.show();
    w.FormActivate();
    if (!w.loggedIn()) {
        std::fprintf(stderr, "login failed\n");
        return 1;
    }
    // Let the text scroll into a readable place before taking the picture.
    w.scrollingText()->move(20, w.scrollingText()->y());
    QApplication::processEvents();
    const bool mainSaved = save(framed(&w), QStringLiteral("main"));
    // The planner, through its command as the clerk opens it, on an office with vehicles (the demo's).
    const bool withVehicles = dm.ADO_qczl.run(QStringLiteral("select 车牌号 from 汽车档案")).next();
    if (withVehicles)
        w.runCommand(QStringLiteral("N58"));
    // The three papers of one contract that went the whole way (dispatch and return sheets, settled).
    QStringList papers;
    QSqlQuery whole = dm.ADO_qczl.runNative(
        QStringLiteral("SELECT c.内部编号 FROM 汽车租赁登记表 c WHERE c.帐款结清 = 1 AND "
                       "(SELECT count(*) FROM 车况检查 s WHERE s.内部编号 = c.内部编号) = 2 ORDER BY c.内部编号 DESC"));
    if (whole.next()) {
        const QString number = whole.value(0).toString();
        const std::pair<const PaperKind*, const char*> wanted[] = {{&Papers::agreement(), "agreement"},
                                                                   {&Papers::handoverSheet(), "handover"},
                                                                   {&Papers::receipt(), "receipt"}};
        for (const auto& [kind, name] : wanted) {
            QString error;
            const QString pdf = out.filePath(QLatin1String(name) + QStringLiteral(".pdf"));
            if (!Papers::writePdf(dm.ADO_qczl, *kind, number, pdf, &error)) {
                std::fprintf(stderr, "%s: %s\n", qPrintable(pdf), qPrintable(error));
                return 1;
            }
            papers << QFileInfo(pdf).fileName();
        }
    }
    // The manual's windows; a message they raise is answered with its default button, not shown.
    if (manual && withVehicles) {
        Msg::Recorder messages;
        if (!manual->take(w)) {
            std::fprintf(stderr, "manual pictures not taken: %s\n", qPrintable(manual->problems().join(QStringLiteral(", "))));
            for (const QString& text : messages.texts())
                std::fprintf(stderr, "  message: %s\n", qPrintable(text));
            return 1;
        }
    }
    w.close();
    if (!loginSaved || !mainSaved) {
        std::fprintf(stderr, "could not write the pictures to %s\n", qPrintable(dir));
        return 1;
    }
    if (withVehicles && !plannerSaved) {
        std::fprintf(stderr, "could not write the planner's picture to %s\n", qPrintable(dir));
        return 1;
    }
    std::printf("saved %s and %s%s%s\n", qPrintable(out.filePath(QStringLiteral("login.png"))),
                qPrintable(out.filePath(QStringLiteral("main.png"))), plannerSaved ? " and planner.png" : "",
                papers.isEmpty() ? "" : qPrintable(QStringLiteral(" and ") + papers.join(QStringLiteral(", "))));
    if (manual)
        std::printf("saved %s into %s\n", qPrintable(manual->saved().join(QStringLiteral(", "))), qPrintable(manualDir));
    return 0;
}

}  // namespace Shell
