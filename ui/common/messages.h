#pragma once
// Every message box and file dialog of the program goes through these services, so that tests can
// read each message and script the answers.
#include "ui/common/testhook.h"

#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>

class QWidget;

namespace Msg {

enum class Icon { None, Information, Warning, Question, Critical };
enum class Button { Ok = 1, Yes = 2, No = 4, Cancel = 8 };

struct Request {
    QString caption;
    QString text;
    Icon icon = Icon::None;
    QVector<Button> buttons{Button::Ok};
    Button defaultButton = Button::Ok;
};

// The application title used by plain boxes ("Velmira软件").
QString appTitle();

// Validation messages and "存盘完毕！": caption "提示", warning icon, OK.
void warn(QWidget* parent, const QString& text);
// Success notes such as a changed password: caption "提示", information icon, OK.
void info(QWidget* parent, const QString& text);
// Confirmations: caption "请选择", question icon, Yes/No with No as default. True for Yes.
bool confirm(QWidget* parent, const QString& text);
// Plain box titled with the application title, no icon (missing photo, empty search, start-up failure).
void plain(QWidget* parent, const QString& text);
// Database and other errors that stop the current action: application title, critical icon.
void error(QWidget* parent, const QString& text);
// Anything else.
Button show(QWidget* parent, const Request& r);

// ---- replacement for tests ----
struct Shown {
    Request request;
    Button answer;
};

// Replaces the real boxes: every request is recorded; answers are taken from the script in order,
// and when the script is empty the default button is the answer.
class Recorder : public TestHook<Recorder> {
public:
    void script(Button answer) { m_script << answer; }
    const QVector<Shown>& shown() const { return m_shown; }
    QStringList texts() const;
    QString lastText() const { return m_shown.isEmpty() ? QString() : m_shown.back().request.text; }
    void clear() { m_shown.clear(); }
    // Called while a box is "open" (after recording), e.g. to inspect focus or state.
    std::function<void(const Request&)> onShow;

private:
    friend Button show(QWidget*, const Request&);
    Button answer(const Request& r);
    QVector<Button> m_script;
    QVector<Shown> m_shown;
};

}  // namespace Msg

namespace FileDialogs {

struct SaveRequest {
    QString caption;
    QString directory;
    QString fileName;     // proposed name
    QStringList filters;  // "Text files (*.txt)" ...
    int filterIndex = 0;  // 0-based, preselected
};

struct SaveResult {
    bool accepted = false;
    QString fileName;
    int filterIndex = 0;  // 0-based, chosen
};

SaveResult getSaveFileName(QWidget* parent, const SaveRequest& r);
QString getOpenFileName(QWidget* parent, const QString& caption, const QString& directory, const QStringList& filters);

// Test replacement: answers dialogs from a script (an empty name means the operator cancelled).
class Recorder : public TestHook<Recorder> {
public:
    void scriptSave(const QString& fileName, int filterIndex = -1)
    {
        m_save << SaveResult{!fileName.isEmpty(), fileName, filterIndex};
    }
    void scriptOpen(const QString& fileName) { m_open << fileName; }
    const QVector<SaveRequest>& saveRequests() const { return m_saveRequests; }

private:
    friend SaveResult getSaveFileName(QWidget*, const SaveRequest&);
    friend QString getOpenFileName(QWidget*, const QString&, const QString&, const QStringList&);
    QVector<SaveResult> m_save;
    QStringList m_open;
    QVector<SaveRequest> m_saveRequests;
};

}  // namespace FileDialogs
