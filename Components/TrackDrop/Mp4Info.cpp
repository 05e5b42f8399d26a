#include "Components/TrackDrop/Mp4Info.h"

#include "Components/TrackDrop/Mp4Boxes.h"

#include <cerrno>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace trackdrop {
namespace {

// A movie box larger than this is not something our converter writes.
constexpr std::uint64_t MaxMovieBox = 64u << 20;

bool readAt(int fd, std::uint64_t offset, char *buffer, std::size_t count) {
    while (count > 0) {
        const ssize_t got = ::pread(fd, buffer, count, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        buffer += got;
        offset += static_cast<std::uint64_t>(got);
        count -= static_cast<std::size_t>(got);
    }
    return true;
}

void readMovie(std::string_view movie, Mp4Info &info) {
    forEachBox(movie, [&info](const Mp4Box &box) {
        if (box.type == "mvhd" && box.content.size() >= 20) {
            // version and flags, then two times, the time scale and the
            // duration: 32-bit fields in version 0, 64-bit times and
            // duration in version 1.
            const bool wide = box.content[0] == 1;
            if (wide && box.content.size() < 32)
                return;
            const std::uint64_t scale = bigEndian(box.content, wide ? 20 : 12, 4);
            const std::uint64_t duration = bigEndian(box.content, wide ? 24 : 16, wide ? 8 : 4);
            const bool unknown = duration == (wide ? ~std::uint64_t(0) : 0xffffffffu);
            info.valid = true;
            if (scale > 0 && !unknown)
                info.durationMs = static_cast<std::int64_t>(duration * 1000 / scale);
        } else if (box.type == "trak") {
            forEachBox(box.content, [&info](const Mp4Box &part) {
                if (part.type != "mdia")
                    return;
                forEachBox(part.content, [&info](const Mp4Box &media) {
                    // version and flags, a pre-defined word, then the handler type.
                    if (media.type == "hdlr" && media.content.size() >= 12 &&
                        media.content.substr(8, 4) == "vide")
                        info.hasVideo = true;
                });
            });
        }
    });
    info.tags = readMp4Tags(movie);
}

} // namespace

Mp4Info readMp4Info(const std::string &path) {
    Mp4Info info;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return info;
    struct stat status {};
    std::uint64_t at = 0;
    const std::uint64_t end = ::fstat(fd, &status) == 0 ? std::uint64_t(status.st_size) : 0;
    // The top-level boxes, read header by header so that the media data
    // is skipped, up to the movie box.
    while (end - at >= 8) {
        char header[16];
        if (!readAt(fd, at, header, 8))
            break;
        std::uint64_t size = bigEndian(std::string_view(header, 8), 0, 4);
        std::uint64_t headerSize = 8;
        if (size == 1) {
            if (end - at < 16 || !readAt(fd, at + 8, header + 8, 8))
                break;
            size = bigEndian(std::string_view(header, 16), 8, 8);
            headerSize = 16;
        } else if (size == 0) {
            size = end - at;
        }
        if (size < headerSize || size > end - at)
            break;
        if (std::string_view(header + 4, 4) == "moov") {
            if (size - headerSize <= MaxMovieBox) {
                std::string movie(size - headerSize, '\0');
                if (readAt(fd, at + headerSize, movie.data(), movie.size()))
                    readMovie(movie, info);
            }
            break;
        }
        at += size;
    }
    ::close(fd);
    return info;
}

} // namespace trackdrop
