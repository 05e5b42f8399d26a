#pragma once

#include <cstdint>
#include <string_view>

// Walking the boxes (atoms) of an MP4 file held in memory. Every size is
// checked against the bytes there are: a box that claims more than is left
// ends the walk, whatever its header says.
namespace trackdrop {

// `count` bytes at `at` as a big-endian number; the caller checks the range.
inline std::uint64_t bigEndian(std::string_view bytes, std::size_t at, std::size_t count) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < count; ++i)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

struct Mp4Box {
    std::string_view type;
    std::string_view content;
};

// The boxes one after another in `bytes`: a 32-bit size, or 1 and a 64-bit
// size after the type, or 0 for "to the end". Stops at the first box that
// does not fit.
template<typename Visit>
void forEachBox(std::string_view bytes, Visit visit) {
    std::size_t at = 0;
    while (bytes.size() - at >= 8) {
        std::uint64_t size = bigEndian(bytes, at, 4);
        std::size_t header = 8;
        if (size == 1) {
            if (bytes.size() - at < 16)
                return;
            size = bigEndian(bytes, at + 8, 8);
            header = 16;
        } else if (size == 0) {
            size = bytes.size() - at;
        }
        if (size < header || size > bytes.size() - at)
            return;
        visit(Mp4Box{bytes.substr(at + 4, 4), bytes.substr(at + header, size - header)});
        at += size;
    }
}

// The content of the first box of that type in `bytes`; empty without one.
inline std::string_view firstBox(std::string_view bytes, std::string_view type) {
    std::string_view found;
    bool seen = false;
    forEachBox(bytes, [&](const Mp4Box &box) {
        if (!seen && box.type == type) {
            found = box.content;
            seen = true;
        }
    });
    return found;
}

} // namespace trackdrop
