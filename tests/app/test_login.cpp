// Login, password change and operator switch.
#include "harness.h"

#include "app/passwordform.h"
#include "core/password.h"
#include "ui/common/inputmethods.h"

#include <QAction>
#include <QToolButton>

namespace {
QString S(const char* s)
{
    return QString::fromUtf8(s);
}

QPushButton* button(QDialog* d, const char* name)
{
    return d->findChild<QPushButton*>(S(name));
}
QLineEdit* edit(QDialog* d, const char* name)
{
    return d->findChild<QLineEdit*>(S(name));
}

// Fills the password window and presses 保存.
void changePassword(QDialog* d, const QString& old, const QString& fresh, const QString& confirm)
{
    QTest::keyClicks(edit(d, "MaskEdit3"), old);
    QTest::keyClicks(edit(d, "MaskEdit1"), fresh);
    QTest::keyClicks(edit(d, "MaskEdit2"), confirm);
    button(d, "bitbtn_ok")->click();
}

// The database's bytes on disk, its log included.
QByteArray fileBytes(Harness& h)
{
    QByteArray all;
    for (const char* name : {"data/qczl.db", "data/qczl.db-wal"}) {
        QFile f(QDir(h.path()).filePath(S(name)));
        if (f.open(QIODevice::ReadOnly))
            all += f.readAll();
    }
    return all;
}

QString storedPassword(Harness& h, const QString& name)
{
    RecordSet q(&h.dm->ADO_qczl);
    q.setSql({S("select * from 权限表 where 姓名='") + name + S("' order by 姓名")});
    q.open();
    return q.asString(S("操作口令"));
}
}  // namespace

class TestLogin : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void failuresShareOneCounter_data();
    void failuresShareOneCounter();
    void passwordCaseAndEmptyPassword_data();
    void passwordCaseAndEmptyPassword();
    void duplicateNamesUseTheFirst();
    void loginSetsOperatorAndInputMethod();
    void enterChainsToConfirm();
    void abandonedSwitchKeepsOperator();
    void switchRegatesCommands();
    void passwordChangeChecks();
    void passwordChangeStoresUntrimmed();
    void passwordChangeNeedsTheOperatorsRow();
    void clearTextUpgradedAndGoneFromTheFile();
    void typedPasswordsAreNotKept();
    void passwordChangeComparesAsTheLogin();
};

void TestLogin::failuresShareOneCounter_data()
{
    QTest::addColumn<bool>("atStart");
    QTest::newRow("start") << true;
    QTest::newRow("switch") << false;
}

// Two messages counting 1 and 2, then the third failure of either kind abandons silently:
// at start the program ends, at a switch only the dialog closes.
void TestLogin::failuresShareOneCounter()
{
    QFETCH(bool, atStart);
    Harness h;
    h.addOperator(S("张三"), S("123"), Rights::all());
    QVector<int> focusOnEdit;
    auto failThrice = [&](QDialog* d) {
        auto* names = d->findChild<QComboBox*>(S("DBLookupComboBox1"));
        h.msg.onShow = [&](const Msg::Request&) { focusOnEdit << (QApplication::focusWidget() == edit(d, "Edit1")); };
        typeLogin(d, S("张三"), S("999"));
        QCOMPARE(edit(d, "Edit1")->text(), QString());  // cleared after a wrong password
        typeLogin(d, S("张三"), S("1"));
        QVERIFY(d->isVisible());
        names->setCurrentIndex(-1);
        button(d, "bitbtn_ok")->click();
        QVERIFY(!d->isVisible());
    };
    if (atStart) {
        h.onLogin = failThrice;
        TForm_main* w = h.start();
        QVERIFY(w->closed());
        QVERIFY(!w->loggedIn());
    } else {
        TForm_main* w = h.start();
        QVERIFY(w->loggedIn());
        h.onLogin = failThrice;
        w->openOperatorSwitch();
        QVERIFY(!w->closed());
        QCOMPARE(Session::currentOperator().name, S("管理员"));
    }
    QCOMPARE(h.msg.texts(), (QStringList{S("密码不对，第1次！  "), S("密码不对，第2次！  ")}));
    for (const Msg::Shown& s : h.msg.shown()) {
        QCOMPARE(s.request.caption, S("提示"));
        QCOMPARE(s.request.icon, Msg::Icon::Warning);
    }
}

