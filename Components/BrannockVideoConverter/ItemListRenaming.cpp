#include "Components/BrannockVideoConverter/ItemListRenaming.h"

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace converter {
namespace {

struct Box {
    long long at = 0;   // where its header begins
    long long body = 0; // where its contents begin
    long long end = 0;  // where it ends
    std::string type;
};

bool readAt(int fd, long long at, unsigned char *bytes, std::size_t count) {
    std::size_t done = 0;
    while (done < count) {
        const ssize_t got = ::pread(fd, bytes + done, count - done, static_cast<off_t>(at + done));
        if (got <= 0)
            return false;
        done += static_cast<std::size_t>(got);
    }
    return true;
}

std::uint64_t bigEndian(const unsigned char *bytes, int count) {
    std::uint64_t value = 0;
    for (int i = 0; i < count; ++i)
        value = (value << 8) | bytes[i];
    return value;
}

// The box whose header begins at `at`, within a parent that ends at `limit`.
std::optional<Box> boxAt(int fd, long long at, long long limit) {
    unsigned char header[16];
    if (at + 8 > limit || !readAt(fd, at, header, 8))
        return std::nullopt;
    Box box;
    box.at = at;
    box.type.assign(reinterpret_cast<const char *>(header + 4), 4);
    std::uint64_t size = bigEndian(header, 4);
    box.body = at + 8;
    if (size == 1) {
        if (at + 16 > limit || !readAt(fd, at + 8, header + 8, 8))
            return std::nullopt;
        size = bigEndian(header + 8, 8);
        box.body = at + 16;
    } else if (size == 0) {
        size = static_cast<std::uint64_t>(limit - at); // to the end of its parent
    }
    if (size < static_cast<std::uint64_t>(box.body - at) ||
        size > static_cast<std::uint64_t>(limit - at))
        return std::nullopt;
    box.end = at + static_cast<long long>(size);
    return box;
}

std::optional<Box> child(int fd, long long begin, long long end, const std::string &type) {
    for (long long at = begin; at < end;) {
        const std::optional<Box> box = boxAt(fd, at, end);
        if (!box)
            return std::nullopt;
        if (box->type == type)
            return box;
        at = box->end;
    }
    return std::nullopt;
}

// Where the children of a "meta" box begin: it is a full box (a version and
// flags word first) in MP4 files, a plain one in some QuickTime files.
long long metaChildren(int fd, const Box &meta) {
    unsigned char word[8];
    if (meta.body + 8 <= meta.end && readAt(fd, meta.body, word, 8) &&
        std::memcmp(word + 4, "hdlr", 4) == 0)
        return meta.body;
    return meta.body + 4;
}

} // namespace

int renameItems(int fd, const std::vector<ItemRename> &renames) {
    struct stat file {};
    if (renames.empty())
        return 0;
    if (::fstat(fd, &file) != 0)
        return -1;
    const std::optional<Box> moov = child(fd, 0, file.st_size, "moov");
    const std::optional<Box> udta = moov ? child(fd, moov->body, moov->end, "udta") : std::nullopt;
    const std::optional<Box> meta = udta ? child(fd, udta->body, udta->end, "meta") : std::nullopt;
    const std::optional<Box> ilst =
        meta ? child(fd, metaChildren(fd, *meta), meta->end, "ilst") : std::nullopt;
    if (!ilst)
        return -1;
    int renamed = 0;
    for (long long at = ilst->body; at < ilst->end;) {
        const std::optional<Box> item = boxAt(fd, at, ilst->end);
        if (!item)
            return -1;
        for (const ItemRename &rename : renames) {
            if (item->type != rename.from || rename.to.size() != 4)
                continue;
            if (::pwrite(fd, rename.to.data(), 4, static_cast<off_t>(item->at + 4)) != 4)
                return -1;
            ++renamed;
        }
        at = item->end;
    }
    return renamed;
}

} // namespace converter
