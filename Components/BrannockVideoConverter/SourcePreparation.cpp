#include "Components/BrannockVideoConverter/SourcePreparation.h"

#include "Components/BrannockVideoConverter/CoverMaking.h"
#include "Components/BrannockVideoConverter/SideJob.h"
#include "Components/BrannockVideoConverter/SourceAdaptation.h"
#include "Components/BrannockVideoConverter/SourceProbe.h"
#include "Components/BrannockVideoConverter/SubtitleTaming.h"
#include "Components/BrannockVideoConverter/VideoCopyChoice.h"

#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>

namespace converter {
namespace {

// Measures on a sample whether the picture is interlaced.
std::optional<FieldOrder> measureInterlacing(const std::string &ffmpeg, const Plan &plan) {
    std::vector<std::string> arguments{"-loglevel", "info"};
    if (!plan.seek.empty())
        arguments.insert(arguments.end(), {"-ss", plan.seek});
    arguments.insert(arguments.end(), {"-i", plan.inputUrl, "-map", "0:V:0", "-vf", "idet",
                                       "-frames:v", "100", "-an", "-sn", "-dn", "-f", "null", "-"});
    int status = 0;
    return parseInterlaceDetection(runSideJob(ffmpeg, arguments, status));
}

// Takes a text subtitle track out of the source as an .ass file.
bool extractSubtitles(const std::string &ffmpeg, const Plan &plan, int track,
                      const std::string &file) {
    int status = 0;
    runSideJob(ffmpeg,
               {"-loglevel", "error", "-y", "-i", plan.inputUrl, "-map",
                "0:s:" + std::to_string(track - 1), "-c:s", "ass", "-f", "ass", file},
               status);
    struct stat written {};
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 && ::stat(file.c_str(), &written) == 0 &&
           written.st_size > 0;
}

// Lowers the sizes and effects of the subtitles in `file` to what the frame
// can show (SubtitleTaming.h); false when the file cannot be read or written.
bool tameSubtitleFile(const std::string &file, std::vector<std::string> &notes) {
    std::ifstream in(file, std::ios::binary);
    if (!in.is_open())
        return false;
    std::ostringstream read;
    read << in.rdbuf();
    const TamedSubtitles tamed = tameSubtitles(read.str());
    if (!tamed.changed)
        return true;
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << tamed.script;
    out.close();
    notes.push_back("subtitle sizes and effects lowered to what the frame can show");
    return static_cast<bool>(out);
}

// The .ass file of the text subtitles to burn in; empty when there are none
// to burn in, or they could not be read (then the decisions drop them:
// subtitles that cannot be carried never fail a conversion).
std::string subtitleFileFor(const std::string &ffmpeg, const Plan &plan, SourceDecisions &decisions,
                            PassLogFolder &folder) {
    if (!decisions.subtitles || decisions.subtitles->picture)
        return {};
    std::string ignored;
    std::string file;
    if (folder.create(ignored))
        file = folder.logPrefix() + "-subtitles.ass";
    if (file.empty() || !extractSubtitles(ffmpeg, plan, decisions.subtitles->number, file) ||
        !tameSubtitleFile(file, decisions.notes)) {
        decisions.notes.push_back("subtitles could not be read: none burnt in");
        decisions.subtitles.reset();
        file.clear();
    }
    return file;
}

bool readsSource(const Plan &plan) {
    return plan.inputOptions.empty() &&
           (!plan.videoEncoder.empty() || plan.soundEncoded || plan.singlePicture);
}

} // namespace

std::optional<Plan> prepareForSource(RunContext &context, const Plan &plan,
                                     PreparedSource &prepared) {
    if (!readsSource(plan))
        return plan;
    prepared.facts = probeSource(plan.input);
    const std::optional<SourceFacts> &facts = prepared.facts;
    if (!facts)
        return plan;
    if (facts->mediaDataMissing) {
        context.console.error(plan.input +
                              ": the file holds no media data (damaged or incomplete)");
        return std::nullopt;
    }
    std::optional<FieldOrder> measured;
    if (needsInterlaceDetection(plan, *facts))
        measured = measureInterlacing(context.ffmpeg, plan);
    SourceDecisions decisions = decide(plan, *facts, measured);
    const std::string subtitleFile =
        subtitleFileFor(context.ffmpeg, plan, decisions, prepared.subtitleFolder);
    Plan adapted = adapt(plan, decisions, subtitleFile);
    adapted =
        withSourceCover(context.ffmpeg, adapted, *facts, prepared.coverFolder, decisions.notes);
    if (!decisions.notes.empty())
        context.console.print("Adapted to the source: " + describe(decisions) + "\n");
    if (const std::optional<VideoCopy> copy =
            chooseVideoCopy(adapted, *facts, measured, decisions.sound)) {
        adapted = copyingPlan(adapted, *copy);
        announceVideoCopy(*copy);
    }
    return adapted;
}

} // namespace converter
