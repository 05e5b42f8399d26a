#include "Components/BrannockVideoConverter/SourceAdaptation.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace converter {
namespace {

// Picture and sound further apart at the start than this are put in step.
constexpr double kStartGapSeconds = 0.04;

// Languages users name in two letters, with their three-letter codes
// (bibliographic and terminology forms).
constexpr auto kLanguages = std::to_array<std::array<const char *, 3>>({
    {"ar", "ara", "ara"}, {"cs", "cze", "ces"}, {"da", "dan", "dan"}, {"de", "ger", "deu"},
    {"el", "gre", "ell"}, {"en", "eng", "eng"}, {"es", "spa", "spa"}, {"fi", "fin", "fin"},
    {"fr", "fre", "fra"}, {"he", "heb", "heb"}, {"hi", "hin", "hin"}, {"hu", "hun", "hun"},
    {"it", "ita", "ita"}, {"ja", "jpn", "jpn"}, {"ko", "kor", "kor"}, {"nl", "dut", "nld"},
    {"no", "nor", "nor"}, {"pl", "pol", "pol"}, {"pt", "por", "por"}, {"ro", "rum", "ron"},
    {"ru", "rus", "rus"}, {"sv", "swe", "swe"}, {"th", "tha", "tha"}, {"tr", "tur", "tur"},
    {"uk", "ukr", "ukr"}, {"zh", "chi", "zho"},
});

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// The language's forms: itself and, for a known language, its other codes.
std::vector<std::string> languageForms(const std::string &language) {
    const std::string name = lower(language);
    for (const auto &forms : kLanguages) {
        if (name == forms[0] || name == forms[1] || name == forms[2])
            return {forms[0], forms[1], forms[2]};
    }
    return {name};
}

std::optional<int> wholeNumber(const std::string &text) {
    if (text.empty() || text.size() > 4 ||
        !std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); }))
        return std::nullopt;
    return std::stoi(text);
}

std::string trackText(const SourceTrack &track) {
    std::string text = "track " + std::to_string(track.number);
    if (!track.language.empty() && track.language != "und")
        text += " (" + track.language + ")";
    return text;
}

