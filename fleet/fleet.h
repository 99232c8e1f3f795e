#pragma once
// Fleet windows: vehicle archive, oil changes, repairs, accidents.
void addFleetConfigs();
// Adds the rows and the window factories of the fleet.
void registerFleetWindows();
