#pragma once
// Statistics windows. Until their own windows are built they open as plain list windows over
// their configuration rows.
void addStatsConfigs();
void registerStatsWindows();
