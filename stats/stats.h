#pragma once
// Statistics windows: the result windows over the scratch table, their criteria dialogs and the chart.
void addStatsConfigs();
void registerStatsWindows();
