#pragma once
// Administration windows: operators and permissions, handlers.
// Registers each window class with its description and factory.
void registerAdminWindows();
