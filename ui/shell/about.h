#pragma once
// The about box of the 帮助 menu: product, rights, update date and the vendor's contacts.
#include <QDialog>
#include <QPixmap>

class QLabel;
class QPushButton;

class Tform_About : public QDialog {
    Q_OBJECT
public:
    explicit Tform_About(QWidget* parent = nullptr);

    QLabel* ProgramIcon;  // picture strip on the left
    QLabel* ProductName;
    QLabel* Version;        // trademark line
    QLabel* Copyright;      // holder of the rights
    QLabel* Comments;       // "更新时间  2004年11月"
    QPushButton* OKButton;  // 返回
    QLabel* Database;       // the database open, shown once showDatabase names it

    // Says which database the program works on: a file's path, a server address without its
    // password. The box grows by the line.
    void showDatabase(const QString& location);

    // The picture of the strip, drawn here so the program carries no image file.
    static QPixmap picture(int width, int height);
};

// Registers the about box for the main window's 关于... command.
void registerShellWindows();
