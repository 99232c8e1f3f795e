#pragma once
// The pictures of the user manual (docs/manual/images/), taken in the screenshot run on the demo
// office: the windows a clerk opens through the commands, each left again without saving anything.
#include <QDir>
#include <QImage>
#include <QStringList>
#include <functional>

class QDialog;
class RecordSet;
class TForm_main;

class ManualPictures {
public:
    explicit ManualPictures(const QString& dir);

    // Saves a picture taken elsewhere in the run (the login, the main window, the planner).
    void save(const QImage& picture, const QString& name);
    // Opens the windows the manual shows through their commands and saves their pictures; false
    // when one could not be taken (the names in problems()).
    bool take(TForm_main& main);
    // The screenshot run's modal handler hands every window here first while take() runs; true
    // when the window was one of the manual's (driven and closed here).
    bool handle(QDialog* window);

    const QStringList& saved() const { return m_saved; }
    const QStringList& problems() const { return m_problems; }

private:
    void grab(QDialog* window, const QString& name);
    void openRow(QDialog* list, const std::function<bool(const RecordSet&)>& wanted);

    QDir m_dir;
    bool m_taking = false;
    QStringList m_saved, m_problems;
};
