#include "Components/BrannockVideoConverter/CodingProbe.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/pixdesc.h>
}

namespace converter {
namespace {

constexpr int kMostPacketsForAPicture = 400;

// A source opened and its streams read, closed on leaving.
class OpenedSource {
public:
    explicit OpenedSource(const std::string &path) {
        av_log_set_level(AV_LOG_QUIET);
        const std::string url = "file:" + path;
        if (avformat_open_input(&m_context, url.c_str(), nullptr, nullptr) < 0)
            m_context = nullptr;
        else if (avformat_find_stream_info(m_context, nullptr) < 0)
            avformat_close_input(&m_context);
    }
    ~OpenedSource() {
        if (m_context)
            avformat_close_input(&m_context);
    }
    OpenedSource(const OpenedSource &) = delete;
    OpenedSource &operator=(const OpenedSource &) = delete;

    AVFormatContext *get() const { return m_context; }

    // The first picture stream that is no cover art; nullptr when none.
    AVStream *video() const {
        for (unsigned i = 0; m_context && i < m_context->nb_streams; ++i) {
            AVStream *stream = m_context->streams[i];
            if (stream->codecpar->codec_type == AVMEDIA_TYPE_VIDEO &&
                (stream->disposition & AV_DISPOSITION_ATTACHED_PIC) == 0)
                return stream;
        }
        return nullptr;
    }

private:
    AVFormatContext *m_context = nullptr;
};

std::string profileName(const AVCodecParameters *codec) {
    const char *name = avcodec_profile_name(codec->codec_id, codec->profile);
    return name ? name : "";
}

// The stream's own bit rate, else the statistics tag Matroska muxers write ("BPS").
std::optional<long long> statedBitRate(const AVStream *stream) {
    if (stream->codecpar->bit_rate > 0)
        return stream->codecpar->bit_rate;
    const AVDictionaryEntry *tag =
        av_dict_get(stream->metadata, "BPS", nullptr, AV_DICT_IGNORE_SUFFIX);
    if (tag && tag->value) {
        char *end = nullptr;
        const long long value = std::strtoll(tag->value, &end, 10);
        if (end != tag->value && *end == '\0' && value > 0)
            return value;
    }
    return std::nullopt;
}

// The reference frames the H.264 decoder found in the sequence header once
// it has decoded the first picture.
std::optional<int> referenceFrames(AVFormatContext *context, const AVStream *stream) {
    const AVCodec *decoder = avcodec_find_decoder(stream->codecpar->codec_id);
    AVCodecContext *codec = decoder ? avcodec_alloc_context3(decoder) : nullptr;
    AVPacket *packet = av_packet_alloc();
    AVFrame *frame = av_frame_alloc();
    std::optional<int> references;
    if (codec && packet && frame && avcodec_parameters_to_context(codec, stream->codecpar) >= 0) {
        codec->thread_count = 1; // the first picture comes out of the first packets
        if (avcodec_open2(codec, decoder, nullptr) >= 0) {
            for (int read = 0; read < kMostPacketsForAPicture && !references; ++read) {
                if (av_read_frame(context, packet) < 0)
                    break;
                if (packet->stream_index == stream->index &&
                    avcodec_send_packet(codec, packet) >= 0 &&
                    avcodec_receive_frame(codec, frame) >= 0)
                    references = codec->refs;
                av_packet_unref(packet);
            }
        }
    }
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&codec);
    return references;
}

// A second, a millisecond short: frames stamped at whole multiples of their
// interval, rounded, still fall into one window as many times as a second
// holds them.
constexpr double kWindow = 0.999;

struct TimedPacket {
    double seconds = 0; // its presentation time (else its decoding time)
    double duration = 0;
    long long bytes = 0;
};

// The stream's packets in the order of their times; the other streams are
// not read.
std::vector<TimedPacket> packetsOf(AVFormatContext *context, const AVStream *stream) {
    for (unsigned i = 0; i < context->nb_streams; ++i) {
        if (static_cast<int>(i) != stream->index)
            context->streams[i]->discard = AVDISCARD_ALL;
    }
    std::vector<TimedPacket> packets;
    AVPacket *packet = av_packet_alloc();
    const double base = av_q2d(stream->time_base);
    while (packet && av_read_frame(context, packet) >= 0) {
        const int64_t time = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
        if (packet->stream_index == stream->index && time != AV_NOPTS_VALUE)
            packets.push_back({static_cast<double>(time) * base,
                               static_cast<double>(packet->duration) * base, packet->size});
        av_packet_unref(packet);
    }
    av_packet_free(&packet);
    std::sort(packets.begin(), packets.end(),
              [](const TimedPacket &a, const TimedPacket &b) { return a.seconds < b.seconds; });
    return packets;
}

} // namespace

