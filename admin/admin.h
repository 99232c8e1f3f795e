#pragma once
// Administration windows: operators and permissions, handlers.
void registerAdminWindows();
