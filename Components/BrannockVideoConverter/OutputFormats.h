#pragma once

#include <string_view>

// What ffmpeg 5.1 makes of an output file name. The converter hands ffmpeg an
// unnamed temporary file, so it names the muxer (and, for pictures, the
// encoder) that ffmpeg would otherwise pick from the file's extension.
namespace converter {

// The extension of a path without the dot ("" when there is none).
std::string_view extensionOf(std::string_view path);

// The muxer ffmpeg picks for the path's extension, for the common formats that
// write one file; empty for any other extension.
std::string_view muxerForFile(std::string_view path);

// The encoder of a single picture written by the image2 muxer: the image format
// the extension names, else JPEG (a PSP thumbnail is a ".thm").
std::string_view pictureEncoderForFile(std::string_view path);

// The video encoder ffmpeg picks for a muxer when none is given; empty when it
// is not one this table knows.
std::string_view defaultVideoEncoder(std::string_view muxer);

} // namespace converter
