#pragma once

#include "Components/BrannockVideoConverter/FfmpegRun.h"
#include "Components/BrannockVideoConverter/PassLogFolder.h"
#include "Components/BrannockVideoConverter/SourceFacts.h"
#include "Components/BrannockVideoConverter/Translation.h"

#include <optional>

// What a conversion does for its source before encoding: it probes the
// source, adapts the plan to it (SourceAdaptation.h), takes out the text
// subtitles to burn in, adds the cover art, and copies the video where it
// already suits the line (VideoCopyChoice.h).
namespace converter {

// What preparing for the source leaves behind: the folders of the files made
// for it (extracted subtitles, the cover), and what the source was found to hold.
struct PreparedSource {
    PassLogFolder subtitleFolder;
    PassLogFolder coverFolder;
    std::optional<SourceFacts> facts;

    void removeFolders() {
        subtitleFolder.remove();
        coverFolder.remove();
    }
};

// The plan for the source. Only a source that ffmpeg opens itself as a file
// is read, and only where a picture or sound is converted; otherwise, or
// when it cannot be read, the plan stays as it is. Nothing (and the reason
// printed) for a source that cannot be converted: an MP4 file without its
// media data.
std::optional<Plan> prepareForSource(RunContext &context, const Plan &plan,
                                     PreparedSource &prepared);

} // namespace converter
