#pragma once
// Fleet windows: vehicle archive, oil changes, repairs, accidents.
// Registers each window class with its description and factory.
void registerFleetWindows();
