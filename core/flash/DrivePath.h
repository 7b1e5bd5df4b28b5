#pragma once

#include <QString>

// Recorder-side names use "\" as separator. A view folder has one canonical
// form: "\" for the root, else "\A\B\" (leading and trailing "\").

// Removes every leading and every trailing "\".
QString TrimBackslashes(const QString& path);
// "\" for an empty path; appends "\" when the last character is not one.
QString EnsureTrailingBackslash(const QString& path);
// The canonical form of a view folder: "\", "\A\", "\A\B\".
QString CanonicalDriveFolder(const QString& folder);
// The recorder-side name of a name relative to a view folder:
// ("\A\", "B\c.txt") -> "\A\B\c.txt".
QString DriveNameInFolder(const QString& folder, const QString& relativeName);
// The name as the recorder stores it, without a leading "\":
// ("\A\", "B\c.txt") -> "A\B\c.txt".
QString StoredDriveName(const QString& folder, const QString& relativeName);
// The parts up to and including, and after, the last "\" or ":".
QString DriveFolderPart(const QString& name);
QString DriveNamePart(const QString& name);
