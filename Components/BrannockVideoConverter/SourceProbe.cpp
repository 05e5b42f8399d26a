#include "Components/BrannockVideoConverter/SourceProbe.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <fcntl.h>
#include <string_view>
#include <unistd.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/display.h>
}

namespace converter {
namespace {

class InputContext {
public:
    explicit InputContext(const std::string &path) {
        const std::string url = "file:" + path;
        if (avformat_open_input(&m_context, url.c_str(), nullptr, nullptr) < 0)
            m_context = nullptr;
    }
    ~InputContext() {
        if (m_context)
            avformat_close_input(&m_context);
    }
    InputContext(const InputContext &) = delete;
    InputContext &operator=(const InputContext &) = delete;

    AVFormatContext *get() const { return m_context; }

private:
    AVFormatContext *m_context = nullptr;
};

std::string tag(const AVStream *stream, const char *key) {
    const AVDictionaryEntry *entry = av_dict_get(stream->metadata, key, nullptr, 0);
    return entry && entry->value ? entry->value : "";
}

std::optional<double> startOf(const AVStream *stream) {
    if (stream->start_time == AV_NOPTS_VALUE)
        return std::nullopt;
    return static_cast<double>(stream->start_time) * av_q2d(stream->time_base);
}

FieldOrder fieldOrderOf(AVFieldOrder order) {
    switch (order) {
    case AV_FIELD_PROGRESSIVE:
        return FieldOrder::Progressive;
    case AV_FIELD_TT:
    case AV_FIELD_TB:
        return FieldOrder::TopFirst;
    case AV_FIELD_BB:
    case AV_FIELD_BT:
        return FieldOrder::BottomFirst;
    default:
        return FieldOrder::Unknown;
    }
}

bool isPictureSubtitle(AVCodecID codec) {
    return codec == AV_CODEC_ID_HDMV_PGS_SUBTITLE || codec == AV_CODEC_ID_DVD_SUBTITLE ||
           codec == AV_CODEC_ID_DVB_SUBTITLE || codec == AV_CODEC_ID_XSUB;
}

// How the first picture of the stream says it was scanned. MPEG-4 Part 2
// states it in its sequence header, which only reaches the decoded frames;
// other codecs without a field order of their own say nothing this way.
FieldOrder firstFrameScan(AVFormatContext *context, const AVStream *stream) {
    const AVCodec *decoder = avcodec_find_decoder(stream->codecpar->codec_id);
    AVCodecContext *codec = decoder ? avcodec_alloc_context3(decoder) : nullptr;
    AVPacket *packet = av_packet_alloc();
    AVFrame *frame = av_frame_alloc();
    FieldOrder order = FieldOrder::Unknown;
    if (codec && packet && frame && avcodec_parameters_to_context(codec, stream->codecpar) >= 0 &&
        avcodec_open2(codec, decoder, nullptr) >= 0) {
        for (int read = 0; read < 200 && order == FieldOrder::Unknown; ++read) {
            if (av_read_frame(context, packet) < 0)
                break;
            if (packet->stream_index == stream->index && avcodec_send_packet(codec, packet) >= 0 &&
                avcodec_receive_frame(codec, frame) >= 0) {
                order = !frame->interlaced_frame ? FieldOrder::Progressive
                        : frame->top_field_first ? FieldOrder::TopFirst
                                                 : FieldOrder::BottomFirst;
            }
            av_packet_unref(packet);
        }
    }
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&codec);
    return order;
}

// A sound or subtitle track, as the stream names it.
SourceTrack trackOf(const AVStream *stream, int number) {
    SourceTrack track;
    track.number = number;
    track.language = tag(stream, "language");
    track.codec = avcodec_get_name(stream->codecpar->codec_id);
    track.isDefault = (stream->disposition & AV_DISPOSITION_DEFAULT) != 0;
    return track;
}

void readPixelAspect(AVFormatContext *context, const AVStream *stream, SourceFacts &facts) {
    const AVRational sar =
        av_guess_sample_aspect_ratio(context, const_cast<AVStream *>(stream), nullptr);
    if (sar.num > 0 && sar.den > 0) {
        AVRational reduced{};
        av_reduce(&reduced.num, &reduced.den, sar.num, sar.den, 1 << 16);
        facts.sarNum = reduced.num;
        facts.sarDen = reduced.den;
    }
}

double secondsOf(int64_t time, AVRational base) {
    return static_cast<double>(time) * av_q2d(base);
}

double fileStartOf(const AVFormatContext *context) {
    return context->start_time != AV_NOPTS_VALUE
               ? static_cast<double>(context->start_time) / AV_TIME_BASE
               : 0.0;
}

// Seconds from the file's start to the stream's end, as the stream states
// it: its start and duration, else the "DURATION" tag Matroska muxers write
// ("00:00:06.000000000", where ffmpeg's muxer puts the end of the track).
std::optional<double> statedEnd(const AVFormatContext *context, const AVStream *stream) {
    const double fileStart = fileStartOf(context);
    if (stream->duration != AV_NOPTS_VALUE && stream->duration > 0) {
        const double start = stream->start_time != AV_NOPTS_VALUE
                                 ? secondsOf(stream->start_time, stream->time_base)
                                 : fileStart;
        return start - fileStart + secondsOf(stream->duration, stream->time_base);
    }
    const std::string text = tag(stream, "DURATION");
    unsigned hours = 0, minutes = 0;
    double seconds = 0;
    if (std::sscanf(text.c_str(), "%u:%u:%lf", &hours, &minutes, &seconds) == 3 && seconds >= 0 &&
        (hours > 0 || minutes > 0 || seconds > 0))
        return hours * 3600.0 + minutes * 60.0 + seconds - fileStart;
    return std::nullopt;
}

// Seconds from the file's start to the end of its picture and sound
// streams (cover art aside), where their streams state it.
std::optional<double> mediaEnd(const AVFormatContext *context) {
    std::optional<double> end;
    for (unsigned i = 0; i < context->nb_streams; ++i) {
        const AVStream *stream = context->streams[i];
        const AVMediaType type = stream->codecpar->codec_type;
        if ((type != AVMEDIA_TYPE_VIDEO && type != AVMEDIA_TYPE_AUDIO) ||
            (stream->disposition & AV_DISPOSITION_ATTACHED_PIC) != 0)
            continue;
        if (const std::optional<double> streamEnd = statedEnd(context, stream))
            end = std::max(end.value_or(0), *streamEnd);
    }
    return end;
}

// Seconds from the file's start to the end of its last chapter.
std::optional<double> chaptersEnd(const AVFormatContext *context) {
    std::optional<double> end;
    for (unsigned i = 0; i < context->nb_chapters; ++i) {
        const AVChapter *chapter = context->chapters[i];
        end = std::max(end.value_or(0),
                       secondsOf(chapter->end, chapter->time_base) - fileStartOf(context));
    }
    return end;
}

// Whether an MP4 or QuickTime file holds a media data box among its top-level
// boxes (a fragmented file: a movie fragment), which its samples are read from.
bool holdsMediaDataBox(const std::string &path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return true; // not known: ffmpeg says what is wrong
    bool found = false;
    long long at = 0;
    unsigned char header[16];
    while (!found && ::pread(fd, header, sizeof header, at) >= 8) {
        unsigned long long size = 0;
        for (int i = 0; i < 4; ++i)
            size = size << 8 | header[i];
        const std::string_view type(reinterpret_cast<const char *>(header) + 4, 4);
        if (size == 1) { // a 64-bit size follows the type
            size = 0;
            for (int i = 8; i < 16; ++i)
                size = size << 8 | header[i];
        }
        found = type == "mdat" || type == "moof";
        if (size < 8 || size > static_cast<unsigned long long>(LLONG_MAX - at))
            break; // up to the end of the file, or no box at all
        at += static_cast<long long>(size);
    }
    ::close(fd);
    return found;
}

// The length of the picture and the frames it states.
void readPictureLength(const AVFormatContext *context, const AVStream *stream, SourceFacts &facts) {
    const double start = stream->start_time != AV_NOPTS_VALUE
                             ? secondsOf(stream->start_time, stream->time_base)
                             : fileStartOf(context);
    if (const std::optional<double> end = statedEnd(context, stream))
        facts.videoDuration = *end - (start - fileStartOf(context));
    facts.videoFrames = std::max<int64_t>(0, stream->nb_frames);
    if (stream->avg_frame_rate.num > 0 && stream->avg_frame_rate.den > 0)
        facts.videoFrameRate = av_q2d(stream->avg_frame_rate);
}

// The facts of the picture stream.
void readPicture(AVFormatContext *context, const AVStream *stream, SourceFacts &facts) {
    const AVCodecParameters *codec = stream->codecpar;
    facts.hasVideo = true;
    facts.videoCodec = avcodec_get_name(codec->codec_id);
    facts.width = codec->width;
    facts.height = codec->height;
    facts.rotation = displayRotation(stream);
    readPixelAspect(context, stream, facts);
    facts.fieldOrder = fieldOrderOf(codec->field_order);
    if (facts.fieldOrder == FieldOrder::Unknown && codec->codec_id == AV_CODEC_ID_MPEG4)
        facts.fieldOrder = firstFrameScan(context, stream);
    if (codec->color_trc == AVCOL_TRC_SMPTE2084)
        facts.transfer = Transfer::Pq;
    else if (codec->color_trc == AVCOL_TRC_ARIB_STD_B67)
        facts.transfer = Transfer::Hlg;
    facts.primariesTagged = codec->color_primaries != AVCOL_PRI_UNSPECIFIED;
    facts.matrixTagged = codec->color_space != AVCOL_SPC_UNSPECIFIED;
    facts.videoStart = startOf(stream);
    readPictureLength(context, stream, facts);
    // An AVI file states its length as a count of frames in its headers;
    // ffmpeg's duration of a file cut short is what it found.
    if (std::string_view(context->iformat->name) == "avi" && stream->nb_frames > 0 &&
        stream->avg_frame_rate.num > 0 && stream->avg_frame_rate.den > 0) {
        const double stated =
            static_cast<double>(stream->nb_frames) / av_q2d(stream->avg_frame_rate);
        facts.duration = std::max(facts.duration.value_or(0), stated);
    }
}

} // namespace

