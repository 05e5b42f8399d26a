#include "Components/BrannockVideoConverter/CoverArt.h"

#include <algorithm>
#include <cstdlib>

namespace converter {
namespace {

// A frame whose mean luma is below this (on the 16-235 scale of video) is
// taken for black.
constexpr double kBlackLuma = 32;

bool contains(const std::vector<std::string> &tokens, const std::string &word) {
    return std::find(tokens.begin(), tokens.end(), word) != tokens.end();
}

int inputCount(const std::vector<std::string> &options) {
    return static_cast<int>(std::count(options.begin(), options.end(), "-i"));
}

} // namespace

std::vector<std::string> coverExtractionArguments(const std::string &inputUrl,
                                                  const CoverOrigin &origin,
                                                  const std::string &file) {
    const std::string side = std::to_string(kCoverLongSide);
    // ffmpeg turns the picture upright itself; the pixels are made square,
    // then the picture shrunk (never enlarged) to fit the square of the
    // long side.
    const std::string filter = "scale=iw*sar:ih,setsar=1,scale='min(" + side + ",iw)':'min(" +
                               side + ",ih)':force_original_aspect_ratio=decrease,signalstats," +
                               "metadata=mode=print:key=lavfi.signalstats.YAVG";
    std::vector<std::string> arguments{"-loglevel", "info", "-y"};
    if (!origin.stream && origin.keyFrame)
        arguments.insert(arguments.end(), {"-skip_frame", "nokey"});
    if (!origin.stream)
        arguments.insert(arguments.end(), {"-ss", std::to_string(origin.position)});
    arguments.insert(arguments.end(),
                     {"-i",        inputUrl,
                      "-map",      origin.stream ? "0:" + std::to_string(*origin.stream) : "0:V:0",
                      "-frames:v", "1",
                      "-vf",       filter,
                      "-an",       "-sn",
                      "-dn",       "-map_metadata",
                      "-1",        "-c:v",
                      "mjpeg",     "-q:v",
                      "3",         "-f",
                      "image2",    "-update",
                      "1",         file});
    return arguments;
}

std::vector<double> coverFramePositions(std::optional<double> duration) {
    if (!duration || *duration <= 0)
        return {0};
    const double step = std::max(1.0, *duration / 50);
    std::vector<double> positions{*duration / 10};
    while (static_cast<int>(positions.size()) < kMostCoverTries &&
           positions.back() + step <= *duration / 5)
        positions.push_back(positions.back() + step);
    return positions;
}

std::optional<double> parseMeanLuma(const std::string &log) {
    static const std::string key = "lavfi.signalstats.YAVG=";
    const std::size_t at = log.find(key);
    if (at == std::string::npos)
        return std::nullopt;
    const std::size_t from = at + key.size();
    const std::size_t end = log.find_first_not_of("0123456789.", from);
    if (end == from)
        return std::nullopt;
    return std::strtod(log.substr(from, end - from).c_str(), nullptr);
}

bool looksBlack(double meanLuma) {
    return meanLuma < kBlackLuma;
}

bool carriesCoverArt(const Plan &plan) {
    // The PSP reads no cover from its file (its thumbnail is a file of its
    // own); QuickTime files written by ffmpeg keep no iTunes items.
    const bool itemList = plan.muxer == "ipod" || plan.muxer == "mp4";
    const bool picture = !plan.videoEncoder.empty() && !contains(plan.outputOptions, "-vn");
    const bool streamsChosen = contains(plan.outputOptions, "-map");
    return itemList && picture && streamsChosen && !contains(plan.outputOptions, "-shortest");
}

Plan withCoverArt(const Plan &plan, const std::string &file) {
    Plan covered = plan;
    const int input = 1 + inputCount(plan.extraInputs);
    covered.coverInput = {"-i", "file:" + file};
    // The cover is the output's second picture stream, copied as it was
    // made: the picture's own options name only the first (ffmpegArguments).
    covered.coverOptions = {
        "-map",        std::to_string(input) + ":v:0", "-c:v:1", "copy", "-disposition:v:1",
        "attached_pic"};
    return covered;
}

Plan withoutCoverArt(const Plan &plan) {
    Plan bare = plan;
    bare.coverInput.clear();
    bare.coverOptions.clear();
    bare.coverBytes = 0;
    return bare;
}

bool mayHaveRefusedCover(const Plan &plan, const std::optional<ProgressRecord> &last) {
    const bool nothingWritten = !last || (last->outTimeUs <= 0 && last->frame.value_or(0) <= 0);
    return !plan.coverInput.empty() && nothingWritten;
}

Plan showingCover(const Plan &plan, const std::string &file) {
    Plan shown = plan;
    shown.inputUrl = "file:" + file;
    shown.seek.clear();
    if (shown.filtersAt && plan.filters.geometry.size) {
        const std::string width = std::to_string(plan.filters.geometry.size->width);
        const std::string height = std::to_string(plan.filters.geometry.size->height);
        shown.outputOptions[*shown.filtersAt] =
            "scale=" + width + ":" + height + ":force_original_aspect_ratio=decrease,pad=" + width +
            ":" + height + ":(ow-iw)/2:(oh-ih)/2,setsar=1";
    }
    return shown;
}

} // namespace converter
