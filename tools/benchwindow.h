#pragma once
// What the window benchmarks share: the program has shown its main window (menus, Chinese text)
// before any business window opens, so a first open is measured after one window of the process,
// not as the first.
#include <QCoreApplication>
#include <QLabel>

namespace Bench {

inline void showFirstWindow()
{
    QLabel shell(QStringLiteral("汽车租赁管理系统 车牌号 客户姓名 0123456789"));
    shell.resize(640, 480);
    shell.show();
    shell.repaint();
    QCoreApplication::processEvents();
}

}  // namespace Bench
