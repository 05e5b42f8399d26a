#pragma once

#include <QString>

// Joins a folder and a name with the native separator. Every path the
// program builds goes through here, so a folder ending in "/" (the root)
// never yields a doubled separator.
QString JoinPath(const QString &folder, const QString &name);

// stat()-based tests: false whenever the path cannot be examined.
bool IsDirectory(const QString &path);
bool IsNonDirectory(const QString &path);

// Gives the owner write permission when the file exists; the counterpart of
// resetting a file's attributes to normal. Returns false when nothing changed.
bool MakeOwnerWritable(const QString &path);
