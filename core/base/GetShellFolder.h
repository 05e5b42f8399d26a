#pragma once

#include <QString>

// Folder ids of the shell-folder lookup that Mobivert uses.
inline constexpr int CSIDL_APPDATA = 0x1A;
inline constexpr int CSIDL_FLAG_CREATE = 0x8000;

enum class ShellFolderStatus {
    Ok,
    InvalidFolderId,    // the id names no folder this platform knows
    FolderDoesNotExist, // the folder is missing and was not to be created
    Failed,             // anything else, such as a folder that cannot be made
};

struct ShellFolderResult {
    QString path; // empty unless status is Ok
    ShellFolderStatus status = ShellFolderStatus::Failed;
};

// Looks up a per-user folder. The application-data id maps to the user's
// configuration folder; with CSIDL_FLAG_CREATE a missing folder is created.
ShellFolderResult LookUpShellFolder(int folderId);

// The message that a failed lookup shows, or empty text when it shows none.
QString ShellFolderMessage(ShellFolderStatus status);
