#pragma once

#include <string>
#include <string_view>
#include <vector>

// Where the library looks for "service.dat": the paths named by the
// environment variable when it is set and not empty, otherwise the root of
// every FAT (vfat, msdos) mount in the order of the mount table.
inline constexpr const char* kMailboxPathsVariable = "Q71_MAILBOX_PATHS";
inline constexpr const char* kMailboxFileName = "service.dat";

// A field of the mount table with its octal escapes (\040 for a space,
// and tab, newline and backslash alike) undone.
std::string UnescapeMountField(std::string_view field);

// The mount points of FAT file systems in a /proc/self/mounts text, in
// order, with the table's octal escapes undone.
std::vector<std::string> FatMountPoints(std::string_view mountTable);

// The candidate mailbox paths: the variable's colon-separated entries
// (empty ones skipped) when variable is set and not empty, else
// "<mount point>/service.dat" for every FAT mount.
std::vector<std::string> MailboxCandidatePaths(const char* variable, std::string_view mountTable);