void TestLogin::passwordCaseAndEmptyPassword_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("lower stored, lower typed") << S("abc1") << S("abc1") << true;
    QTest::newRow("lower stored, upper typed") << S("abc1") << S("ABC1") << true;
    QTest::newRow("mixed stored") << S("aBc") << S("abc") << true;
    QTest::newRow("empty stored, empty typed") << S("") << S("") << true;
    QTest::newRow("empty stored, typed") << S("") << S("x") << false;
    QTest::newRow("wrong") << S("abc") << S("abd") << false;
    QTest::newRow("trailing blank matters") << S("ab ") << S("ab") << false;
}

void TestLogin::passwordCaseAndEmptyPassword()
{
    QFETCH(QString, stored);
    QFETCH(QString, typed);
    QFETCH(bool, accepted);
    Harness h;
    h.addOperator(S("李四"), stored, Rights{});
    h.start();  // as 管理员
    h.loginName = S("李四");
    h.loginPassword = typed;
    h.w->openOperatorSwitch();
    QCOMPARE(Session::currentOperator().name, accepted ? S("李四") : S("管理员"));
    if (accepted) {
        QVERIFY(h.msg.shown().isEmpty());
    } else {
        QCOMPARE(h.msg.lastText(), S("密码不对，第1次！  "));
    }
}

// The same name twice: the first in 姓名 order is the one that logs in.
void TestLogin::duplicateNamesUseTheFirst()
{
    Harness h;
    h.addOperator(S("王五"), S("AAA"), Rights{true, false, false, false, false});
    h.addOperator(S("王五"), S("BBB"), Rights::all());
    h.loginName = S("王五");
    h.loginPassword = S("BBB");
    h.onLogin = [&](QDialog* d) {
        typeLogin(d, S("王五"), S("BBB"));
        QCOMPARE(h.msg.lastText(), S("密码不对，第1次！  "));
        auto* names = d->findChild<QComboBox*>(S("DBLookupComboBox1"));
        names->setCurrentIndex(names->findText(S("王五")) + 1);  // the second entry of that name
        typeLogin(d, S("王五"), S("AAA"));
        QVERIFY(!d->isVisible());
    };
    h.start();
    const Operator& op = Session::currentOperator();
    QCOMPARE(op.name, S("王五"));
    QVERIFY(op.系统维护权);
    QVERIFY(!op.日常业务权);

    // The password change acts on the same first row.
    h.onWindow = [&](QDialog* d) { changePassword(d, S("AAA"), S("CCC"), S("CCC")); };
    h.w->openPasswordChange();
    RecordSet q(&h.dm->ADO_qczl);
    q.setSql({S("select * from 权限表 where 姓名='王五' order by 姓名")});
    q.open();
    QVERIFY(Password::matches(q.asString(S("操作口令")), S("CCC")));
    QVERIFY(!Password::matches(q.asString(S("操作口令")), S("AAA")));
    q.next();
    QCOMPARE(q.asString(S("操作口令")), S("BBB"));  // never logged in: still as it was
}

void TestLogin::loginSetsOperatorAndInputMethod()
{
    Harness h;
    h.addOperator(S("赵六"), S("p"), Rights{false, true, false, true, false}, S("fcitx"));
    h.loginName = S("赵六");
    h.loginPassword = S("p");
    TForm_main* w = h.start();
    const Operator& op = Session::currentOperator();
    QCOMPARE(op.inputMethod, S("fcitx"));
    QVERIFY(!op.系统维护权 && op.日常业务权 && !op.其他业务权 && op.统计分析权 && !op.财务管理权);
    QCOMPARE(InputMethods::current(), S("fcitx"));
    QCOMPARE(w->statusPanel(0), S("操作员：赵六"));
    QVERIFY(!h.dm->q_qxb.isOpen());

    QLineEdit field;
    InputMethods::applyCurrent(&field);
    QCOMPARE(InputMethods::fieldMethod(&field), S("fcitx"));
    QVERIFY(field.testAttribute(Qt::WA_InputMethodEnabled));
    InputMethods::setInstalledForTest(QStringList{});
    QVERIFY(InputMethods::installed().isEmpty());
    InputMethods::setInstalledForTest(std::nullopt);

    // What the desktop announces, each framework once; none at all gives an empty list.
    qputenv("QT_IM_MODULE", "ibus");
    qputenv("XMODIFIERS", "@im=ibus");
    qputenv("GTK_IM_MODULE", "fcitx");
    QCOMPARE(InputMethods::installed(), (QStringList{S("ibus"), S("fcitx")}));
    for (const char* v : {"QT_IM_MODULE", "XMODIFIERS", "GTK_IM_MODULE"})
        qunsetenv(v);
    QVERIFY(InputMethods::installed().isEmpty());
    // An empty name leaves a field as the desktop has it.
    QLineEdit plain;
    plain.setAttribute(Qt::WA_InputMethodEnabled, false);
    InputMethods::apply(&plain, QString());
    QVERIFY(!plain.testAttribute(Qt::WA_InputMethodEnabled));
}

