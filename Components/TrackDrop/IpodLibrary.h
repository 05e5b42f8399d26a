#pragma once

#include <cstdint>
#include <string>

// Adding converted files to a mounted iPod's own database through libgpod,
// as iTunes would have synced them. The library on the iPod is the user's:
// every step either completes or leaves the database as it was.
namespace trackdrop {

// Whether an iPod database is at the mount point.
bool isIpod(const std::string &mountPoint);

// The backup of the database kept beside it.
std::string backupPath(const std::string &mountPoint);

// Before a batch: checks that the iPod's database can be read and written
// so that the iPod accepts it, and backs it up. Returns false and sets
// `error` (why, one line) when the batch must not write to it.
bool prepareIpod(const std::string &mountPoint, std::string &error);

// Why a file of `fileSize` bytes does not fit into the `available` bytes,
// counting the room kept free for the database.
std::string ipodFullReason(std::uint64_t available, std::uint64_t fileSize);

// Copies `file` (absolute) onto the iPod and lists it in the database's
// main list, with its length and size, as what its tags say: a movie, TV
// episode (with show, season and episode) or music video, with its title
// (else its name without the extension) and its cover as artwork where
// the iPod shows artwork; without tags a movie, or a song without video.
// On failure the database, its artwork and the iPod are as they were, and
// `error` says why. Once the file is in the database, the signals that end
// a batch are held off until the program exits, so that it can say so.
bool addToIpod(const std::string &mountPoint, const std::string &file, std::string &error);

} // namespace trackdrop
