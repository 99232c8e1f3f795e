#pragma once
// Administration windows: operators and permissions, handlers.
// The configuration rows of the administration windows.
void addAdminConfigs();
// Adds the rows and the window factories.
void registerAdminWindows();