std::string seconds(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

void decideShape(const Plan &plan, const SourceFacts &facts, SourceDecisions &decisions) {
    if (facts.rotation != 0)
        decisions.notes.push_back("rotated " + std::to_string(facts.rotation) + "°");
    if (facts.anamorphic()) {
        decisions.squarePixels = plan.filters.geometry.crop.any();
        decisions.notes.push_back("pixel aspect " + std::to_string(facts.sarNum) + ":" +
                                  std::to_string(facts.sarDen) + " made square");
    }
}

void decideDeinterlacing(const Plan &plan, const SourceFacts &facts,
                         std::optional<FieldOrder> measured, SourceDecisions &decisions) {
    const FieldOrder order = facts.fieldOrder == FieldOrder::Unknown
                                 ? measured.value_or(FieldOrder::Unknown)
                                 : facts.fieldOrder;
    const bool interlaced = order == FieldOrder::TopFirst || order == FieldOrder::BottomFirst;
    if (plan.choices.deinterlace == DeinterlaceChoice::Always ||
        (plan.choices.deinterlace == DeinterlaceChoice::Automatic && interlaced)) {
        decisions.deinterlace = interlaced ? order : FieldOrder::Unknown;
        decisions.notes.push_back(order == FieldOrder::TopFirst ? "deinterlaced (top field first)"
                                  : order == FieldOrder::BottomFirst
                                      ? "deinterlaced (bottom field first)"
                                      : "deinterlaced");
    }
}

void decideToneMapping(const SourceFacts &facts, SourceDecisions &decisions) {
    if (facts.transfer == Transfer::Standard)
        return;
    decisions.toneMap = facts.transfer;
    // PQ and HLG pictures are graded in BT.2020; without its primaries or
    // its matrix the picture cannot be brought to BT.709 at all.
    decisions.primariesAssumed = !facts.primariesTagged;
    decisions.matrixAssumed = !facts.matrixTagged;
    const bool assumed = decisions.primariesAssumed || decisions.matrixAssumed;
    decisions.notes.push_back(std::string("tone-mapped from HDR (") +
                              (facts.transfer == Transfer::Pq ? "PQ" : "HLG") +
                              (assumed ? ", taken as BT.2020" : "") + ") to BT.709");
}

void decideSubtitles(const Plan &plan, const SourceFacts &facts, SourceDecisions &decisions) {
    if (!plan.choices.burnSubtitles)
        return;
    decisions.subtitles = chooseTrack(facts.subtitles, *plan.choices.burnSubtitles);
    if (decisions.subtitles)
        decisions.notes.push_back("subtitles " + trackText(*decisions.subtitles) + " burnt in");
    else if (facts.subtitles.empty())
        decisions.notes.push_back("no subtitles to burn in");
    else
        decisions.notes.push_back("no subtitle track '" + *plan.choices.burnSubtitles +
                                  "': none burnt in");
}

void decideSoundTrack(const Plan &plan, const SourceFacts &facts, SourceDecisions &decisions) {
    decisions.sound = chooseTrack(facts.audio, plan.choices.audioTrack);
    if (facts.audio.empty() && !plan.choices.audioTrack.empty()) {
        decisions.notes.push_back("no sound track '" + plan.choices.audioTrack +
                                  "': the source has no sound");
    } else if (!decisions.sound && !facts.audio.empty()) {
        decisions.sound = chooseTrack(facts.audio, {});
        decisions.notes.push_back("no sound track '" + plan.choices.audioTrack + "': sound " +
                                  trackText(*decisions.sound) + " instead");
    } else if (decisions.sound && (facts.audio.size() > 1 || !plan.choices.audioTrack.empty())) {
        decisions.notes.push_back("sound " + trackText(*decisions.sound));
    }
}

// Chapters past the end of the picture and sound would make the output as
// long as they are: it ends with its media instead.
void decideChapterEnd(const SourceFacts &facts, SourceDecisions &decisions) {
    if (!facts.chaptersEnd || !facts.duration || *facts.chaptersEnd <= *facts.duration + 0.5)
        return;
    decisions.endAt = facts.duration;
    decisions.notes.push_back("chapters past the end cut off at " + seconds(*facts.duration) +
                              " s");
}

// Picture and sound that start apart are put in step.
void decideStartGap(const Plan &plan, const SourceFacts &facts, SourceDecisions &decisions) {
    if (!decisions.sound || !facts.videoStart || !decisions.sound->start)
        return;
    const double gap = *decisions.sound->start - *facts.videoStart;
    if (gap > kStartGapSeconds) {
        decisions.soundStartsLate = true;
        decisions.notes.push_back("sound starts " + seconds(gap) +
                                  " s late: silence put before it");
    } else if (-gap > kStartGapSeconds && !plan.filters.frameRate.empty()) {
        decisions.pictureStartsLate = true;
        decisions.notes.push_back("picture starts " + seconds(-gap) +
                                  " s late: its first frame held");
    }
}

void setFilters(Plan &plan, const SourceDecisions &decisions, const std::string &subtitleFile) {
    VideoFilters &filters = plan.filters;
    filters.deinterlace = decisions.deinterlace;
    filters.squarePixels = decisions.squarePixels;
    filters.toneMap = decisions.toneMap;
    filters.primariesAssumed = decisions.primariesAssumed;
    filters.matrixAssumed = decisions.matrixAssumed;
    filters.fillStart = decisions.pictureStartsLate;
    const bool pictureSubtitles = decisions.subtitles && decisions.subtitles->picture;
    if (decisions.subtitles && !pictureSubtitles && !subtitleFile.empty()) {
        filters.subtitleFile = subtitleFile;
        filters.subtitleShift = seekSeconds(plan.seek).value_or(0);
    }
    plan.subtitlesDrawn = pictureSubtitles || !filters.subtitleFile.empty();
}

// The picture's filters in place, and its stream chosen.
void placePicture(Plan &plan, const SourceDecisions &decisions) {
    std::vector<std::string> &options = plan.outputOptions;
    const std::string chain = plan.filters.chain();
    if (decisions.subtitles && decisions.subtitles->picture) {
        // Picture subtitles are a stream of their own, laid over the picture.
        const std::string graph = "[0:V:0][0:s:" + std::to_string(decisions.subtitles->number - 1) +
                                  "]overlay=eof_action=pass" + (chain.empty() ? "" : "," + chain) +
                                  "[v]";
        if (plan.filtersAt) {
            options[*plan.filtersAt - 1] = "-filter_complex";
            options[*plan.filtersAt] = graph;
        } else {
            options.insert(options.end(), {"-filter_complex", graph});
        }
        options.insert(options.end(), {"-map", "[v]"});
    } else {
        if (plan.filtersAt)
            options[*plan.filtersAt] = chain;
        else if (!chain.empty()) {
            options.insert(options.end(), {"-vf", chain});
            plan.filtersAt = options.size() - 1;
        }
        options.insert(options.end(), {"-map", "0:V:0?"});
    }
    if (decisions.toneMap != Transfer::Standard)
        options.insert(options.end(), {"-color_primaries", "bt709", "-color_trc", "bt709",
                                       "-colorspace", "bt709"});
}

void placeSound(Plan &plan, const SourceDecisions &decisions) {
    std::vector<std::string> &options = plan.outputOptions;
    if (decisions.sound) {
        options.insert(options.end(),
                       {"-map", "0:a:" + std::to_string(decisions.sound->number - 1)});
        if (decisions.soundStartsLate)
            options.insert(options.end(), {"-af", "aresample=async=1:first_pts=0"});
    } else if (decisions.silentSound) {
        plan.extraInputs = {"-f", "lavfi", "-i", "anullsrc=r=48000:cl=stereo"};
        options.insert(options.end(), {"-map", "1:a:0", "-shortest"});
    }
}

// The output ends `end` seconds from the source's start: its -t, or a
// shorter one the line gives. ffmpeg cuts the chapters there too.
void placeEnd(Plan &plan, double end) {
    const double length = end - seekSeconds(plan.seek).value_or(0);
    if (length <= 0)
        return;
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", std::ceil(length * 1000) / 1000);
    std::vector<std::string> &options = plan.outputOptions;
    for (std::size_t i = 0; i + 1 < options.size(); ++i) {
        if (options[i] == "-t") {
            if (seekSeconds(options[i + 1]).value_or(length + 1) > length)
                options[i + 1] = text;
            return;
        }
    }
    options.insert(options.end(), {"-t", text});
}

} // namespace

