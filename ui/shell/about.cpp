#include "ui/shell/about.h"
#include "data/datamodule.h"
#include "data/pgbackend.h"
#include "ui/common/windowregistry.h"

#include <QDir>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

QPixmap Tform_About::picture(int width, int height)
{
    QPixmap pm(width, height);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, height);
    sky.setColorAt(0, QColor(0x1f, 0x4e, 0x8c));
    sky.setColorAt(0.65, QColor(0x8c, 0xc4, 0xe8));
    sky.setColorAt(0.66, QColor(0x55, 0x55, 0x55));
    sky.setColorAt(1, QColor(0x33, 0x33, 0x33));
    p.fillRect(pm.rect(), sky);
    // Road marks.
    p.setPen(QPen(Qt::white, 2, Qt::DashLine));
    p.drawLine(0, int(height * 0.83), width, int(height * 0.83));
    // A small car on the road.
    const qreal base = height * 0.78, w = width * 0.8, x = (width - w) / 2;
    QPainterPath body;
    body.moveTo(x, base);
    body.lineTo(x, base - w * 0.18);
    body.lineTo(x + w * 0.22, base - w * 0.2);
    body.lineTo(x + w * 0.35, base - w * 0.36);
    body.lineTo(x + w * 0.7, base - w * 0.36);
    body.lineTo(x + w * 0.82, base - w * 0.2);
    body.lineTo(x + w, base - w * 0.16);
    body.lineTo(x + w, base);
    body.closeSubpath();
    p.setPen(QPen(QColor(0x60, 0, 0), 1.5));
    p.setBrush(QColor(0xd0, 0x20, 0x20));
    p.drawPath(body);
    p.setBrush(QColor(0xcf, 0xe8, 0xf7));
    p.drawRect(QRectF(x + w * 0.38, base - w * 0.33, w * 0.14, w * 0.12));
    p.drawRect(QRectF(x + w * 0.55, base - w * 0.33, w * 0.13, w * 0.12));
    p.setBrush(QColor(0x20, 0x20, 0x20));
    for (qreal cx : {x + w * 0.22, x + w * 0.78})
        p.drawEllipse(QPointF(cx, base), w * 0.09, w * 0.09);
    // Name of the product across the sky.
    p.setPen(Qt::white);
    QFont f = p.font();
    f.setBold(true);
    f.setPixelSize(18);
    p.setFont(f);
    p.drawText(QRect(0, int(height * 0.12), width, 30), Qt::AlignCenter, QStringLiteral("Velmira"));
    f.setPixelSize(13);
    p.setFont(f);
    p.drawText(QRect(0, int(height * 0.12) + 28, width, 24), Qt::AlignCenter, QStringLiteral("汽车租赁"));
    return pm;
}

Tform_About::Tform_About(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("form_About"));
    setWindowTitle(QStringLiteral("关于本系统"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(405, 259);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(0, 128, 128));  // teal
    setPalette(pal);

    ProgramIcon = new QLabel(this);
    ProgramIcon->setObjectName(QStringLiteral("ProgramIcon"));
    ProgramIcon->setFixedWidth(120);
    ProgramIcon->setPixmap(picture(120, 243));

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setLineWidth(2);
    panel->setAutoFillBackground(true);
    QPalette pp = panel->palette();
    pp.setColor(QPalette::Window, QColor(0xc0, 0xc0, 0xc0));
    pp.setColor(QPalette::WindowText, Qt::black);
    panel->setPalette(pp);

    auto label = [panel](const char* name, const QString& text) {
        auto* l = new QLabel(text, panel);
        l->setObjectName(QString::fromLatin1(name));
        return l;
    };
    auto rule = [panel] {
        auto* r = new QFrame(panel);
        r->setFrameStyle(QFrame::HLine | QFrame::Sunken);
        return r;
    };
    ProductName = label("ProductName", QStringLiteral("Velmira汽车租赁管理系统  V1.0"));
    QFont big = ProductName->font();
    big.setBold(true);
    big.setPixelSize(15);
    ProductName->setFont(big);
    Version = label("Version", QStringLiteral("Velmira™ 是 Velmira软件工作室的商标"));
    Copyright = label("Copyright", QStringLiteral("版权所有 (C) Velmira软件工作室"));
    Comments = label("Comments", QStringLiteral("更新时间  2004年11月"));

    OKButton = new QPushButton(QStringLiteral("返回"), panel);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);

    auto* v = new QVBoxLayout(panel);
    v->setSpacing(3);
    v->addWidget(ProductName);
    v->addWidget(Version);
    v->addWidget(Copyright);
    v->addWidget(Comments);
    v->addWidget(rule());
    v->addWidget(label("Label1", QStringLiteral("联系人：林  然")));
    v->addWidget(label("Label2", QStringLiteral("电  话：(010) 5555-0168")));
    v->addWidget(label("Label3", QStringLiteral("E-mail：support@velmira.example")));
    v->addWidget(label("Label4", QStringLiteral("网  址：www.velmira.example")));
    v->addWidget(rule());
    Database = label("Database", QString());
    Database->hide();
    v->addWidget(Database);
    v->addWidget(OKButton, 0, Qt::AlignCenter);

    auto* h = new QHBoxLayout(this);
    h->setContentsMargins(8, 8, 8, 8);
    h->addWidget(ProgramIcon);
    h->addWidget(panel, 1);
}

void Tform_About::showDatabase(const QString& location)
{
    const QString shown = PgLocation::isServer(location) ? PgLocation::display(location) : QDir::toNativeSeparators(location);
    const QString text = QStringLiteral("数据库：") + shown;
    // A long path keeps both ends: the folder it starts in and the file's name.
    Database->setText(Database->fontMetrics().elidedText(text, Qt::ElideMiddle, 250));
    Database->setToolTip(shown);
    if (Database->isHidden()) {
        Database->show();
        setFixedSize(width(), height() + Database->sizeHint().height() + 3);
    }
}

void registerShellWindows()
{
    WindowRegistry::add(Tform_About::staticMetaObject, [](QWidget* owner, TDm1* dm) {
        auto* about = new Tform_About(owner);
        if (dm && dm->ADO_qczl.isOpen())
            about->showDatabase(dm->ADO_qczl.location());
        return about;
    });
}