void TestLogin::enterChainsToConfirm()
{
    Harness h;
    h.onLogin = [&](QDialog* d) {
        auto* names = d->findChild<QComboBox*>(S("DBLookupComboBox1"));
        QCOMPARE(names->currentText(), QString());
        QCOMPARE(names->count(), 1);
        names->setCurrentIndex(0);
        QTest::keyClick(names, Qt::Key_Return);
        QVERIFY(d->isVisible());
        QTest::keyClick(edit(d, "Edit1"), Qt::Key_Return);  // presses 确认 with the empty password
    };
    TForm_main* w = h.start();
    QVERIFY(w->loggedIn());
    QVERIFY(h.msg.shown().isEmpty());
}

// An abandoned switch keeps operator A with A's rights, and the password change acts on A.
void TestLogin::abandonedSwitchKeepsOperator()
{
    Harness h;
    h.addOperator(S("甲"), S("aa"), Rights{false, false, false, false, true});
    h.addOperator(S("乙"), S("bb"), Rights::all());
    h.loginName = S("甲");
    h.loginPassword = S("aa");
    TForm_main* w = h.start();
    h.onLogin = [&](QDialog* d) {
        typeLogin(d, S("乙"), S("xx"));
        button(d, "bitbtn_cancel")->click();
    };
    w->openOperatorSwitch();
    QCOMPARE(Session::currentOperator().name, S("甲"));
    QVERIFY(!w->menuItem(S("N2"))->isEnabled());
    QVERIFY(w->menuItem(S("N24"))->isEnabled());
    QCOMPARE(w->statusPanel(0), S("操作员：甲"));

    h.msg.clear();
    h.onWindow = [&](QDialog* d) {
        QCOMPARE(d->objectName(), S("Form_password"));
        changePassword(d, S("aa"), S("new"), S("new"));
    };
    w->openPasswordChange();
    QCOMPARE(h.msg.lastText(), S("已经成功的修改了操作口令,请牢记!"));
    QCOMPARE(h.msg.shown().back().request.icon, Msg::Icon::Information);
    QVERIFY(Password::matches(storedPassword(h, S("甲")), S("NEW")));
    QVERIFY(Password::isHash(storedPassword(h, S("甲"))));
}

void TestLogin::switchRegatesCommands()
{
    Harness h;
    h.addOperator(S("无权"), S(""), Rights{});
    TForm_main* w = h.start();
    // Hidden items (摘要设置) never count as enabled in Qt.
    auto enabledCount = [w] {
        int n = 0;
        for (const Command& c : Commands::table())
            n += w->menuItem(c.menuItem)->isEnabled();
        return n;
    };
    const int all = int(Commands::table().size()) - 1;
    QCOMPARE(enabledCount(), all);
    h.loginName = S("无权");
    w->openOperatorSwitch();
    QCOMPARE(w->statusPanel(0), S("操作员：无权"));
    QCOMPARE(enabledCount(), 12);
    QVERIFY(w->toolButton(S("SpeedButton6"))->isEnabled());
    QVERIFY(!w->toolButton(S("SpeedButton2"))->isEnabled());
    h.loginName = S("管理员");
    w->openOperatorSwitch();
    QCOMPARE(enabledCount(), all);
    for (const QString& b : Commands::toolBar())
        QVERIFY(w->toolButton(b)->isEnabled());
}