int displayRotation(const AVStream *stream) {
    const uint8_t *matrix = av_stream_get_side_data(stream, AV_PKT_DATA_DISPLAYMATRIX, nullptr);
    if (!matrix)
        return 0;
    const double angle = av_display_rotation_get(reinterpret_cast<const int32_t *>(matrix));
    if (std::isnan(angle))
        return 0;
    // The matrix turns counter-clockwise; displays turn the picture clockwise.
    const long turns = std::lround(-angle / 90.0);
    return static_cast<int>(((turns % 4) + 4) % 4) * 90;
}

std::optional<SourceFacts> probeSource(const std::string &path) {
    av_log_set_level(AV_LOG_QUIET);
    InputContext input(path);
    AVFormatContext *context = input.get();
    if (!context || avformat_find_stream_info(context, nullptr) < 0)
        return std::nullopt;

    SourceFacts facts;
    facts.format = context->iformat->name;
    if (facts.format.find("mp4") != std::string::npos)
        facts.mediaDataMissing = !holdsMediaDataBox(path);
    facts.duration = mediaEnd(context);
    if (!facts.duration && context->duration != AV_NOPTS_VALUE && context->duration > 0)
        facts.duration = static_cast<double>(context->duration) / AV_TIME_BASE;
    facts.chaptersEnd = chaptersEnd(context);
    for (unsigned i = 0; i < context->nb_streams; ++i) {
        const AVStream *stream = context->streams[i];
        const AVMediaType type = stream->codecpar->codec_type;
        if (type == AVMEDIA_TYPE_VIDEO) {
            if ((stream->disposition & AV_DISPOSITION_ATTACHED_PIC) == 0 && !facts.hasVideo)
                readPicture(context, stream, facts);
        } else if (type == AVMEDIA_TYPE_AUDIO) {
            SourceTrack track = trackOf(stream, static_cast<int>(facts.audio.size()) + 1);
            track.channels = stream->codecpar->ch_layout.nb_channels;
            track.start = startOf(stream);
            facts.audio.push_back(track);
        } else if (type == AVMEDIA_TYPE_SUBTITLE) {
            SourceTrack track = trackOf(stream, static_cast<int>(facts.subtitles.size()) + 1);
            track.picture = isPictureSubtitle(stream->codecpar->codec_id);
            facts.subtitles.push_back(track);
        }
    }
    return facts;
}

} // namespace converter
