#pragma once

#include <string>
#include <string_view>

// File work that leaves nothing half-done: every write is checked, a copy
// or a replacement that fails leaves no partial file behind, and what was
// written is on the disk (fsync) before it counts as done.
namespace trackdrop {

// The text of an errno value.
std::string errnoText(int error);

bool writeAll(int fd, std::string_view text);
bool readAll(int fd, std::string &text);

// Reads a whole file. Returns false and sets `error` when it cannot.
bool readFile(const std::string &path, std::string &bytes, std::string &error);

// Replaces `path` with `bytes` atomically: a new file beside it, written
// and synced, then renamed over it, and the folder synced. On failure the
// old file is untouched and the new one removed.
bool replaceFile(const std::string &path, std::string_view bytes, std::string &error);

// Copies `from` to the new file `to` (which must not exist) and syncs it.
// On failure `to` is removed.
bool copyFile(const std::string &from, const std::string &to, std::string &error);

// The folder part of a path ("." for a bare name).
std::string folderOf(const std::string &path);

} // namespace trackdrop
