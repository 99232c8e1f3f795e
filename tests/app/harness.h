#pragma once
// A running shell on a fresh database in a temporary working folder (in a server run a server
// database named in data/connection.ini there). Modal windows are driven through the modal
// service: logins by name and password, other windows by onWindow.
#include "app/enterform.h"
#include "app/mainform.h"
#include "core/session.h"
#include "data/creation.h"
#include "data/datamodule.h"
#include "ui/common/messages.h"
#include "ui/common/modal.h"
#include "ui/common/windowregistry.h"
#include "tests/pg/serverdb.h"

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <memory>

inline void typeLogin(QDialog* d, const QString& name, const QString& password)
{
    auto* names = d->findChild<QComboBox*>(QStringLiteral("DBLookupComboBox1"));
    names->setCurrentIndex(names->findText(name));
    auto* edit = d->findChild<QLineEdit*>(QStringLiteral("Edit1"));
    edit->clear();
    QTest::keyClicks(edit, password);
    d->findChild<QPushButton*>(QStringLiteral("bitbtn_ok"))->click();
}

struct Rights {
    bool sys = false, daily = false, other = false, stats = false, finance = false;
    static Rights all() { return {true, true, true, true, true}; }
};

class Harness {
public:
    explicit Harness(const QDate& today = QDate(2004, 3, 15))
    {
        m_old = QDir::currentPath();
        QDir::setCurrent(m_dir.path());
        m_location = ServerDb::workingFolderDatabase(m_dir.path());
        if (m_location.isEmpty())
            qFatal("no server database could be made");
        QString error;
        if (!createDatabase(m_location, today, &error))
            qFatal("createDatabase: %s", qPrintable(error));
        Session::currentOperator() = Operator{};
        WindowRegistry::clear();
        modal.handler = [this](QDialog* d) {
            if (qobject_cast<TForm_Enter*>(d)) {
                if (onLogin)
                    onLogin(d);
                else
                    typeLogin(d, loginName, loginPassword);
            } else if (onWindow) {
                onWindow(d);
            }
        };
    }
    ~Harness()
    {
        w.reset();
        dm.reset();
        WindowRegistry::clear();
        QDir::setCurrent(m_old);
    }

    QString path() const { return m_dir.path(); }
    // The database the program finds in the working folder.
    QString location() const { return m_location; }

    // Runs a statement on a connection of its own.
    void exec(const QString& sql, const QVariantList& binds = {})
    {
        Database db;
        QString error;
        if (!db.open(m_location, &error))
            qFatal("open: %s", qPrintable(error));
        db.execute(sql, binds);
        db.close();
    }

    void addOperator(const QString& name, const QString& password, Rights r, const QString& ime = {})
    {
        exec(QStringLiteral("insert into 权限表 (姓名, 操作口令, 输入法, 系统维护权, 日常业务权, 其他业务权, 统计分析权, 财务管理权) "
                            "values (?, ?, ?, ?, ?, ?, ?, ?)"),
             {name, password, ime, int(r.sys), int(r.daily), int(r.other), int(r.stats), int(r.finance)});
    }

    // Creates the main window and the data module and runs the first activation.
    TForm_main* start()
    {
        w = std::make_unique<TForm_main>();
        dm = std::make_unique<TDm1>();
        w->setDm(dm.get());
        if (beforeActivate)
            beforeActivate(w.get());
        w->FormActivate();
        return w.get();
    }

    Msg::Recorder msg;
    Modal::Recorder modal;
    QString loginName = QStringLiteral("管理员");
    QString loginPassword;
    std::function<void(QDialog*)> onLogin;
    std::function<void(QDialog*)> onWindow;
    std::function<void(TForm_main*)> beforeActivate;
    std::unique_ptr<TDm1> dm;
    std::unique_ptr<TForm_main> w;

private:
    QTemporaryDir m_dir;
    QString m_old;
    QString m_location;
};
