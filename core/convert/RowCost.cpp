#include "core/convert/RowCost.h"

#include "core/convert/BatchBuilder.h"

#include <algorithm>

namespace {

bool isChecked(int value) {
    return value == 1;
}

double megapixels(int width, int height) {
    return double(width) * double(height) / 1e6;
}

} // namespace

namespace RowCost {

double DecodeFactor(const QString &sourceCodec) {
    const QString codec = sourceCodec.trimmed().toUpper();
    if (codec == u"HEVC" || codec == u"VP9")
        return 1.2;
    if (codec == u"AV1")
        return 1.5;
    if (codec == u"MPEG VIDEO")
        return 0.8;
    if (codec == u"MPEG-4 VISUAL" || codec.startsWith(u"XVID") || codec.startsWith(u"DIVX") ||
        codec == u"H.263" || codec == u"VP8")
        return 0.7;
    return 1; // AVC, VC-1 and anything else
}

double EncodePerMegapixel(const QString &videoEncoder) {
    const QString encoder = videoEncoder.trimmed().toLower();
    if (encoder == u"wmv1" || encoder == u"wmv2" || encoder.startsWith(u"msmpeg4"))
        return 0.008;
    if (encoder == u"h263")
        return 0.01;
    if (encoder == u"mpeg4" || encoder == u"libxvid")
        return 0.023; // the converter asks the MPEG-4 encoder for its best decisions
    return 0.02;      // H.264 (h264, libx264) and anything else
}

double AudioPerSecond(const QString &audioEncoder) {
    return audioEncoder.trimmed().toLower() == u"aac" ? 0.045 : 0.01;
}

double Estimate(const RowCostFacts &facts) {
    const double seconds = std::max(0.0, facts.seconds);
    double perSecond = facts.audio ? AudioPerSecond(facts.audioEncoder) : 0;
    if (facts.video && facts.copiesVideo) {
        perSecond += CopyPerSecond;
    } else if (facts.video) {
        const double sourceRate =
            facts.sourceFrameRate > 0 ? facts.sourceFrameRate : UsualFrameRate;
        const double rate = facts.frameRate > 0 ? facts.frameRate : sourceRate;
        const int width = facts.width > 0 ? facts.width : facts.sourceWidth;
        const int height = facts.height > 0 ? facts.height : facts.sourceHeight;
        // A source of unknown size counts as the size of the output.
        const double sourcePixels = facts.sourceWidth > 0 && facts.sourceHeight > 0
                                        ? megapixels(facts.sourceWidth, facts.sourceHeight)
                                        : megapixels(width, height);
        const double picture =
            DecodePerMegapixel * DecodeFactor(facts.sourceCodec) * sourcePixels * sourceRate +
            EncodePerMegapixel(facts.videoEncoder) * megapixels(width, height) * rate;
        perSecond += picture * (facts.twoPasses ? 1 + SecondPassShare : 1);
    }
    return StartSeconds + seconds * perSecond;
}

double WorkShare(double shown, bool twoPasses) {
    shown = std::clamp(shown, 0.0, 1.0);
    if (!twoPasses)
        return shown;
    return shown <= 0.5 ? shown * 2 * FirstPassShare
                        : FirstPassShare + (shown - 0.5) * 2 * (1 - FirstPassShare);
}

RowCostFacts Facts(const ConversionSettings &settings, const FileListRow &row, bool copiesVideo,
                   double sourceFrameRate) {
    RowCostFacts facts;
    if (const std::optional<qint64> trimmed = TrimmedLength(row))
        facts.seconds = double(*trimmed);
    else
        facts.seconds = double(row.Duration);
    facts.sourceWidth = row.VideoSize.width();
    facts.sourceHeight = row.VideoSize.height();
    facts.sourceCodec = row.Codec;
    facts.sourceFrameRate = sourceFrameRate;
    facts.video = !isChecked(settings.noVideo);
    facts.audio = !isChecked(settings.noAudio);
    facts.copiesVideo = copiesVideo && !isChecked(settings.alwaysEncode);
    facts.twoPasses = UsesTwoPasses(settings);
    facts.videoEncoder = settings.videoCodec;
    facts.width = settings.videoSize.value_or(QSize(0, 0)).width();
    facts.height = settings.videoSize.value_or(QSize(0, 0)).height();
    facts.frameRate = settings.videoFrameRate.value_or(0);
    facts.audioEncoder = settings.audioCodec;
    return facts;
}

} // namespace RowCost
