#pragma once
// Fleet windows: vehicle archive, oil changes, repairs, accidents, the cash journal and the summary
// codes.
void addFleetConfigs();
// Adds the rows and the window factories of the fleet.
void registerFleetWindows();
