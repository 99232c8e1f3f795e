#pragma once
// Statistics windows: the result windows over the scratch table, their criteria dialogs and the chart.
// Registers each window class with its description and factory.
void registerStatsWindows();