void TestLogin::passwordChangeChecks()
{
    Harness h;
    h.addOperator(S("丙"), S("old"), Rights{});
    h.loginName = S("丙");
    h.loginPassword = S("old");
    TForm_main* w = h.start();

    struct Case {
        QString old, fresh, confirm, message;
        const char* focus;
    };
    const QVector<Case> cases{
        {S("wrong"), S("n1"), S("n1"), S("旧操作口令不正确,请重新输入!"), "MaskEdit3"},
        {S("old"), S("n1"), S("n2"), S("两次输入的操作口令不一致,请重新输入!"), "MaskEdit1"},
        {S("old"), S("   "), S("   "), S("没有输入新操作口令,请重新输入!"), "MaskEdit1"},
        {S("old"), S(""), S(""), S("没有输入新操作口令,请重新输入!"), "MaskEdit1"},
    };
    for (const Case& c : cases) {
        h.msg.clear();
        QString focused;
        h.onWindow = [&](QDialog* d) {
            QCOMPARE(d->windowTitle(), S("修改当前操作员口令"));
            h.msg.onShow = [&](const Msg::Request&) {};
            changePassword(d, c.old, c.fresh, c.confirm);
            QVERIFY(d->isVisible());
            if (QWidget* f = QApplication::focusWidget())
                focused = f->objectName();
            else if (QWidget* f = d->focusWidget())
                focused = f->objectName();
        };
        w->openPasswordChange();
        QCOMPARE(h.msg.texts(), QStringList{c.message});
        QCOMPARE(h.msg.shown()[0].request.caption, S("提示"));
        QCOMPARE(focused, S(c.focus));
        QVERIFY(Password::matches(storedPassword(h, S("丙")), S("OLD")));
    }
    // Entries are limited to ten characters.
    h.onWindow = [&](QDialog* d) { QCOMPARE(edit(d, "MaskEdit1")->maxLength(), 10); };
    w->openPasswordChange();
}

void TestLogin::passwordChangeStoresUntrimmed()
{
    Harness h;
    TForm_main* w = h.start();
    h.onWindow = [&](QDialog* d) { changePassword(d, S(""), S("ab "), S("ab ")); };
    w->openPasswordChange();
    QVERIFY(Password::matches(storedPassword(h, S("管理员")), S("AB ")));
    QVERIFY(!Password::matches(storedPassword(h, S("管理员")), S("AB")));
    // The next login needs the blank too.
    h.loginPassword = S("ab");
    w->openOperatorSwitch();
    QCOMPARE(h.msg.lastText(), S("密码不对，第1次！  "));
    h.msg.clear();
    h.loginPassword = S("ab ");
    w->openOperatorSwitch();
    QVERIFY(h.msg.shown().isEmpty());
}

// An operator deleted while logged in: the change must not add a row holding only a password.
void TestLogin::passwordChangeNeedsTheOperatorsRow()
{
    Harness h;
    h.addOperator(S("丁"), S(""), Rights{});
    h.loginName = S("丁");
    TForm_main* w = h.start();
    h.exec(S("delete from 权限表 where 姓名='丁'"));
    h.onWindow = [&](QDialog* d) { changePassword(d, S(""), S("x"), S("x")); };
    w->openPasswordChange();
    QCOMPARE(h.msg.texts().size(), 1);
    QVERIFY(h.msg.lastText() != S("已经成功的修改了操作口令,请牢记!"));
    RecordSet q(&h.dm->ADO_qczl);
    q.setSql({S("select * from 权限表")});
    q.open();
    QCOMPARE(q.recordCount(), 1);
}

// Checked, a typed password is gone: the login's field is empty after a wrong and after a right
// password, and the password window's fields once it closes, saved or not. A mismatch of the new
// password keeps the checked old one, so only the new one is typed again.
void TestLogin::typedPasswordsAreNotKept()
{
    Harness h;
    h.addOperator(S("丙"), S("old"), Rights{});
    h.onLogin = [&](QDialog* d) {
        typeLogin(d, S("丙"), S("bad"));
        QCOMPARE(edit(d, "Edit1")->text(), QString());
        typeLogin(d, S("丙"), S("old"));
        QVERIFY(!d->isVisible());
        QCOMPARE(edit(d, "Edit1")->text(), QString());
    };
    TForm_main* w = h.start();
    QCOMPARE(Session::currentOperator().name, S("丙"));

    auto allEmpty = [](QDialog* d) {
        for (const char* n : {"MaskEdit3", "MaskEdit1", "MaskEdit2"})
            if (!edit(d, n)->text().isEmpty())
                return false;
        return true;
    };
    h.onWindow = [&](QDialog* d) {
        changePassword(d, S("old"), S("new"), S("neu"));
        QCOMPARE(edit(d, "MaskEdit3")->text(), S("OLD"));
        QCOMPARE(edit(d, "MaskEdit1")->text(), QString());
        QCOMPARE(edit(d, "MaskEdit2")->text(), QString());
        QTest::keyClicks(edit(d, "MaskEdit1"), S("new"));
        QTest::keyClicks(edit(d, "MaskEdit2"), S("new"));
        button(d, "bitbtn_ok")->click();
        QVERIFY(!d->isVisible());
        QVERIFY(allEmpty(d));
    };
    w->openPasswordChange();
    QCOMPARE(h.msg.lastText(), S("已经成功的修改了操作口令,请牢记!"));
    QVERIFY(Password::matches(storedPassword(h, S("丙")), S("NEW")));

    h.onWindow = [&](QDialog* d) {
        changePassword(d, S("old"), S("x"), S("x"));  // no longer the password
        QVERIFY(d->isVisible());
        QCOMPARE(edit(d, "MaskEdit3")->text(), QString());
        QTest::keyClicks(edit(d, "MaskEdit3"), S("new"));
        button(d, "bitbtn1")->click();  // 返回
        QVERIFY(!d->isVisible());
        QVERIFY(allEmpty(d));
    };
    w->openPasswordChange();
    QVERIFY(Password::matches(storedPassword(h, S("丙")), S("NEW")));
}

