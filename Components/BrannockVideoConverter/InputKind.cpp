#include "Components/BrannockVideoConverter/InputKind.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace converter {

InputKind inputKindOf(const std::string &path) {
    struct stat info {};
    if (path.empty() || ::stat(path.c_str(), &info) != 0)
        return errno == EACCES ? InputKind::Unreadable : InputKind::Missing;
    if (S_ISDIR(info.st_mode))
        return InputKind::Folder;
    if (S_ISFIFO(info.st_mode))
        return InputKind::Fifo;
    if (S_ISSOCK(info.st_mode))
        return InputKind::Socket;
    if (S_ISCHR(info.st_mode))
        return InputKind::CharacterDevice;
    if (S_ISBLK(info.st_mode))
        return InputKind::BlockDevice;
    return ::access(path.c_str(), R_OK) == 0 ? InputKind::RegularFile : InputKind::Unreadable;
}

std::string inputKindProblem(InputKind kind) {
    switch (kind) {
    case InputKind::RegularFile:
        return {};
    case InputKind::Missing:
        return "no such file or directory";
    case InputKind::Folder:
        return "is a folder, not a video file";
    case InputKind::Fifo:
        return "is not a regular file (a FIFO)";
    case InputKind::Socket:
        return "is not a regular file (a socket)";
    case InputKind::CharacterDevice:
        return "is not a regular file (a character device)";
    case InputKind::BlockDevice:
        return "is not a regular file (a block device)";
    case InputKind::Unreadable:
        return "permission denied";
    }
    return {};
}

} // namespace converter
