#pragma once

#include <QImage>
#include <QSize>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

// Pictures of a video file, decoded in this process by the libraries ffmpeg
// itself is built on (libavformat, libavcodec, libswscale), so a frame is
// exactly the frame ffmpeg would extract. One reader keeps its file and
// decoder open: a later time in the same stretch of the file goes on
// decoding from where the last one stopped instead of seeking again.
// Not thread-safe; one reader per thread.
class VideoFrameReader final {
public:
    // Asked between packets and by the demuxer while it waits for the file:
    // true ends the work at hand.
    using CancelTest = std::function<bool()>;

    struct Frame {
        QImage image;       // null when nothing could be decoded, or cancelled
        double seconds = 0; // the frame's time from the start of the file
        bool cancelled = false;
    };

    explicit VideoFrameReader(const QString &path, CancelTest cancelled = {});
    ~VideoFrameReader();
    VideoFrameReader(const VideoFrameReader &) = delete;
    VideoFrameReader &operator=(const VideoFrameReader &) = delete;

    // The file opened and holds a video stream with a decoder.
    bool hasVideo() const;
    // The picture's size as it is shown: the stored size with the pixel
    // aspect ratio applied to the width, turned as the file says it is
    // shown (an upright phone video). Empty without video.
    QSize displaySize() const;

    // The frame shown at `seconds` from the start of the file: the last frame
    // that starts at or before that time (the first frame for an earlier
    // time, the last frame for a time past the end), turned as it is shown.
    // With an empty `fit` the picture keeps its stored size; otherwise it is
    // scaled, with its shown aspect ratio, to fit inside `fit`, where a zero
    // width or height leaves that side free.
    Frame frameAt(double seconds, QSize fit = {});

private:
    struct State;
    std::unique_ptr<State> d;
};

// A converted sample as its packets show it.
struct MediaStats {
    QSize pictureSize;  // stored size of the video; empty without video
    double seconds = 0; // the container's duration
    qint64 fileBytes = 0;
    qint64 videoBytes = 0;
    qint64 audioBytes = 0;

    double videoKbps() const { return seconds > 0 ? videoBytes * 8 / seconds / 1000 : 0; }
    double audioKbps() const { return seconds > 0 ? audioBytes * 8 / seconds / 1000 : 0; }
    // The file's size scaled to one minute of output.
    double bytesPerMinute() const { return seconds > 0 ? fileBytes / seconds * 60 : 0; }
};

// Reads every packet of a (short) file; nothing when it cannot be read.
std::optional<MediaStats> ReadMediaStats(const QString &path,
                                         const VideoFrameReader::CancelTest &cancelled = {});
