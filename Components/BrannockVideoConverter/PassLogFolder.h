#pragma once

#include <string>

namespace converter {

// The private folder that holds the pass log of a two-pass conversion:
// "mobivert-passes-XXXXXX" in $TMPDIR (or /tmp), readable by its owner only.
// The converter holds a lock on a file in it for as long as it runs, and
// removes the folder when the conversion ends in any way it sees: success,
// failure, or a signal. After a SIGKILL the lock goes with the process, so
// the next two-pass conversion of the same user finds the folder unlocked
// and removes it.
class PassLogFolder {
public:
    PassLogFolder() = default;
    ~PassLogFolder();
    PassLogFolder(const PassLogFolder &) = delete;
    PassLogFolder &operator=(const PassLogFolder &) = delete;

    // Removes the folders that earlier conversions left behind, then creates
    // and locks a new one. On failure returns false and sets `error`.
    bool create(std::string &error);

    // The -passlogfile prefix inside the folder.
    std::string logPrefix() const;

    // Removes the folder and everything in it.
    void remove();

    // The bytes this user may still write in the folder's file system; -1
    // when it cannot be told (no folder).
    long long freeBytes() const;

private:
    std::string m_path;
    int m_folderFd = -1;
    int m_lockFd = -1;
};

// $TMPDIR when it names a folder, else /tmp.
std::string temporaryFolder();

// What a failed two-pass conversion says about the folder of its pass log:
// "the pass log could not be written: the disk is full (FOLDER)" when the
// free space left there is below what a pass log needs, else nothing (an
// empty text), also when the free space is unknown (negative).
std::string passLogSpaceProblem(const std::string &folder, long long freeBytes);

// The name every pass-log folder starts with.
inline constexpr char kPassLogFolderPrefix[] = "mobivert-passes-";

} // namespace converter
