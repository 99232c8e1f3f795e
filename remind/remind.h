#pragma once
// Reminder windows: the parameters (TForm_txcsb) and the reminder list (TForm_txgn).
void addRemindConfigs();
void registerRemindWindows();
