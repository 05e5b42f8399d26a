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
// main list: a movie when it has video, titled by its name without the
// extension, with its length and size. On failure the database and the
// iPod are as they were, and `error` says why.
bool addToIpod(const std::string &mountPoint, const std::string &file, std::string &error);

} // namespace trackdrop
