#pragma once
// The help window: a few lines of usage hints that the caller supplies. The page starts with one
// empty line; a caller appends its lines one by one with addLine (linesEdit's own appendPlainText
// would fill that empty line), shows the window and frees it.
#include <QDialog>
#include <QStringList>

class QPlainTextEdit;
class QPushButton;

class TForm_help : public QDialog {
    Q_OBJECT
public:
    explicit TForm_help(QWidget* parent = nullptr);

    void addLine(const QString& line);
    // The lines shown after the initial empty one.
    QStringList lines() const;

    QPlainTextEdit* linesEdit;  // Memo1
    QPushButton* returnButton;  // 返回 (SpeedButton1)

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool m_placed = false;
};

// Creates the help window, adds the lines in order, shows it modally and destroys it.
void showHelpLines(QWidget* parent, const QStringList& lines);
