#pragma once
// Fleet windows: vehicle archive, oil changes, repairs, accidents.
void registerFleetWindows();
