#pragma once

// Stand-in for a Windows file HANDLE: an open POSIX file descriptor. The
// recorder's flash-drive jobs read from and write to files the caller opened.
using HANDLE = int;

inline constexpr HANDLE INVALID_HANDLE_VALUE = -1;
