#include "Components/BrannockVideoConverter/EncodingRuns.h"

#include "Components/BrannockVideoConverter/CoverArt.h"

#include <algorithm>

namespace converter {
namespace {

// How long ffmpeg may take to end by itself when a two-pass conversion is
// stopped: Xvid's second pass keeps a file of its own in /tmp, which only
// ffmpeg knows to remove.
constexpr int kStopGraceMs = 2000;

// Whether a run that failed may have failed for the cover art (CoverArt.h):
// then `plan` loses its cover, the console says so, and the run is to be
// made again.
bool leftOutCover(const RunResult &result, Plan &plan, Console &console) {
    if (succeeded(result) || interrupted(result) || !mayHaveRefusedCover(plan, result.last))
        return false;
    plan = withoutCoverArt(plan);
    console.line("Adapted to the source: no cover art could be added");
    return true;
}

// Whether ffmpeg's rate control gave up on a rate the picture cannot be
// squeezed into, even at its coarsest quantiser.
bool rateControlGaveUp(const RunResult &result) {
    return std::any_of(result.errors.begin(), result.errors.end(), [](const LogLine &line) {
        // "[lavc rc] Error: bitrate too low for this video ...", or
        // "requested bitrate is too low" before the pass begins.
        return line.text.find("bitrate") != std::string::npos &&
               line.text.find("too low") != std::string::npos;
    });
}

class TwoPassRuns {
public:
    TwoPassRuns(RunContext &context, const Plan &plan, const std::string &logPrefix,
                OutputTarget &output, PassTimeline &timeline)
        : m_context(context)
        , m_plan(plan)
        , m_current(plan)
        , m_logPrefix(logPrefix)
        , m_output(output)
        , m_timeline(timeline) {}

    RunResult run() {
        m_timeline = {1, 0};
        m_result = runFfmpeg(m_context, passArguments(m_plan, 1, m_logPrefix, "/dev/null"), -1,
                             m_timeline, kStopGraceMs);
        if (!succeeded(m_result))
            return m_result;
        m_timeline = PassTimeline::secondPass(m_result.last ? m_result.last->outTimeUs : 0);
        for (int repeat = 0;; ++repeat) {
            if (repeat > 0)
                carryOn();
            m_result = secondPass(m_current);
            if (repeat == 0 && leftOutCover(m_result, m_plan, m_context.console)) {
                m_current = m_plan;
                m_result = runAgain(m_current);
            }
            if (!succeeded(m_result))
                return interrupted(m_result) ? m_result : recovered();
            if (repeat == kMostSecondPassRepeats || !moveToBetterRate())
                return m_result;
        }
    }

private:
    RunResult secondPass(const Plan &plan) {
        return runFfmpeg(m_context, passArguments(plan, 2, m_logPrefix, m_output.url), m_output.fd,
                         m_timeline, kStopGraceMs);
    }

    // Each run after the first second pass goes on from where the last got to.
    void carryOn() {
        if (m_result.last)
            m_timeline.runAgain(m_result.last->outTimeUs);
    }

    RunResult runAgain(const Plan &plan) {
        carryOn();
        m_output.file.truncate();
        return secondPass(plan);
    }

    // After a second pass that failed by itself: the last good rate again,
    // or one pass where the rate control gave up.
    RunResult recovered() {
        if (m_lastGood)
            return runAgain(*m_lastGood);
        if (!rateControlGaveUp(m_result))
            return m_result;
        carryOn();
        m_output.file.truncate();
        return runFfmpeg(m_context, ffmpegArguments(m_plan, m_output.url), m_output.fd, m_timeline,
                         kStopGraceMs);
    }

    // Whether the second pass runs again at another rate; false when its
    // output may stay.
    bool moveToBetterRate() {
        if (!m_result.sizes || !m_result.last || !m_current.videoBitRate)
            return false;
        // The cover art counts as video in ffmpeg's figures.
        const double videoBytes = m_result.sizes->videoKb * 1024 - m_plan.coverBytes;
        // More bits asked for, hardly more spent: the picture needs no more.
        if (m_lastGood && *m_current.videoBitRate > *m_lastGood->videoBitRate &&
            videoBytes < m_lastVideoBytes * 1.02)
            return false;
        const SecondPassOutcome outcome{*m_current.videoBitRate, videoBytes,
                                        static_cast<double>(m_result.last->outTimeUs) / 1e6,
                                        m_output.file.size()};
        const std::optional<long long> rate = correctedBitRate(m_plan, outcome);
        if (!rate)
            return false;
        m_lastGood = m_current;
        m_lastVideoBytes = videoBytes;
        m_current = withVideoBitRate(m_plan, *rate);
        m_output.file.truncate();
        return true;
    }

    RunContext &m_context;
    Plan m_plan;
    Plan m_current;
    const std::string &m_logPrefix;
    OutputTarget &m_output;
    PassTimeline &m_timeline;
    RunResult m_result;
    std::optional<Plan> m_lastGood;
    double m_lastVideoBytes = 0;
};

} // namespace

RunResult runOnePass(RunContext &context, Plan &plan, OutputTarget &output) {
    RunResult result = runFfmpeg(context, ffmpegArguments(plan, output.url), output.fd);
    if (leftOutCover(result, plan, context.console)) {
        output.file.truncate();
        result = runFfmpeg(context, ffmpegArguments(plan, output.url), output.fd);
    }
    if (succeeded(result) && plan.singlePicture && !plan.seek.empty() && output.file.size() == 0) {
        // The position lies beyond the end of a short clip: the first picture will do.
        result = runFfmpeg(context, ffmpegArguments(plan, output.url, false), output.fd);
    }
    return result;
}

RunResult runTwoPasses(RunContext &context, const Plan &plan, const std::string &logPrefix,
                       OutputTarget &output, PassTimeline &timeline) {
    return TwoPassRuns(context, plan, logPrefix, output, timeline).run();
}

} // namespace converter
