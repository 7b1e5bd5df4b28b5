#pragma once

#include "core/flash/ScanContext.h"

class TDriveFileInfo;

// Name, size, folder flag and time of a flash-drive file, from its header
// field and the first page of its first listed block. Link failures raise
// TERecXchange.
void CollectDriveFileInfo(const TScanContext& context, TDriveFileInfo& file);
