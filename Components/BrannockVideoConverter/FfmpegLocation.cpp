#include "Components/BrannockVideoConverter/FfmpegLocation.h"

#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace converter {
namespace {

bool isExecutableFile(const std::string &path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           ::access(path.c_str(), X_OK) == 0;
}

} // namespace

std::optional<std::string> findProgram(std::string_view program, std::string_view searchPath) {
    if (program.empty())
        return std::nullopt;
    if (program.find('/') != std::string_view::npos) {
        std::string path(program);
        return isExecutableFile(path) ? std::optional(path) : std::nullopt;
    }
    while (true) {
        const std::size_t colon = searchPath.find(':');
        std::string folder(searchPath.substr(0, colon));
        if (folder.empty())
            folder = "."; // an empty entry is the current folder
        std::string candidate = folder + '/' + std::string(program);
        if (isExecutableFile(candidate))
            return candidate;
        if (colon == std::string_view::npos)
            return std::nullopt;
        searchPath.remove_prefix(colon + 1);
    }
}

std::optional<std::string> findFfmpeg() {
    const char *chosen = std::getenv("MOBIVERT_FFMPEG");
    const char *path = std::getenv("PATH");
    const std::string_view searchPath = path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
    if (chosen != nullptr && *chosen != '\0')
        return findProgram(chosen, searchPath);
    return findProgram("ffmpeg", searchPath);
}

} // namespace converter
