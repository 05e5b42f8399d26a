#include "Components/BrannockVideoConverter/CoverMaking.h"

#include "Components/BrannockVideoConverter/CoverArt.h"
#include "Components/BrannockVideoConverter/CoverStream.h"
#include "Components/BrannockVideoConverter/SideJob.h"

#include <optional>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace converter {
namespace {

// Writes the picture; the mean luma of the frame, or nothing on failure
// (no picture at all, where no key frame follows the position).
std::optional<double> extract(const std::string &ffmpeg, const Plan &plan,
                              const CoverOrigin &origin, const std::string &file) {
    ::unlink(file.c_str()); // an earlier try's picture is no answer to this one
    int status = 0;
    const std::string log =
        runSideJob(ffmpeg, coverExtractionArguments(plan.inputUrl, origin, file), status);
    struct stat written {};
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || ::stat(file.c_str(), &written) != 0 ||
        written.st_size == 0)
        return std::nullopt;
    return parseMeanLuma(log).value_or(255);
}

// The picture at a position: the first key frame from there on, which
// takes one decoded frame or two; else, where none follows, the frame at
// the position itself, decoded up to it.
std::optional<double> extractFrame(const std::string &ffmpeg, const Plan &plan, double position,
                                   const std::string &file) {
    if (const std::optional<double> luma =
            extract(ffmpeg, plan, {std::nullopt, position, true}, file))
        return luma;
    return extract(ffmpeg, plan, {std::nullopt, position, false}, file);
}

// The source's cover, else its first frame from a tenth of the way in that
// is not black, else the frame a tenth of the way in.
bool makeCover(const std::string &ffmpeg, const Plan &plan, const SourceFacts &facts,
               const std::string &file) {
    if (const std::optional<int> stream = coverStreamIndex(plan.input)) {
        if (extract(ffmpeg, plan, {stream, 0}, file))
            return true;
    }
    if (!facts.hasVideo)
        return false;
    const std::vector<double> positions = coverFramePositions(facts.duration);
    for (double position : positions) {
        const std::optional<double> luma = extractFrame(ffmpeg, plan, position, file);
        if (!luma)
            break;
        if (!looksBlack(*luma))
            return true;
    }
    return extractFrame(ffmpeg, plan, positions.front(), file).has_value();
}

} // namespace

Plan withSourceCover(const std::string &ffmpeg, const Plan &plan, const SourceFacts &facts,
                     PassLogFolder &folder, std::vector<std::string> &notes) {
    const bool picture = plan.singlePicture && plan.coverPicture;
    if (!picture && !(carriesCoverArt(plan) && facts.hasVideo))
        return plan;
    std::string error;
    const std::string file = folder.create(error) ? folder.logPrefix() + "-cover.jpg" : "";
    if (!file.empty() && makeCover(ffmpeg, plan, facts, file)) {
        if (picture)
            return showingCover(plan, file);
        // Copied into the output, it takes its own size there.
        Plan covered = withCoverArt(plan, file);
        struct stat made {};
        if (::stat(file.c_str(), &made) == 0)
            covered.coverBytes = made.st_size;
        return covered;
    }
    notes.push_back("no cover art could be made");
    if (!picture)
        return plan;
    Plan fallback = plan;
    fallback.seek = std::to_string(coverFramePositions(facts.duration).front());
    return fallback;
}

} // namespace converter
