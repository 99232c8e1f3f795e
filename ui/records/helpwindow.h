#pragma once
// The help window of the query and criteria dialogs: a read-only page of hint lines.
#include <QDialog>
#include <QStringList>

class QPlainTextEdit;

class TForm_help : public QDialog {
    Q_OBJECT
public:
    explicit TForm_help(QWidget* parent = nullptr);
    QPlainTextEdit* Memo1;
    // Appends a hint line below those shown.
    void addLine(const QString& line);
    // The lines shown, after the initial empty one.
    QStringList lines() const;
};

// Creates the window, adds the lines in order, shows it modally and destroys it.
void showHelpLines(QWidget* parent, const QStringList& lines);
