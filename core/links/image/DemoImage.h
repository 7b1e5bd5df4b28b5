#pragma once

#include <QString>

#include "core/links/image/ImageAttach.h"

// The demo connection's image, created in the user's documents folder.
inline constexpr const char kDemoImageName[] = "ZEL4_DEMO.QDM";

// The demo image's path in a folder (with or without "/" at the end).
QString DemoImagePath(const QString& folder);

// Attaches the demo image of that folder, creating it when it is missing or
// unusable (an unusable one is kept under the first free name of its name +
// ".bad", ".bad.1", ...). What the user must be told comes back.
TImageAttachNotice AttachDemoImage(const QString& folder);
