#include "admin/gsxx_edit.h"
#include "data/columns.h"
#include "data/datamodule.h"
#include "data/textlimits.h"
#include "ui/common/inputmethods.h"
#include "ui/common/messages.h"
#include "ui/shell/enterkeys.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace {
const char* const kColumns[] = {"公司名称", "公司地址", "联系电话", "联系人", "邮政编码", "系统标题", "动态文字"};
}

TForm_gsxx_edit::TForm_gsxx_edit(QWidget* owner, TDm1* dm) : QDialog(owner), m_dm(dm)
{
    setObjectName(QStringLiteral("Form_gsxx_edit"));
    setWindowTitle(QStringLiteral("公司信息编辑"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);

    auto* form = new QGridLayout;
    QLineEdit* edits[7];
    const char* const labels[] = {"公司名称：", "公司地址：", "联系电话：", "联系人：", "邮政编码：", "系统标题：", "动态文字："};
    for (int i = 0; i < 7; ++i) {
        edits[i] = new QLineEdit(this);
        edits[i]->setObjectName(QStringLiteral("DBEdit%1").arg(i + 1));
        edits[i]->setMinimumWidth(320);
        auto* label = new QLabel(QString::fromUtf8(labels[i]), this);
        label->setBuddy(edits[i]);  // names the field for screen readers
        form->addWidget(label, i, 0, Qt::AlignRight);
        form->addWidget(edits[i], i, 1, 1, 2);
    }
    DBEdit1 = edits[0];
    DBEdit2 = edits[1];
    DBEdit3 = edits[2];
    DBEdit4 = edits[3];
    DBEdit5 = edits[4];
    DBEdit6 = edits[5];
    DBEdit7 = edits[6];
    for (QLineEdit* chinese : {DBEdit1, DBEdit2, DBEdit4, DBEdit6, DBEdit7})
        InputMethods::applyCurrent(chinese);

    DBCheckBox1 = new QCheckBox(this);
    DBCheckBox1->setObjectName(QStringLiteral("DBCheckBox1"));
    DBCheckBox1->setAccessibleName(Col::自动提醒);
    form->addWidget(new QLabel(QStringLiteral("自动提醒："), this), 7, 0, Qt::AlignRight);
    form->addWidget(DBCheckBox1, 7, 1);
    form->addWidget(new QLabel(QStringLiteral("(是否自动提醒养路费、年检日期。)"), this), 7, 2);
    form->setColumnStretch(2, 1);

    saveButton = new QPushButton(QStringLiteral("保存 (&S)"), this);
    saveButton->setObjectName(QStringLiteral("bitbtn2"));
    returnButton = new QPushButton(QStringLiteral("返回 (&R)"), this);
    returnButton->setObjectName(QStringLiteral("SpeedButton2"));
    for (QPushButton* b : {saveButton, returnButton})
        b->setAutoDefault(false);
    connect(saveButton, &QPushButton::clicked, this, &TForm_gsxx_edit::save);
    connect(returnButton, &QPushButton::clicked, this, &QDialog::accept);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(saveButton);
    buttons->addWidget(returnButton);
    auto* outer = new QVBoxLayout(this);
    outer->addLayout(form);
    outer->addLayout(buttons);
    outer->setSizeConstraint(QLayout::SetFixedSize);

    for (int i = 0; i < 6; ++i)
        EnterKeys::moveTo(edits[i], edits[i + 1]);
    EnterKeys::click(DBEdit7, saveButton);
    EnterKeys::click(DBCheckBox1, saveButton);

    // The command opens q_gsxx after creating the window; show the row whenever it is (re)read.
    connect(&m_dm->q_gsxx, &RecordSet::reset, this, &TForm_gsxx_edit::loadRow);
    loadRow();
}

void TForm_gsxx_edit::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    DBEdit1->setFocus();
}

void TForm_gsxx_edit::loadRow()
{
    const RecordSet& q = m_dm->q_gsxx;
    const QLineEdit* const edits[] = {DBEdit1, DBEdit2, DBEdit3, DBEdit4, DBEdit5, DBEdit6, DBEdit7};
    const bool row = q.isOpen() && !q.isEmpty();
    for (int i = 0; i < 7; ++i) {
        const QString column = QString::fromUtf8(kColumns[i]);
        const QString text = row ? q.asString(column) : QString();
        auto* e = const_cast<QLineEdit*>(edits[i]);
        // As far as the column holds; a longer text stored earlier is shown whole.
        e->setMaxLength(std::max(Schema::maxLength(QStringLiteral("公司信息"), column), int(text.size())));
        e->setText(text);
    }
    DBCheckBox1->setChecked(row && q.asBoolean(Col::自动提醒));
}

void TForm_gsxx_edit::save()
{
    // The title is checked before the row is touched, so a refused entry leaves nothing pending
    // in q_gsxx for the main window to read back.
    if (DBEdit6->text().trimmed().isEmpty()) {
        Msg::warn(this, QStringLiteral("系统标题不能为空,请重新输入!"));
        DBEdit6->setFocus();
        return;
    }
    RecordSet& q = m_dm->q_gsxx;
    const QLineEdit* const edits[] = {DBEdit1, DBEdit2, DBEdit3, DBEdit4, DBEdit5, DBEdit6, DBEdit7};
    try {
        q.edit();
        for (int i = 0; i < 7; ++i)
            q.setValue(QString::fromUtf8(kColumns[i]), edits[i]->text());
        q.setValue(Col::自动提醒, DBCheckBox1->isChecked());
        q.post();
    } catch (const DbError&) {
        // A refused write is discarded without a message; the window stays open.
        try {
            q.cancel();
        } catch (const DbError&) {
        }
        loadRow();
        return;
    }
    Msg::warn(this, QStringLiteral("存盘完毕！"));
}
