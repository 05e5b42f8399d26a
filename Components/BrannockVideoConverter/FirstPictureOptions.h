#pragma once

#include <string>
#include <vector>

namespace converter {

// The output options with those that name every picture stream narrowed to
// the first one, the converted picture: "-vf" becomes "-filter:v:0",
// "-vtag" "-tag:v:0", "-profile:v" "-profile:v:0" and so on. Another picture
// stream after it (the cover art) is then neither filtered nor tagged as the
// picture is, which lets ffmpeg copy it. Options for one stream in
// particular, or for every stream of any kind, stay as they are.
std::vector<std::string> firstPictureOnly(const std::vector<std::string> &options);

} // namespace converter
