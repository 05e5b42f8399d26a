// TrackDrop's reader of a converted file's iTunes tags. Input: the content
// of a movie box in hexadecimal (other characters are skipped), so that
// seed files are plain text.
//
// What must hold: nothing crashes or reads outside the bytes, whatever the
// boxes' sizes say; every text and the cover are bytes of the input, and
// no text holds a NUL.
#include "tests/fuzz/FuzzInput.h"

#include "Components/TrackDrop/Mp4Tags.h"

namespace {

void checkPartOf(const std::string &value, const std::string &input, const char *what) {
    FUZZ_CHECK(value.empty() || input.find(value) != std::string::npos,
               QString::fromLatin1(what) + u" is not part of the input");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::string movie = QByteArray::fromHex(fuzz::bytes(data, size)).toStdString();
    const trackdrop::Mp4Tags tags = trackdrop::readMp4Tags(movie);
    for (const auto &[text, what] :
         {std::pair{&tags.title, "title"}, std::pair{&tags.show, "show"},
          std::pair{&tags.episodeId, "episode id"}, std::pair{&tags.sortTitle, "sort title"},
          std::pair{&tags.sortShow, "sort show"}}) {
        checkPartOf(*text, movie, what);
        FUZZ_CHECK(text->find('\0') == std::string::npos,
                   QString::fromLatin1(what) + u" holds a NUL");
    }
    checkPartOf(tags.cover, movie, "cover");
    return 0;
}
