#pragma once
// Registers the windows of every module built into the program.
class TForm_main;

void registerModules(TForm_main* mainWindow);