std::optional<double> seekSeconds(const std::string &text) {
    // "[[hh:]mm:]ss[.frac]"
    double total = 0;
    std::size_t begin = 0;
    int parts = 0;
    while (true) {
        const std::size_t colon = text.find(':', begin);
        const std::string part = text.substr(begin, colon - begin);
        char *end = nullptr;
        const double value = std::strtod(part.c_str(), &end);
        if (part.empty() || end != part.c_str() + part.size() || !std::isfinite(value) ||
            value < 0 || ++parts > 3)
            return std::nullopt;
        total = total * 60 + value;
        if (colon == std::string::npos)
            return total;
        begin = colon + 1;
    }
}

std::optional<SourceTrack> chooseTrack(const std::vector<SourceTrack> &tracks,
                                       const std::string &request) {
    if (tracks.empty())
        return std::nullopt;
    if (request.empty() || lower(request) == "default") {
        for (const SourceTrack &track : tracks) {
            if (track.isDefault)
                return track;
        }
        return tracks.front();
    }
    if (const std::optional<int> number = wholeNumber(request)) {
        if (*number >= 1 && *number <= static_cast<int>(tracks.size()))
            return tracks[static_cast<std::size_t>(*number - 1)];
        return std::nullopt;
    }
    const std::vector<std::string> forms = languageForms(request);
    for (const SourceTrack &track : tracks) {
        if (std::find(forms.begin(), forms.end(), lower(track.language)) != forms.end())
            return track;
    }
    return std::nullopt;
}

