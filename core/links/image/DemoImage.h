#pragma once

#include <QString>

// The demo connection's image, created in the user's documents folder.
inline constexpr const char kDemoImageName[] = "ZEL4_DEMO.QDM";

// The demo image's path in a folder (with or without "/" at the end).
QString DemoImagePath(const QString& folder);

// Attaches the demo image of that folder, creating it when it is missing or
// invalid (an invalid one is kept as its name + ".bad").
void AttachDemoImage(const QString& folder);
