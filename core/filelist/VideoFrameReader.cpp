#include "core/filelist/VideoFrameReader.h"

#include "Components/BrannockVideoConverter/SourceProbe.h"
#include "core/platform/FileSystem.h"
#include "core/platform/PathBytes.h"

#include <QTransform>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/log.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cmath>
#include <mutex>

namespace {

// The libraries print their complaints about broken files to standard
// error; a picture that cannot be had shows as "No picture" instead.
void quietLibraries() {
    static std::once_flag once;
    std::call_once(once, [] { av_log_set_level(AV_LOG_QUIET); });
}

int interruptCallback(void *opaque) {
    const auto *cancelled = static_cast<const VideoFrameReader::CancelTest *>(opaque);
    return *cancelled && (*cancelled)() ? 1 : 0;
}

struct FormatCloser {
    void operator()(AVFormatContext *format) const { avformat_close_input(&format); }
};
struct CodecFreer {
    void operator()(AVCodecContext *codec) const { avcodec_free_context(&codec); }
};
struct FrameFreer {
    void operator()(AVFrame *frame) const { av_frame_free(&frame); }
};
struct PacketFreer {
    void operator()(AVPacket *packet) const { av_packet_free(&packet); }
};
using FormatPtr = std::unique_ptr<AVFormatContext, FormatCloser>;
using CodecPtr = std::unique_ptr<AVCodecContext, CodecFreer>;
using FramePtr = std::unique_ptr<AVFrame, FrameFreer>;
using PacketPtr = std::unique_ptr<AVPacket, PacketFreer>;

// Opens a file for reading with an interrupt test; nullptr when it cannot be
// read as media.
FormatPtr openFormat(const QString &path, const VideoFrameReader::CancelTest *cancelled) {
    // The interrupt test cannot end an open() that waits on a FIFO.
    if (!OpensAsRegularFile(path))
        return nullptr;
    quietLibraries();
    AVFormatContext *raw = avformat_alloc_context();
    if (!raw)
        return nullptr;
    raw->interrupt_callback.callback = interruptCallback;
    raw->interrupt_callback.opaque = const_cast<VideoFrameReader::CancelTest *>(cancelled);
    // "file:" keeps a name with a colon from reading as a protocol.
    const QByteArray url = "file:" + PathToBytes(path);
    if (avformat_open_input(&raw, url.constData(), nullptr, nullptr) < 0)
        return nullptr; // the context is freed on failure
    FormatPtr format(raw);
    if (avformat_find_stream_info(format.get(), nullptr) < 0)
        return nullptr;
    return format;
}

} // namespace

struct VideoFrameReader::State {
    CancelTest cancelled;
    FormatPtr format;
    CodecPtr codec;
    AVStream *stream = nullptr;
    int rotation = 0; // clockwise degrees the picture is turned for display
    int streamIndex = -1;
    int64_t startPts = 0;         // the file's start in the stream's time base
    int64_t lastSkip = INT64_MIN; // frames from here on are always decoded
    PacketPtr packet{av_packet_alloc()};
    SwsContext *scaler = nullptr;

    // Decoder position: `shown` is the last frame handed out (or decoded on
    // the way to it), `ahead` a frame decoded past it and not yet used.
    FramePtr shown;
    int64_t shownPts = 0;
    int64_t shownEnd = 0; // where the next frame starts, as far as known
    FramePtr ahead;
    bool flushing = false; // the end of the file was reached and the decoder drains
    bool drained = false;  // no frame is left after `shown`

    ~State() { sws_freeContext(scaler); }

    bool stop() const { return cancelled && cancelled(); }
    double toSeconds(int64_t pts) const {
        return double(pts - startPts) * av_q2d(stream->time_base);
    }
    int64_t toPts(double seconds) const {
        // Far beyond any file, and still inside the range of the type.
        const double ticks = std::min(std::floor(seconds / av_q2d(stream->time_base) + 1e-6), 1e18);
        return startPts + int64_t(ticks);
    }
    int64_t frameDuration() const {
        const AVRational rate = av_guess_frame_rate(format.get(), stream, nullptr);
        if (rate.num <= 0 || rate.den <= 0)
            return 0;
        return av_rescale_q(1, av_inv_q(rate), stream->time_base);
    }

