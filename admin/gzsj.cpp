#include "admin/gzsj.h"
#include "core/clock.h"
#include "core/session.h"
#include "data/datamodule.h"
#include "ui/common/messages.h"
#include "ui/shell/enterkeys.h"

#include <QDateEdit>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace {
const QString kColumn = QStringLiteral("关帐日期");
}

TForm_gzsj::TForm_gzsj(QWidget* owner, TDm1* dm) : QDialog(owner), m_dm(dm)
{
    setObjectName(QStringLiteral("Form_gzsj"));
    setWindowTitle(QStringLiteral("结算时间设置"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);

    auto* note = new QLabel(QStringLiteral("提示：当前结算时间主要用在现金日记帐中，即用户是针对哪个月进行结算！"), this);
    note->setObjectName(QStringLiteral("Label2"));
    note->setWordWrap(true);
    note->setMinimumWidth(300);

    DBDateEdit1 = new QDateEdit(this);
    DBDateEdit1->setObjectName(QStringLiteral("DBDateEdit1"));
    DBDateEdit1->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    DBDateEdit1->setCalendarPopup(true);
    DBDateEdit1->setMinimumDate(QDate(1899, 12, 30));

    saveButton = new QPushButton(QStringLiteral("保存 (&S)"), this);
    saveButton->setObjectName(QStringLiteral("bitbtn_ok"));
    closeButton = new QPushButton(QStringLiteral("返回 (&R)"), this);
    closeButton->setObjectName(QStringLiteral("bitbtn_close"));
    for (QPushButton* b : {saveButton, closeButton})
        b->setAutoDefault(false);
    connect(saveButton, &QPushButton::clicked, this, &TForm_gzsj::save);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::reject);
    EnterKeys::click(DBDateEdit1, saveButton);

    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("当前结算时间："), this));
    row->addWidget(DBDateEdit1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(saveButton);
    buttons->addWidget(closeButton);
    auto* outer = new QVBoxLayout(this);
    outer->addWidget(note);
    outer->addLayout(row);
    outer->addLayout(buttons);
    outer->setSizeConstraint(QLayout::SetFixedSize);

    // The command opens q_gzsj after creating the window; show the date whenever it is (re)read.
    connect(&m_dm->q_gzsj, &RecordSet::reset, this, &TForm_gzsj::loadRow);
    loadRow();
}

void TForm_gzsj::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen()) {
        QRect r = frameGeometry();
        r.moveCenter(s->availableGeometry().center());
        move(r.topLeft());
    }
    DBDateEdit1->setFocus();
}

void TForm_gzsj::loadRow()
{
    const RecordSet& q = m_dm->q_gzsj;
    const QDateTime d = q.isOpen() && !q.isEmpty() ? q.asDateTime(kColumn) : QDateTime();
    DBDateEdit1->setDate(d.isValid() ? d.date() : Clock::today());
}

void TForm_gzsj::save()
{
    RecordSet& q = m_dm->q_gzsj;
    try {
        q.edit();
        q.setValue(kColumn, QDateTime(DBDateEdit1->date(), QTime(0, 0)));
        q.post();
    } catch (const DbError& e) {
        try {
            q.cancel();
        } catch (const DbError&) {
        }
        Msg::error(this, e.text());
        return;
    }
    Msg::warn(this, QStringLiteral("存盘完毕！"));
    // The cash journal takes its month from here the next time it is opened.
    Session::closingDate() = q.asDateTime(kColumn).date();
    accept();
}
