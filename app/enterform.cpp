#include "app/enterform.h"
#include "app/fields.h"
#include "app/pictures.h"
#include "core/session.h"
#include "data/datamodule.h"
#include "data/operators.h"
#include "ui/common/inputmethods.h"
#include "ui/common/messages.h"

#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TForm_Enter::TForm_Enter(QWidget* owner, TDm1* dm, bool loggedIn) : QDialog(owner), m_dm(dm), m_loggedIn(loggedIn)
{
    setObjectName(QStringLiteral("Form_Enter"));
    setWindowTitle(QStringLiteral("系统登录"));
    // No title-bar buttons: the dialog is left through its own two buttons.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);

    auto* picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("Image1"));
    picture->setPixmap(Pictures::loginPicture());

    operatorBox = new QComboBox(this);
    operatorBox->setObjectName(QStringLiteral("DBLookupComboBox1"));
    operatorBox->setMaxVisibleItems(8);
    operatorBox->setMinimumWidth(150);
    passwordEdit = new QLineEdit(this);
    passwordEdit->setObjectName(QStringLiteral("Edit1"));
    passwordEdit->setEchoMode(QLineEdit::Password);
    Fields::upperCase(passwordEdit);

    auto* form = new QGridLayout;
    auto* l1 = new QLabel(QStringLiteral("操作员："), this);
    auto* l2 = new QLabel(QStringLiteral("操作口令："), this);
    form->addWidget(l1, 0, 0, Qt::AlignRight);
    form->addWidget(operatorBox, 0, 1);
    form->addWidget(l2, 1, 0, Qt::AlignRight);
    form->addWidget(passwordEdit, 1, 1);

    okButton = new QPushButton(QStringLiteral("确认"), this);
    okButton->setObjectName(QStringLiteral("bitbtn_ok"));
    cancelButton = new QPushButton(QStringLiteral("终止"), this);
    cancelButton->setObjectName(QStringLiteral("bitbtn_cancel"));
    for (QPushButton* b : {okButton, cancelButton})
        b->setAutoDefault(false);
    connect(okButton, &QPushButton::clicked, this, &TForm_Enter::logIn);
    connect(cancelButton, &QPushButton::clicked, this, &TForm_Enter::abandon);

    auto* rule = new QFrame(this);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);

    auto* right = new QVBoxLayout;
    right->addStretch();
    right->addLayout(form);
    right->addStretch();
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(okButton);
    buttons->addWidget(cancelButton);
    right->addLayout(buttons);

    auto* top = new QHBoxLayout;
    top->addWidget(picture);
    top->addLayout(right);
    auto* outer = new QVBoxLayout(this);
    outer->addLayout(top);
    outer->addWidget(rule);
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(operatorBox, passwordEdit);
    setTabOrder(passwordEdit, okButton);
    setTabOrder(okButton, cancelButton);
    Fields::onEnter(operatorBox, passwordEdit);
    Fields::onEnterClick(passwordEdit, okButton);
}

void TForm_Enter::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    fillOperators();
}

void TForm_Enter::keyPressEvent(QKeyEvent* event)
{
    // Escape does what 终止 does, so the start-up login cannot be left another way.
    if (event->key() == Qt::Key_Escape) {
        abandon();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TForm_Enter::fillOperators()
{
    m_attempts = 0;
    operatorBox->clear();
    // Only the names: the passwords stay in the database until one operator's is checked.
    try {
        operatorBox->addItems(Operators::names(m_dm->ADO_qczl));
    } catch (const DbError& e) {
        Msg::error(this, e.text());
    }
    operatorBox->setCurrentIndex(-1);
    operatorBox->setFocus();
}

bool TForm_Enter::failed()
{
    ++m_attempts;
    if (m_attempts > 2) {
        abandon();
        return true;
    }
    return false;
}

void TForm_Enter::logIn()
{
    try {
        if (operatorBox->currentText().trimmed().isEmpty()) {
            if (failed())
                return;
            Msg::warn(this, QStringLiteral("请选择操作人员！  "));
            operatorBox->setFocus();
            return;
        }
        Operator op;
        const Operators::Login result = Operators::login(m_dm->ADO_qczl, operatorBox->currentText(), passwordEdit->text(), &op);
        // Checked: the typed password is not kept, whatever the answer.
        Fields::forget(passwordEdit);
        if (result != Operators::Login::Ok) {
            if (failed())
                return;
            Msg::warn(this, QStringLiteral("密码不对，第") + QString::number(m_attempts) + QStringLiteral("次！  "));
            passwordEdit->setFocus();
            return;
        }
        Session::currentOperator() = op;
        InputMethods::setCurrent(op.inputMethod);
        accept();
    } catch (const DbError& e) {
        Msg::error(this, e.text());
    }
}

void TForm_Enter::abandon()
{
    m_endsProgram = !m_loggedIn;
    reject();
}
