#pragma once
// Login dialog: establishes the current operator at start and at an operator switch. It reads the
// operators' names for its list and the chosen operator's row when it checks the password.
#include <QDialog>

class QComboBox;
class QLineEdit;
class QPushButton;
class TDm1;

class TForm_Enter : public QDialog {
    Q_OBJECT
public:
    // loggedIn: false during the login at start, where abandoning ends the program.
    TForm_Enter(QWidget* owner, TDm1* dm, bool loggedIn);

    void fillOperators();  // fills the name list, resets the attempt counter
    // 确认: the chosen operator's password checked; the third failure abandons.
    void logIn();
    // 终止 (and Escape): the dialog closes; at start the program ends.
    void abandon();

    int attempts() const { return m_attempts; }
    // True when the dialog was abandoned during the login at start: the program must end.
    bool endsProgram() const { return m_endsProgram; }

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool failed();  // counts a failure; true when it was the third

    TDm1* m_dm;
    bool m_loggedIn;
    bool m_endsProgram = false;
    int m_attempts = 0;
    QComboBox* operatorBox;     // DBLookupComboBox1
    QLineEdit* passwordEdit;    // Edit1
    QPushButton* okButton;      // 确认 (bitbtn_ok)
    QPushButton* cancelButton;  // 终止 (bitbtn_cancel)
};