    void resetPosition() {
        shown.reset();
        ahead.reset();
        flushing = false;
        drained = false;
    }

    bool seek(int64_t pts) {
        resetPosition();
        avcodec_flush_buffers(codec.get());
        return av_seek_frame(format.get(), streamIndex, pts, AVSEEK_FLAG_BACKWARD) >= 0 ||
               av_seek_frame(format.get(), streamIndex, pts,
                             AVSEEK_FLAG_BACKWARD | AVSEEK_FLAG_ANY) >= 0;
    }

    // The next decoded frame; nullptr at the end, on cancel or a hard error.
    FramePtr nextFrame(int64_t target) {
        if (ahead)
            return std::move(ahead);
        FramePtr frame(av_frame_alloc());
        const int64_t oneFrame = frameDuration();
        while (!stop()) {
            const int received = avcodec_receive_frame(codec.get(), frame.get());
            if (received == 0)
                return frame;
            if (received == AVERROR_EOF) {
                drained = true;
                return nullptr;
            }
            if (received != AVERROR(EAGAIN))
                return nullptr;
            if (flushing) {
                drained = true; // a decoder that wants input after the flush has nothing left
                return nullptr;
            }
            const int read = av_read_frame(format.get(), packet.get());
            if (read == AVERROR_EXIT)
                return nullptr; // interrupted
            if (read < 0) {
                flushing = true;
                avcodec_send_packet(codec.get(), nullptr);
                continue;
            }
            if (packet->stream_index == streamIndex) {
                // Frames that no other frame refers to are not decoded on
                // the way to the target, unless one of them could be the
                // frame shown at it (one frame's margin for uneven timing),
                // or the last frames of the file, shown at every later time.
                const int64_t duration = packet->duration > 0 ? packet->duration : oneFrame;
                const bool wellBefore = packet->pts != AV_NOPTS_VALUE && duration > 0 &&
                                        packet->pts + 2 * duration <= std::min(target, lastSkip);
                codec->skip_frame = wellBefore ? AVDISCARD_NONREF : AVDISCARD_DEFAULT;
                avcodec_send_packet(codec.get(), packet.get()); // a broken packet is passed over
            }
            av_packet_unref(packet.get());
        }
        return nullptr;
    }

    static int64_t ptsOf(const AVFrame *frame) {
        return frame->best_effort_timestamp != AV_NOPTS_VALUE ? frame->best_effort_timestamp
                                                              : frame->pts;
    }

    // Decodes from the current position until the frame shown at `target`
    // is known. Returns whether the first frame decoded lay past the target
    // (a seek that landed too late).
    bool decodeTo(int64_t target, bool &cameTooLate) {
        cameTooLate = false;
        const bool fresh = !shown;
        while (!drained) {
            FramePtr frame = nextFrame(target);
            if (!frame)
                break;
            int64_t pts = ptsOf(frame.get());
            if (pts == AV_NOPTS_VALUE)
                pts = shown ? shownEnd : startPts;
            if (pts > target && shown) {
                shownEnd = pts;
                ahead = std::move(frame);
                return true;
            }
            if (pts > target && fresh)
                cameTooLate = true;
            const int64_t duration = frame->pkt_duration > 0 ? frame->pkt_duration : 0;
            shown = std::move(frame);
            shownPts = pts;
            shownEnd = duration > 0 ? pts + duration : pts + 1;
            if (cameTooLate || (duration > 0 && shownEnd > target))
                return true;
        }
        if (shown && drained)
            shownEnd = INT64_MAX; // the last frame is shown at every later time
        return shown != nullptr;
    }

