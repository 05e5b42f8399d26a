#include "core/base/GetShellFolder.h"

#include "core/platform/FileSystem.h"
#include "core/platform/UserFolders.h"

#include <QDir>

ShellFolderResult LookUpShellFolder(int folderId) {
    if ((folderId & ~CSIDL_FLAG_CREATE) != CSIDL_APPDATA)
        return {{}, ShellFolderStatus::InvalidFolderId};

    const QString folder = UserConfigFolder();
    if (IsDirectory(folder))
        return {folder, ShellFolderStatus::Ok};
    if (!(folderId & CSIDL_FLAG_CREATE))
        return {{}, ShellFolderStatus::FolderDoesNotExist};
    if (QDir().mkpath(folder) && IsDirectory(folder))
        return {folder, ShellFolderStatus::Ok};
    return {{}, ShellFolderStatus::Failed};
}

QString ShellFolderMessage(ShellFolderStatus status) {
    switch (status) {
    case ShellFolderStatus::InvalidFolderId:
        return QStringLiteral("Invalid Folder ID!");
    case ShellFolderStatus::FolderDoesNotExist:
        return QStringLiteral("ApplicationData Folder does not exist!");
    case ShellFolderStatus::Ok:
    case ShellFolderStatus::Failed:
        break;
    }
    return {};
}