// The old password is compared with the stored one as the login compares: letters a to z in either
// case, and what is stored now counts (another counter may have changed it since the login).
void TestLogin::passwordChangeComparesAsTheLogin()
{
    Harness h;
    h.addOperator(S("丁"), S("abc"), Rights{});
    h.loginName = S("丁");
    h.loginPassword = S("abc");
    TForm_main* w = h.start();
    QCOMPARE(Session::currentOperator().name, S("丁"));
    // Lower case as an input method commits it, past the upper-casing of keystrokes.
    h.onWindow = [&](QDialog* d) {
        edit(d, "MaskEdit3")->setText(S("abc"));
        QTest::keyClicks(edit(d, "MaskEdit1"), S("def"));
        QTest::keyClicks(edit(d, "MaskEdit2"), S("def"));
        button(d, "bitbtn_ok")->click();
    };
    w->openPasswordChange();
    QCOMPARE(h.msg.texts(), QStringList{S("已经成功的修改了操作口令,请牢记!")});

    h.exec(S("update 权限表 set 操作口令=? where 姓名='丁'"), {Password::hash(S("GHI"))});
    h.msg.clear();
    h.onWindow = [&](QDialog* d) { changePassword(d, S("def"), S("x"), S("x")); };
    w->openPasswordChange();
    QCOMPARE(h.msg.texts(), QStringList{S("旧操作口令不正确,请重新输入!")});
    h.msg.clear();
    h.onWindow = [&](QDialog* d) { changePassword(d, S("ghi"), S("x"), S("x")); };
    w->openPasswordChange();
    QCOMPARE(h.msg.texts(), QStringList{S("已经成功的修改了操作口令,请牢记!")});
    QVERIFY(Password::matches(storedPassword(h, S("丁")), S("X")));
}

QTEST_MAIN(TestLogin)
#include "test_login.moc"

// A password kept in clear text by an earlier version logs in as before, is replaced by its digest
// at that login, keeps working through the digest, and is no longer anywhere in the file.
void TestLogin::clearTextUpgradedAndGoneFromTheFile()
{
    Harness h;
    h.addOperator(S("甲"), S("qzsecret9"), Rights::all());
    QVERIFY(fileBytes(h).contains("qzsecret9"));
    h.loginName = S("甲");
    h.loginPassword = S("qzsecret9");
    TForm_main* w = h.start();
    QVERIFY(w->loggedIn());
    QVERIFY(Password::isHash(storedPassword(h, S("甲"))));

    // through the digest: a wrong password is still counted, the right one still accepted
    h.onLogin = [&](QDialog* d) {
        typeLogin(d, S("甲"), S("qzsecret8"));
        QCOMPARE(h.msg.lastText(), S("密码不对，第1次！  "));
        typeLogin(d, S("甲"), S("QZSECRET9"));
        QVERIFY(!d->isVisible());
    };
    Session::currentOperator() = Operator{};
    w->openOperatorSwitch();
    QCOMPARE(Session::currentOperator().name, S("甲"));
    QCOMPARE(h.msg.texts(), QStringList{S("密码不对，第1次！  ")});

    h.w.reset();
    h.dm.reset();
    const QByteArray bytes = fileBytes(h);
    QVERIFY(!bytes.contains("qzsecret9"));
    QVERIFY(!bytes.contains("QZSECRET9"));
    QVERIFY(bytes.contains("pbkdf2_sha256$"));
}
