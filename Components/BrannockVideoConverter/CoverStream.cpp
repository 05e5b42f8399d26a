#include "Components/BrannockVideoConverter/CoverStream.h"

extern "C" {
#include <libavformat/avformat.h>
}

namespace converter {

std::optional<int> coverStreamIndex(const std::string &path) {
    av_log_set_level(AV_LOG_QUIET);
    AVFormatContext *context = nullptr;
    const std::string url = "file:" + path;
    if (avformat_open_input(&context, url.c_str(), nullptr, nullptr) < 0)
        return std::nullopt;
    std::optional<int> index;
    // The streams as the header lists them: attachments need no decoding.
    for (unsigned i = 0; i < context->nb_streams && !index; ++i) {
        const AVStream *stream = context->streams[i];
        if (stream->codecpar->codec_type == AVMEDIA_TYPE_VIDEO &&
            (stream->disposition & AV_DISPOSITION_ATTACHED_PIC) != 0)
            index = static_cast<int>(i);
    }
    avformat_close_input(&context);
    return index;
}

} // namespace converter
