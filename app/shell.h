#pragma once
// Program-wide set-up of the shell and its hidden screenshot run.
#include <QString>

namespace Shell {
// Application title shown by plain message boxes and the task bar.
QString title();
// The system's font "宋体", falling back to an installed CJK font.
void setupFonts();
// Logs the default operator in programmatically and saves login.png and main.png into dir.
// Runs in the current working folder; returns the process exit code.
int screenshots(const QString& dir);
} // namespace Shell
