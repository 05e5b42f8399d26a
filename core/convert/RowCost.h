#pragma once

#include "core/filelist/FileListRow.h"
#include "core/profiles/ConversionSettings.h"

#include <QString>

// What a row of a batch is expected to cost, worked out before the batch
// from what the file list and the settings know. The unit is a second of
// wall-clock time of one converter alone on the two-core machine the
// factors were measured on (docs/benchmarks.md, "Time left"); what matters
// to the batch's time left is only how rows compare, as BatchTimeLeft learns
// the real pace as the batch goes.
//
// The model: a start-up, then per second of the part converted the sound's
// encoding and the picture's decoding and encoding. Decoding costs the
// source's pixels per second times a factor of its codec, encoding the
// output's pixels per second times a factor of the encoder. Two passes
// decode and encode the picture again, the first pass a little cheaper. A
// picture copied from the source costs next to nothing; a sound-only output
// costs only its sound.
struct RowCostFacts {
    double seconds = 0;  // the part converted: the trimmed part or the whole file
    int sourceWidth = 0; // 0 when unknown
    int sourceHeight = 0;
    QString sourceCodec;        // as libmediainfo names it: "AVC", "HEVC", "MPEG Video"...
    double sourceFrameRate = 0; // 0 when unknown
    bool video = true;          // false: sound only (-vn)
    bool audio = true;          // false: no sound (-an)
    bool copiesVideo = false;   // the source's picture is copied, not encoded
    bool twoPasses = false;
    QString videoEncoder; // the settings' video codec: mpeg4, libxvid, h264, libx264, wmv2, h263
    int width = 0;        // the output's frame, padding included; 0: the source's
    int height = 0;
    double frameRate = 0; // 0: the source's
    QString audioEncoder; // aac, wmav2, amr_nb...
};

namespace RowCost {

// Seconds of the converter's start-up, whatever the file.
inline constexpr double StartSeconds = 0.2;
// Decoding, per million source pixels, for a codec of factor 1 (AVC).
inline constexpr double DecodePerMegapixel = 0.0015;
// The second pass of two against one pass alone.
inline constexpr double SecondPassShare = 0.8;
// A copied picture, per second.
inline constexpr double CopyPerSecond = 0.005;
// A two-pass row shows its first pass as the first half of its progress,
// though that pass takes only about this share of its time (docs/benchmarks.md).
inline constexpr double FirstPassShare = 0.35;
// Assumed where the frame rate is not known.
inline constexpr double UsualFrameRate = 25;

// How costly a source codec is to decode, relative to AVC.
double DecodeFactor(const QString &sourceCodec);
// Encoding, per million output pixels.
double EncodePerMegapixel(const QString &videoEncoder);
// The sound's encoding, per second.
double AudioPerSecond(const QString &audioEncoder);

double Estimate(const RowCostFacts &facts);

// The share of a row's work done when its progress shows `shown` (0..1).
double WorkShare(double shown, bool twoPasses);

// The facts of a row as the batch will convert it with these settings.
// Whether the converter will copy the picture is decided only when it reads
// the source, so the row is counted as encoded unless `copiesVideo`.
RowCostFacts Facts(const ConversionSettings &settings, const FileListRow &row,
                   bool copiesVideo = false, double sourceFrameRate = 0);

} // namespace RowCost
