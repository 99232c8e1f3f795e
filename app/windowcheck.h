#pragma once
// The start-up check of the window descriptions: every command's window class has a factory, a list
// window or edit dialog among them its description registered under the class's name, and every
// query dialog such a list window opens by name its row. Called once the modules are registered;
// a missing description then stops the program at start (and fails a test), never when a clerk
// opens the window.
#include <QStringList>

// One line per problem ("TForm_qcda: 没有窗口描述"); empty when every window is there.
QStringList windowProblems();