std::optional<StreamCoding> probeCoding(const std::string &path) {
    OpenedSource source(path);
    AVFormatContext *context = source.get();
    if (!context)
        return std::nullopt;
    StreamCoding coding;
    for (unsigned i = 0; i < context->nb_streams; ++i) {
        const AVStream *stream = context->streams[i];
        const AVCodecParameters *codec = stream->codecpar;
        if (codec->codec_type != AVMEDIA_TYPE_AUDIO)
            continue;
        SoundCoding sound;
        sound.codec = avcodec_get_name(codec->codec_id);
        sound.profile = profileName(codec);
        sound.sampleRate = codec->sample_rate;
        sound.channels = codec->ch_layout.nb_channels;
        sound.bitRate = statedBitRate(stream);
        coding.audio.push_back(sound);
    }
    if (const AVStream *stream = source.video()) {
        const AVCodecParameters *codec = stream->codecpar;
        VideoCoding &video = coding.video;
        video.codec = avcodec_get_name(codec->codec_id);
        video.profile = profileName(codec);
        video.level = codec->level;
        video.reordered = codec->video_delay > 0;
        const char *format = av_get_pix_fmt_name(static_cast<AVPixelFormat>(codec->format));
        video.pixelFormat = format ? format : "";
        const AVRational rate =
            stream->avg_frame_rate.num > 0 ? stream->avg_frame_rate : stream->r_frame_rate;
        if (rate.num > 0 && rate.den > 0)
            video.frameRate = av_q2d(rate);
        video.bitRate = statedBitRate(stream);
        if (codec->codec_id == AV_CODEC_ID_H264)
            video.referenceFrames = referenceFrames(context, stream);
    }
    return coding;
}

std::optional<VideoRates> measureVideoRates(const std::string &path) {
    OpenedSource source(path);
    const AVStream *stream = source.video();
    const std::vector<TimedPacket> packets =
        stream ? packetsOf(source.get(), stream) : std::vector<TimedPacket>();
    if (packets.empty())
        return std::nullopt;
    VideoRates rates;
    long long bytes = 0;
    double last = packets.front().seconds;
    for (const TimedPacket &packet : packets) {
        bytes += packet.bytes;
        last = std::max(last, packet.seconds + packet.duration);
    }
    const double seconds = last - packets.front().seconds;
    if (bytes == 0 || !(seconds > 0))
        return std::nullopt;
    rates.bitRate = std::llround(static_cast<double>(bytes) * 8 / seconds);
    // The busiest second: every window that starts at a packet.
    std::size_t end = 0;
    long long windowBytes = 0;
    for (std::size_t begin = 0; begin < packets.size(); ++begin) {
        while (end < packets.size() && packets[end].seconds < packets[begin].seconds + kWindow) {
            windowBytes += packets[end].bytes;
            ++end;
        }
        rates.peakFrames = std::max(rates.peakFrames, static_cast<int>(end - begin));
        rates.peakBits = std::max(rates.peakBits, windowBytes * 8);
        windowBytes -= packets[begin].bytes;
    }
    return rates;
}

std::optional<double> keyFrameAtOrBefore(const std::string &path, double seconds) {
    OpenedSource source(path);
    AVFormatContext *context = source.get();
    const AVStream *stream = source.video();
    AVPacket *packet = stream ? av_packet_alloc() : nullptr;
    if (!packet)
        return std::nullopt;
    const int64_t fileStart = context->start_time != AV_NOPTS_VALUE ? context->start_time : 0;
    const int64_t wanted = std::llround(seconds * AV_TIME_BASE) + fileStart;
    std::optional<double> found;
    if (av_seek_frame(context, stream->index,
                      av_rescale_q(wanted, AV_TIME_BASE_Q, stream->time_base),
                      AVSEEK_FLAG_BACKWARD) >= 0) {
        while (!found && av_read_frame(context, packet) >= 0) {
            const int64_t time = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
            if (packet->stream_index == stream->index && time != AV_NOPTS_VALUE) {
                if ((packet->flags & AV_PKT_FLAG_KEY) == 0) {
                    av_packet_unref(packet);
                    break; // the seek did not land on a key frame
                }
                found = static_cast<double>(time) * av_q2d(stream->time_base) -
                        static_cast<double>(fileStart) / AV_TIME_BASE;
            }
            av_packet_unref(packet);
        }
    }
    av_packet_free(&packet);
    // A key frame just after the position would cut away what was asked for.
    if (found && *found > seconds + 1e-6)
        return std::nullopt;
    return found;
}

} // namespace converter
