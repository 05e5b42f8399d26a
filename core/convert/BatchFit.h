#pragma once

#include <QList>
#include <QString>

#include <optional>

// Fitting a batch into a size: the video rate that makes all outputs
// together fill between 97% and 100% of it. Pure arithmetic; the durations
// and limits come from the caller.

// What the container adds to the streams: a fixed part (headers), a part
// per second (its index: an entry per frame), and a share of the streams
// (packet headers).
struct ContainerOverhead {
    double fixedBytes = 0;
    double bytesPerSecond = 0;
    double fraction = 0;

    friend bool operator==(const ContainerOverhead &, const ContainerOverhead &) = default;
};

// The overhead of a container (the profile's VideoFormat: mp4, ipod, psp,
// 3gp, asf, ...) at a frame rate and an audio sample rate (0: no sound),
// as measured with ffmpeg 5.1's muxers, on the high side.
ContainerOverhead OverheadOf(const QString &container, double framesPerSecond,
                             double audioSampleRate);

struct FitRequest {
    qint64 sizeBytes = 0;
    QList<double> seconds; // each row's part to convert
    double audioKbps = 0;  // the chosen audio rate; 0 without sound
    ContainerOverhead overhead;
    double lowestKbps = 0;  // the lowest video rate the device offers
    double highestKbps = 0; // the codec's highest
};

struct FitPlan {
    enum class Verdict {
        Fits,         // the outputs fill 97% to 100% of the size
        BelowSize,    // the codec's highest rate leaves them below it
        TooSmall,     // the lowest rate would not fit: refused
        UnknownLength // a row's length is not known: refused
    };
    Verdict verdict = Verdict::TooSmall;
    double videoKbps = 0;     // the rate of every row (whole kbit/s, rounded down)
    QList<qint64> rowBytes;   // Fits: the most each row's file may take; they add up to the size
    qint64 expectedBytes = 0; // all outputs together, as planned
    qint64 neededBytes = 0;   // TooSmall: the smallest size that works
    int unknownRow = -1;      // UnknownLength: the first such row (0-based)
};

// The share of the size a fitted batch aims at: the middle of 97% to 100%.
inline constexpr double FitAim = 0.985;

// Chooses one video rate for every row, so that every file gets the same
// quality, and splits the size among the rows by what each will take.
FitPlan FitBatch(const FitRequest &request);

// A size as mobivert-cli takes it: a number and a unit. K, M, G and T (and
// KB, MB, ...) are the decimal units device makers use; KiB, MiB, GiB and
// TiB the binary ones. Case does not matter; blanks between are allowed.
// Nothing for anything else, or a size below one byte.
std::optional<qint64> ParseSizeText(const QString &text);

// Bytes as megabytes, rounded up: tenths below 10 MB ("0.4 MB", "6.0 MB"),
// whole megabytes above ("700 MB").
QString MegabytesText(qint64 bytes);
// A size the user asked for, as megabytes: like MegabytesText, with up to
// three decimals more where they are not zero ("4.15 MB"), rounded down, so
// that it never reads the same as a larger size that would work.
QString AskedMegabytesText(qint64 bytes);
