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

    DBLookupComboBox1 = new QComboBox(this);
    DBLookupComboBox1->setObjectName(QStringLiteral("DBLookupComboBox1"));
    DBLookupComboBox1->setMaxVisibleItems(8);
    DBLookupComboBox1->setMinimumWidth(150);
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setEchoMode(QLineEdit::Password);
    Fields::upperCase(Edit1);

    auto* form = new QGridLayout;
    auto* l1 = new QLabel(QStringLiteral("操作员："), this);
    auto* l2 = new QLabel(QStringLiteral("操作口令："), this);
    form->addWidget(l1, 0, 0, Qt::AlignRight);
    form->addWidget(DBLookupComboBox1, 0, 1);
    form->addWidget(l2, 1, 0, Qt::AlignRight);
    form->addWidget(Edit1, 1, 1);

    bitbtn_ok = new QPushButton(QStringLiteral("确认"), this);
    bitbtn_ok->setObjectName(QStringLiteral("bitbtn_ok"));
    bitbtn_cancel = new QPushButton(QStringLiteral("终止"), this);
    bitbtn_cancel->setObjectName(QStringLiteral("bitbtn_cancel"));
    for (QPushButton* b : {bitbtn_ok, bitbtn_cancel})
        b->setAutoDefault(false);
    connect(bitbtn_ok, &QPushButton::clicked, this, &TForm_Enter::BitBtn_OKClick);
    connect(bitbtn_cancel, &QPushButton::clicked, this, &TForm_Enter::bitbtn_cancelClick);

    auto* rule = new QFrame(this);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);

    auto* right = new QVBoxLayout;
    right->addStretch();
    right->addLayout(form);
    right->addStretch();
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(bitbtn_ok);
    buttons->addWidget(bitbtn_cancel);
    right->addLayout(buttons);

    auto* top = new QHBoxLayout;
    top->addWidget(picture);
    top->addLayout(right);
    auto* outer = new QVBoxLayout(this);
    outer->addLayout(top);
    outer->addWidget(rule);
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(DBLookupComboBox1, Edit1);
    setTabOrder(Edit1, bitbtn_ok);
    setTabOrder(bitbtn_ok, bitbtn_cancel);
    Fields::onEnter(DBLookupComboBox1, Edit1);
    Fields::onEnterClick(Edit1, bitbtn_ok);
}

void TForm_Enter::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormActivate();
}

void TForm_Enter::keyPressEvent(QKeyEvent* event)
{
    // Escape does what 终止 does, so the start-up login cannot be left another way.
    if (event->key() == Qt::Key_Escape) {
        bitbtn_cancelClick();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TForm_Enter::FormActivate()
{
    m_attempts = 0;
    DBLookupComboBox1->clear();
    // Only the names: the passwords stay in the database until one operator's is checked.
    try {
        DBLookupComboBox1->addItems(Operators::names(m_dm->ADO_qczl));
    } catch (const DbError& e) {
        Msg::error(this, e.text());
    }
    DBLookupComboBox1->setCurrentIndex(-1);
    DBLookupComboBox1->setFocus();
}

bool TForm_Enter::failed()
{
    ++m_attempts;
    if (m_attempts > 2) {
        bitbtn_cancelClick();
        return true;
    }
    return false;
}

void TForm_Enter::BitBtn_OKClick()
{
    try {
        if (DBLookupComboBox1->currentText().trimmed().isEmpty()) {
            if (failed())
                return;
            Msg::warn(this, QStringLiteral("请选择操作人员！  "));
            DBLookupComboBox1->setFocus();
            return;
        }
        Operator op;
        const Operators::Login result = Operators::login(m_dm->ADO_qczl, DBLookupComboBox1->currentText(), Edit1->text(), &op);
        // Checked: the typed password is not kept, whatever the answer.
        Fields::forget(Edit1);
        if (result != Operators::Login::Ok) {
            if (failed())
                return;
            Msg::warn(this, QStringLiteral("密码不对，第") + QString::number(m_attempts) + QStringLiteral("次！  "));
            Edit1->setFocus();
            return;
        }
        Session::currentOperator() = op;
        InputMethods::setCurrent(op.inputMethod);
        accept();
    } catch (const DbError& e) {
        Msg::error(this, e.text());
    }
}

void TForm_Enter::bitbtn_cancelClick()
{
    m_endsProgram = !m_loggedIn;
    reject();
}
