#pragma once

#include "Components/BrannockVideoConverter/MediaTags.h"

#include <vector>

namespace converter {

// Gives items of a finished MP4 file's iTunes item list (moov/udta/meta/ilst)
// other four-character types, in place: the item keeps its size, so nothing
// else in the file moves. Wherever the movie box lies (before or after the
// media data). Returns how many items were renamed, or -1 when the file
// could not be read or written.
int renameItems(int fd, const std::vector<ItemRename> &renames);

} // namespace converter
