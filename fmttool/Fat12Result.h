#pragma once

// Result codes of the FAT12 builder's operations.
enum TFat12Result : int {
    fat12Ok = 0,
    fat12EmptyPath = 1,
    fat12BadArgument = 2,  // missing or empty argument, or a geometry not served
    fat12NotFound = 3,     // not found, or a file cannot be opened, read or written
    fat12NoMemory = 4,
    fat12DiskFull = 5,       // no free cluster, or no free root entry
    fat12CannotCreate = 6,   // bad name, or the new entry cannot be found again
    fat12CannotOpenDir = 7,  // a subdirectory cannot be opened
    fat12Exists = 8,
};
