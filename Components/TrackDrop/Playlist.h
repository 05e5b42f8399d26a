#pragma once

#include <string>

// The playlist TrackDrop adds converted files to: "Mobivert.m3u8" in the
// user's music folder, one absolute path a line after the "#EXTM3U" header.
namespace trackdrop {

// $XDG_MUSIC_DIR when it is an absolute path, else "Music" in the home folder.
std::string musicFolder();

// The absolute form of `path`: its folder resolved, its own name kept.
// Returns "" and sets `error` when the file is missing or is not a file.
std::string absoluteFilePath(const std::string &path, std::string &error);

// Adds `file` (absolute) to the playlist at `playlist`, creating the playlist
// with its header when missing or empty. A file already listed (under this or
// another name) is not added again. Returns false and sets `error` on failure.
// Once it is listed, the signals that end a batch are held off until the
// program exits, so that it can say so.
bool addToPlaylist(const std::string &playlist, const std::string &file, std::string &error);

} // namespace trackdrop
