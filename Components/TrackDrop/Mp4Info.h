#pragma once

#include "Components/TrackDrop/Mp4Tags.h"

#include <cstdint>
#include <string>

// What an iPod's database needs to know about a converted file that the
// file itself says: read from its MP4 boxes (the movie header, the
// tracks' handlers and the tags), without reading the media data.
namespace trackdrop {

struct Mp4Info {
    bool valid = false;          // an MP4 (or QuickTime) file with a movie header
    std::int64_t durationMs = 0; // 0 when the header gives none
    bool hasVideo = false;       // a track with a video handler
    Mp4Tags tags;
};

Mp4Info readMp4Info(const std::string &path);

} // namespace trackdrop