    bool keyframeSince(int64_t from, int64_t target) const {
        // Whether the index knows a keyframe after `from` and at or before
        // `target`: then seeking there is cheaper than decoding on.
        const int entries = avformat_index_get_entries_count(stream);
        if (entries <= 0)
            return av_rescale_q(target - from, stream->time_base, AVRational{1, 1}) >= 2;
        const AVIndexEntry *entry =
            avformat_index_get_entry_from_timestamp(stream, target, AVSEEK_FLAG_BACKWARD);
        return entry && entry->timestamp > from;
    }

    QImage convert(const AVFrame *frame, QSize fit) {
        const int width = frame->width;
        const int height = frame->height;
        if (width <= 0 || height <= 0)
            return {};
        QSize size(width, height);
        // A picture shown turned on its side fits the box the other way round.
        const bool sideways = rotation == 90 || rotation == 270;
        if (sideways)
            fit.transpose();
        if (fit.width() > 0 || fit.height() > 0) {
            const AVRational aspect = frame->sample_aspect_ratio.num > 0
                                          ? frame->sample_aspect_ratio
                                          : stream->codecpar->sample_aspect_ratio;
            const double shownWidth =
                aspect.num > 0 && aspect.den > 0 ? width * av_q2d(aspect) : double(width);
            double scale = 1e9;
            if (fit.width() > 0)
                scale = std::min(scale, fit.width() / shownWidth);
            if (fit.height() > 0)
                scale = std::min(scale, double(fit.height()) / height);
            size = QSize(std::max(1, int(std::lround(shownWidth * scale))),
                         std::max(1, int(std::lround(height * scale))));
        }
        scaler = sws_getCachedContext(scaler, width, height, AVPixelFormat(frame->format),
                                      size.width(), size.height(), AV_PIX_FMT_RGB24, SWS_BICUBIC,
                                      nullptr, nullptr, nullptr);
        if (!scaler)
            return {};
        QImage image(size, QImage::Format_RGB888);
        if (image.isNull())
            return {};
        uint8_t *target[4] = {image.bits(), nullptr, nullptr, nullptr};
        const int lines[4] = {int(image.bytesPerLine()), 0, 0, 0};
        if (sws_scale(scaler, frame->data, frame->linesize, 0, height, target, lines) <= 0)
            return {};
        if (rotation != 0)
            return image.transformed(QTransform().rotate(rotation));
        return image;
    }
};

VideoFrameReader::VideoFrameReader(const QString &path, CancelTest cancelled)
    : d(std::make_unique<State>()) {
    d->cancelled = std::move(cancelled);
    d->format = openFormat(path, &d->cancelled);
    if (!d->format || !d->packet)
        return;
    const AVCodec *decoder = nullptr;
    d->streamIndex = av_find_best_stream(d->format.get(), AVMEDIA_TYPE_VIDEO, -1, -1, &decoder, 0);
    if (d->streamIndex < 0 || !decoder)
        return;
    d->stream = d->format->streams[d->streamIndex];
    d->rotation = converter::displayRotation(d->stream);
    // A cover picture in a music file is no video.
    if (d->stream->disposition & AV_DISPOSITION_ATTACHED_PIC)
        return;
    CodecPtr codec(avcodec_alloc_context3(decoder));
    if (!codec || avcodec_parameters_to_context(codec.get(), d->stream->codecpar) < 0)
        return;
    codec->thread_count = 0; // one per core
    codec->thread_type = FF_THREAD_FRAME | FF_THREAD_SLICE;
    if (avcodec_open2(codec.get(), decoder, nullptr) < 0)
        return;
    d->codec = std::move(codec);
    // Times count from the start of the file, as ffmpeg's -ss does.
    if (d->format->start_time != AV_NOPTS_VALUE)
        d->startPts = av_rescale_q(d->format->start_time, AV_TIME_BASE_Q, d->stream->time_base);
    // The file's last second (by its stated duration) is decoded whole.
    if (d->format->duration > AV_TIME_BASE)
        d->lastSkip = d->startPts + av_rescale_q(d->format->duration - AV_TIME_BASE, AV_TIME_BASE_Q,
                                                 d->stream->time_base);
}

