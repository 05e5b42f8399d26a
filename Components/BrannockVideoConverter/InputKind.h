#pragma once

#include <string>

// What a path names, as far as reading a video from it goes. Only a regular
// file that can be read is a source: a folder, a FIFO (which would block its
// reader until something writes to it), a device or a socket is refused
// before anything opens it, with words that say what it is.
namespace converter {

enum class InputKind {
    RegularFile,
    Missing,
    Folder,
    Fifo,
    Socket,
    CharacterDevice,
    BlockDevice,
    Unreadable,
};

// Examined with stat(), following symbolic links, so a link to /dev/zero is
// a character device; nothing is opened.
InputKind inputKindOf(const std::string &path);

// Why a path of that kind is no source: "is a folder, not a video file",
// "is not a regular file (a FIFO)", "permission denied", "no such file or
// directory"; empty for a readable regular file.
std::string inputKindProblem(InputKind kind);

} // namespace converter