bool needsInterlaceDetection(const Plan &plan, const SourceFacts &facts) {
    // Codecs made for the web and for files only ever carry whole frames.
    static const std::array<const char *, 6> progressiveOnly{"vp8",    "vp9", "av1",
                                                             "theora", "png", "gif"};
    const bool canBeInterlaced =
        std::find_if(progressiveOnly.begin(), progressiveOnly.end(), [&](const char *codec) {
            return facts.videoCodec == codec;
        }) == progressiveOnly.end();
    return !plan.videoEncoder.empty() && facts.hasVideo && canBeInterlaced &&
           plan.choices.deinterlace == DeinterlaceChoice::Automatic &&
           facts.fieldOrder == FieldOrder::Unknown && facts.transfer == Transfer::Standard;
}

std::optional<FieldOrder> parseInterlaceDetection(const std::string &log) {
    // idet's summary: "Multi frame detection: TFF: 12 BFF: 0 Progressive: 3 ...".
    static const std::string key = "Multi frame detection:";
    std::optional<FieldOrder> result;
    for (std::size_t at = log.find(key); at != std::string::npos; at = log.find(key, at + 1)) {
        long tff = 0, bff = 0, progressive = 0;
        if (std::sscanf(log.c_str() + at + key.size(), " TFF: %ld BFF: %ld Progressive: %ld", &tff,
                        &bff, &progressive) != 3)
            continue; // the last whole line counts
        // Interlaced when most decided frames show combing with one field
        // order: fine moving detail in a whole frame can look combed too,
        // but then as often one way as the other.
        const long first = std::max(tff, bff);
        const long second = std::min(tff, bff);
        if (first >= 10 && first > 2 * progressive && first >= 4 * second)
            result = tff >= bff ? FieldOrder::TopFirst : FieldOrder::BottomFirst;
        else
            result = FieldOrder::Progressive;
    }
    return result;
}

SourceDecisions decide(const Plan &plan, const SourceFacts &facts,
                       std::optional<FieldOrder> measured) {
    SourceDecisions decisions;
    decisions.mapStreams = true;
    const bool picture = !plan.videoEncoder.empty() && facts.hasVideo;
    if (picture) {
        decideShape(plan, facts, decisions);
        decideDeinterlacing(plan, facts, measured, decisions);
        decideToneMapping(facts, decisions);
        decideSubtitles(plan, facts, decisions);
    }
    if (plan.soundEncoded) {
        decideSoundTrack(plan, facts, decisions);
        if (!decisions.sound && picture && plan.muxer == "psp") {
            decisions.silentSound = true;
            decisions.notes.push_back("silent sound track added");
        }
        if (picture)
            decideStartGap(plan, facts, decisions);
    }
    if (!plan.singlePicture)
        decideChapterEnd(facts, decisions);
    return decisions;
}

Plan adapt(const Plan &plan, const SourceDecisions &decisions, const std::string &subtitleFile) {
    Plan adapted = plan;
    if (!decisions.mapStreams)
        return adapted;
    setFilters(adapted, decisions, subtitleFile);
    if (!plan.videoEncoder.empty() || plan.singlePicture)
        placePicture(adapted, decisions);
    if (plan.soundEncoded)
        placeSound(adapted, decisions);
    if (decisions.endAt)
        placeEnd(adapted, *decisions.endAt);
    return adapted;
}

std::string describe(const SourceDecisions &decisions) {
    std::string text;
    for (const std::string &note : decisions.notes) {
        if (!text.empty())
            text += ", ";
        text += note;
    }
    return text;
}

} // namespace converter