VideoFrameReader::~VideoFrameReader() = default;

bool VideoFrameReader::hasVideo() const {
    return d->codec != nullptr;
}

QSize VideoFrameReader::displaySize() const {
    if (!d->codec)
        return {};
    const AVCodecParameters *parameters = d->stream->codecpar;
    const AVRational aspect = parameters->sample_aspect_ratio;
    const double width = aspect.num > 0 && aspect.den > 0 ? parameters->width * av_q2d(aspect)
                                                          : double(parameters->width);
    const QSize shown(int(std::lround(width)), parameters->height);
    return d->rotation == 90 || d->rotation == 270 ? shown.transposed() : shown;
}

VideoFrameReader::Frame VideoFrameReader::frameAt(double seconds, QSize fit) {
    Frame result;
    if (!d->codec)
        return result;
    const int64_t target = d->toPts(std::max(0.0, seconds));

    const bool covered = d->shown && d->shownPts <= target && target < d->shownEnd;
    const bool onward = d->shown && d->shownPts <= target && !d->keyframeSince(d->shownPts, target);
    if (!covered) {
        bool tooLate = false;
        if (onward) {
            d->decodeTo(target, tooLate);
        } else {
            // A seek lands on the keyframe at or before the target; where
            // the index is coarse it may land later, or at the end, and an
            // earlier start is tried. A time past the end seeks to the end.
            int64_t seekTarget = target;
            if (d->format->duration > 0)
                seekTarget = std::min(seekTarget, d->startPts + av_rescale_q(d->format->duration,
                                                                             AV_TIME_BASE_Q,
                                                                             d->stream->time_base));
            for (const int back : {0, 1, 5, 30, -1}) {
                const int64_t step = av_rescale_q(back, AVRational{1, 1}, d->stream->time_base);
                const int64_t from =
                    back < 0 ? d->startPts : std::max(d->startPts, seekTarget - step);
                if (!d->seek(from))
                    break;
                d->decodeTo(target, tooLate);
                if ((d->shown && !tooLate) || d->stop() || from <= d->startPts)
                    break;
            }
        }
    }
    if (d->stop()) {
        result.cancelled = true;
        return result;
    }
    if (!d->shown)
        return result;
    result.image = d->convert(d->shown.get(), fit);
    result.seconds = std::max(0.0, d->toSeconds(d->shownPts));
    return result;
}

std::optional<MediaStats> ReadMediaStats(const QString &path,
                                         const VideoFrameReader::CancelTest &cancelled) {
    const FormatPtr format = openFormat(path, &cancelled);
    if (!format)
        return std::nullopt;
    MediaStats stats;
    if (format->pb)
        stats.fileBytes = std::max<int64_t>(0, avio_size(format->pb));
    if (format->duration != AV_NOPTS_VALUE && format->duration > 0)
        stats.seconds = double(format->duration) / AV_TIME_BASE;
    const int video = av_find_best_stream(format.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (video >= 0) {
        const AVCodecParameters *parameters = format->streams[video]->codecpar;
        stats.pictureSize = QSize(parameters->width, parameters->height);
    }
    PacketPtr packet(av_packet_alloc());
    while (packet && av_read_frame(format.get(), packet.get()) >= 0) {
        const AVMediaType type = format->streams[packet->stream_index]->codecpar->codec_type;
        if (packet->stream_index == video)
            stats.videoBytes += packet->size;
        else if (type == AVMEDIA_TYPE_AUDIO)
            stats.audioBytes += packet->size;
        av_packet_unref(packet.get());
        if (cancelled && cancelled())
            return std::nullopt;
    }
    return stats;
}
