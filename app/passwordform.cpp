#include "app/passwordform.h"
#include "app/fields.h"
#include "core/password.h"
#include "core/session.h"
#include "data/columns.h"
#include "data/datamodule.h"
#include "ui/common/messages.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TForm_password::TForm_password(QWidget* owner, TDm1* dm) : QDialog(owner), m_dm(dm)
{
    setObjectName(QStringLiteral("Form_password"));
    setWindowTitle(QStringLiteral("修改当前操作员口令"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    nameLabel = new QLabel(this);
    nameLabel->setObjectName(QStringLiteral("Label_name"));
    auto entry = [this](const char* name) {
        auto* e = new QLineEdit(this);
        e->setObjectName(QString::fromLatin1(name));
        e->setEchoMode(QLineEdit::Password);
        e->setMaxLength(10);
        Fields::upperCase(e);
        return e;
    };
    oldPassword = entry("MaskEdit3");
    newPassword = entry("MaskEdit1");
    confirmation = entry("MaskEdit2");

    auto* form = new QGridLayout;
    form->addWidget(nameLabel, 0, 0, 1, 2);
    form->addWidget(new QLabel(QStringLiteral("旧口令："), this), 1, 0, Qt::AlignRight);
    form->addWidget(oldPassword, 1, 1);
    form->addWidget(new QLabel(QStringLiteral("新口令："), this), 2, 0, Qt::AlignRight);
    form->addWidget(newPassword, 2, 1);
    form->addWidget(new QLabel(QStringLiteral("确认新口令："), this), 3, 0, Qt::AlignRight);
    form->addWidget(confirmation, 3, 1);

    saveButton = new QPushButton(QStringLiteral("保存"), this);
    saveButton->setObjectName(QStringLiteral("bitbtn_ok"));
    returnButton = new QPushButton(QStringLiteral("返回"), this);
    returnButton->setObjectName(QStringLiteral("bitbtn1"));
    for (QPushButton* b : {saveButton, returnButton})
        b->setAutoDefault(false);
    connect(saveButton, &QPushButton::clicked, this, &TForm_password::savePassword);
    connect(returnButton, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(saveButton);
    buttons->addWidget(returnButton);
    auto* outer = new QVBoxLayout(this);
    outer->addLayout(form);
    outer->addLayout(buttons);
    outer->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(oldPassword, newPassword);
    setTabOrder(newPassword, confirmation);
    setTabOrder(confirmation, saveButton);
    setTabOrder(saveButton, returnButton);
    Fields::onEnter(oldPassword, newPassword);
    Fields::onEnter(newPassword, confirmation);
    Fields::onEnterClick(confirmation, saveButton);
}

void TForm_password::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    onShown();
}

void TForm_password::onShown()
{
    nameLabel->setText(QStringLiteral("用户名称：") + Session::currentOperator().name);
    oldPassword->setFocus();
}

void TForm_password::savePassword()
{
    const Operator& op = Session::currentOperator();
    RecordSet& q = m_dm->q_qxb;
    try {
        // Editing an empty set would add a new operator holding only a password; the operator's
        // row must still be there (it may have been renamed or deleted meanwhile).
        if (!q.isOpen() || q.isEmpty() || q.asString(Col::姓名) != op.name) {
            Msg::warn(this, QStringLiteral("权限表中没有当前操作员，操作口令没有修改！"));
            return;
        }
        // The old password is checked against the stored one as the login checks it; the session
        // keeps no copy of what was typed there.
        if (!Password::matches(q.asString(Col::操作口令), oldPassword->text())) {
            Fields::forget(oldPassword);
            Msg::warn(this, QStringLiteral("旧操作口令不正确,请重新输入!"));
            oldPassword->setFocus();
            return;
        }
        if (newPassword->text() != confirmation->text()) {
            forgetNew();
            Msg::warn(this, QStringLiteral("两次输入的操作口令不一致,请重新输入!"));
            newPassword->setFocus();
            return;
        }
        if (newPassword->text().trimmed().isEmpty()) {
            forgetNew();
            Msg::warn(this, QStringLiteral("没有输入新操作口令,请重新输入!"));
            newPassword->setFocus();
            return;
        }
        // Only the digest is kept; the operator types the password itself at the next login.
        const QString digest = Password::hash(newPassword->text());
        forgetNew();
        q.edit();
        q.setValue(Col::操作口令, digest);
        q.post();
    } catch (const DbError& e) {
        forgetNew();
        if (q.state() == RecordSet::Edit || q.state() == RecordSet::Insert)
            q.cancel();
        Msg::error(this, e.text());
        return;
    }
    Msg::info(this, QStringLiteral("已经成功的修改了操作口令,请牢记!"));
    accept();
}

void TForm_password::done(int result)
{
    // Whichever way the window closes, nothing typed in it stays behind.
    Fields::forget(oldPassword);
    forgetNew();
    QDialog::done(result);
}

void TForm_password::forgetNew()
{
    Fields::forget(newPassword);
    Fields::forget(confirmation);
}
