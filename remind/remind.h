#pragma once
// Reminder windows. Until their own windows are built they open as plain list windows over their
// configuration rows.
void addRemindConfigs();
void registerRemindWindows();
