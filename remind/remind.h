#pragma once
// Reminder windows: the parameters (TForm_txcsb) and the reminder list (TForm_txgn).
// Registers each window class with its description and factory.
void registerRemindWindows();
