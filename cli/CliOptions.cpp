#include "cli/CliOptions.h"

#include "core/convert/BatchFit.h"
#include "core/convert/DeviceVolumes.h"
#include "core/convert/FilesAtOnce.h"
#include "core/convert/VideoLimits.h"
#include "core/profiles/CustomVideoSize.h"
#include "core/profiles/ProfileFile.h"
#include "core/profiles/ProfileSettings.h"

#include <QCommandLineParser>
#include <QFileInfo>

#include <algorithm>

using ProfileFile::ProfileKey;

namespace {

// Highest first number of PSP files: the PSP names them M4Vnnnnn/MAQnnnnn.
constexpr int MaxPspNumber = 99999;

QString quoted(const QString &text) {
    return u'\'' + text + u'\'';
}

QString normalised(const QString &text) {
    QString folded = text.toCaseFolded();
    folded.remove(u' ');
    return folded;
}

// The settings options that pick an item of one of the device's lists.
struct ListOption {
    const char16_t *name;
    ProfileKey key;
    const char16_t *what; // for the error message
};
constexpr ListOption ListOptions[] = {
    {u"audio-codec", ProfileKey::AudioCodec, u"audio codec"},
    {u"audio-bitrate", ProfileKey::AudioQuality, u"audio bit rate"},
    {u"sample-rate", ProfileKey::AudioSampleRate, u"sample rate"},
    {u"channels", ProfileKey::AudioChannels, u"channel setting"},
    {u"video-codec", ProfileKey::VideoCodec, u"video codec"},
    {u"video-bitrate", ProfileKey::VideoQuality, u"video bit rate"},
    {u"frame-rate", ProfileKey::VideoFrameRate, u"frame rate"},
};

struct CheckOption {
    const char16_t *on;
    const char16_t *off; // nullptr: no option to clear it
    ProfileKey key;
};
constexpr CheckOption CheckOptions[] = {
    {u"no-audio", nullptr, ProfileKey::AudioNoAudio},
    {u"no-video", nullptr, ProfileKey::VideoNoVideo},
    {u"same-quality", u"no-same-quality", ProfileKey::VideoOriginalQuality},
    {u"keep-aspect", u"no-keep-aspect", ProfileKey::VideoKeepAspectRatio},
};

QString name(const char16_t *text) {
    return QString::fromUtf16(text);
}

struct Failure {
    QString message;
    int exitCode = ExitInvalid;
};

std::optional<QString> matchDevice(const QString &value) {
    for (const CliDevice &device : CliDevices()) {
        if (device.name.compare(value.trimmed(), Qt::CaseInsensitive) == 0)
            return device.name;
    }
    return std::nullopt;
}

QString deviceNames() {
    QStringList names;
    for (const CliDevice &device : CliDevices())
        names.append(device.name);
    return names.join(QStringLiteral(", "));
}

// The 1-based number of the profile named or numbered by `value`.
std::optional<int> matchProfile(const QStringList &names, const QString &value) {
    bool numeric = false;
    const int number = value.trimmed().toInt(&numeric);
    if (numeric)
        return number >= 1 && number <= names.size() ? std::optional<int>(number) : std::nullopt;
    for (qsizetype i = 0; i < names.size(); ++i) {
        if (names[i].compare(value.trimmed(), Qt::CaseInsensitive) == 0)
            return int(i + 1);
    }
    return std::nullopt;
}

QString profileList(const QStringList &names) {
    QStringList lines;
    for (qsizetype i = 0; i < names.size(); ++i)
        lines.append(QStringLiteral("  %1  %2").arg(i + 1).arg(names[i]));
    return lines.join(u'\n');
}

std::optional<TimeFields> timeFields(const QString &text) {
    const QStringList parts = text.split(u':');
    if (parts.size() != 3)
        return std::nullopt;
    return TimeFields{parts[0], parts[1], parts[2]};
}

std::optional<Failure> readTrim(const QString &value, std::optional<TrimRange> &trim) {
    const QStringList ends = value.split(u'-');
    const std::optional<TimeFields> start = ends.size() == 2 ? timeFields(ends[0]) : std::nullopt;
    const std::optional<TimeFields> end = ends.size() == 2 ? timeFields(ends[1]) : std::nullopt;
    if (!start || !end)
        return Failure{QStringLiteral("--trim: expected START-END as HH:MM:SS-HH:MM:SS, not ") +
                       quoted(value)};
    // The checks that do not depend on a file's length come first; the end
    // is held against each file's duration once the files are read.
    const TrimCheck check = CheckTrimTimes(*start, *end, MaxTrimHours * 3600);
    if (check.Verdict != TrimVerdict::Accepted)
        return Failure{QStringLiteral("--trim: ") + TrimRefusalText(check.Verdict, 0)};
    trim = TrimRange{*start, *end};
    return std::nullopt;
}

std::optional<Failure> readPspNumber(const QString &value, QString &number) {
    const QString digits = value.trimmed();
    bool numeric = !digits.isEmpty();
    for (const QChar c : digits)
        numeric = numeric && c >= u'0' && c <= u'9';
    const qint64 parsed = numeric && digits.size() <= 6 ? digits.toLongLong() : -1;
    if (parsed < 1 || parsed > MaxPspNumber)
        return Failure{QStringLiteral("--psp-number: ") + quoted(value) +
                       QStringLiteral(" is not a whole number from 1 to %1").arg(MaxPspNumber)};
    number = QString::number(parsed);
    return std::nullopt;
}

// A listed size, or a custom one that follows the custom size dialog's
// rules. A custom size that happens to equal an entry selects that entry.
std::optional<Failure> readSize(const QString &value, const ProfileSettings::OptionLists &lists,
                                ProfileSettings::Selection &selection,
                                std::optional<QString> &customSize) {
    if (const std::optional<int> position = FindOptionItem(lists.videoSize, value)) {
        selection[ProfileKey::VideoSize] = *position;
        customSize.reset();
        return std::nullopt;
    }
    const QString text = value.trimmed();
    const qsizetype x = text.indexOf(u'x', 0, Qt::CaseInsensitive);
    const std::optional<QString> size =
        x < 0 ? std::nullopt : CustomVideoSize::Compose(text.first(x), text.sliced(x + 1));
    if (!size)
        return Failure{QStringLiteral("--size: ") + quoted(value) +
                       QStringLiteral(" is not a frame size. Give WIDTHxHEIGHT, both positive "
                                      "even whole numbers, or one of: ") +
                       lists.videoSize.join(QStringLiteral(", "))};
    customSize = *size;
    return std::nullopt;
}

std::optional<Failure> readListOption(const ListOption &option, const QString &value,
                                      const QString &device,
                                      const ProfileSettings::OptionLists &lists,
                                      ProfileSettings::Selection &selection) {
    const QStringList &items = lists.list(option.key);
    std::optional<int> position = FindOptionItem(items, value);
    // Channels may also be given as their count: the first entry is one
    // channel, the second two, and so on.
    if (!position && option.key == ProfileKey::AudioChannels) {
        bool numeric = false;
        const int count = value.trimmed().toInt(&numeric);
        if (numeric && count >= 1 && count <= items.size())
            position = count - 1;
    }
    if (position) {
        selection[option.key] = *position;
        return std::nullopt;
    }
    QString valid = items.join(QStringLiteral(", "));
    if (option.key == ProfileKey::AudioChannels && !items.isEmpty())
        valid += QStringLiteral(" (or the channel count, 1 to %1)").arg(items.size());
    return Failure{u"--" + name(option.name) + QStringLiteral(": ") + device +
                   QStringLiteral(" offers no ") + name(option.what) + u' ' + quoted(value) +
                   QStringLiteral(". Valid values: ") +
                   (valid.isEmpty() ? QStringLiteral("none") : valid)};
}

// --burn-subtitles takes its track only joined to it, as
// --burn-subtitles=TRACK, so that a file named after the bare option is
// never taken for a track. Takes the track out of the arguments (the parser
// then sees the bare option); "default" when the option comes without one.
std::optional<QString> takeBurnSubtitlesTrack(QStringList &arguments) {
    std::optional<QString> track;
    for (qsizetype i = 1; i < arguments.size() && arguments[i] != u"--"; ++i) {
        QString &argument = arguments[i];
        for (const QString &option :
             {QStringLiteral("--burn-subtitles"), QStringLiteral("-burn-subtitles")}) {
            if (argument == option) {
                track = QStringLiteral("default");
            } else if (argument.startsWith(option + u'=')) {
                track = argument.sliced(option.size() + 1);
                argument = option;
            }
        }
    }
    return track;
}

// A track as the converter takes it: a 1-based number among the source's
// tracks of its kind, or a language code of two or three ASCII letters
// (written in lower case). Nothing for anything else.
std::optional<QString> trackChoice(const QString &value) {
    const QString text = value.trimmed();
    const auto all = [&text](bool (*test)(char16_t)) {
        return !text.isEmpty() &&
               std::all_of(text.begin(), text.end(), [test](QChar c) { return test(c.unicode()); });
    };
    if (all([](char16_t c) { return c >= u'0' && c <= u'9'; })) {
        const int number = text.size() <= 3 ? text.toInt() : 0;
        return number >= 1 ? std::optional(QString::number(number)) : std::nullopt;
    }
    if (text.size() >= 2 && text.size() <= 3 &&
        all([](char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }))
        return text.toLower();
    return std::nullopt;
}

std::optional<Failure> readTrack(const QString &option, const QString &value, QString &track) {
    const std::optional<QString> choice = trackChoice(value);
    if (!choice)
        return Failure{u"--" + option + QStringLiteral(": ") + quoted(value) +
                       QStringLiteral(" is neither a track number (1 to 999) nor a language "
                                      "code of two or three letters (en, fra)")};
    track = *choice;
    return std::nullopt;
}

// The command line being read: the options given, the request they fill
// and what the settings step works on.
struct Reading {
    const QCommandLineParser &parser;
    CliRequest &request;
    std::optional<QString> burnTrack; // --burn-subtitles, with its track or "default"

    bool isSet(const char16_t *option) const { return parser.isSet(name(option)); }
    QString value(const char16_t *option) const { return parser.value(name(option)); }
};

// Reads one option's value (empty for a flag) into the request.
using OptionReader = std::optional<Failure> (*)(const QString &value, Reading &reading);

// An option of the command line: its long name, its one-letter name (or
// none), the name of its value in the help (none for a flag), what reads it
// (none where a step of the parse reads it) and the one device it is for
// (none: every device).
struct Option {
    const char16_t *name;
    const char16_t *letter;
    const char16_t *valueName;
    OptionReader read;
    const char16_t *device = nullptr;
};

std::optional<Failure> readPreviewTime(const QString &given, Reading &reading) {
    const QString value = given.trimmed();
    bool seconds = false;
    const qint64 number = value.toLongLong(&seconds);
    const std::optional<qint64> time =
        seconds && number >= 0 ? std::optional(number) : TimeTextToSeconds(value);
    if (!time)
        return Failure{QStringLiteral("--preview: ") + quoted(value) +
                       QStringLiteral(" is no time: give HH:MM:SS or seconds")};
    reading.request.previewSeconds = *time;
    return std::nullopt;
}

// The options that choose what the program does instead of converting, in
// the order a refusal of two of them names them.
struct ModeOption {
    Option option;
    CliRequest::Mode mode;
};
constexpr ModeOption ModeOptions[] = {
    {{u"list-devices", nullptr, nullptr, nullptr}, CliRequest::Mode::ListDevices},
    {{u"list-profiles", nullptr, nullptr, nullptr}, CliRequest::Mode::ListProfiles},
    {{u"dry-run", nullptr, nullptr, nullptr}, CliRequest::Mode::DryRun},
    {{u"info", nullptr, nullptr, nullptr}, CliRequest::Mode::Info},
    {{u"resume", nullptr, nullptr, nullptr}, CliRequest::Mode::Resume},
    {{u"preview", nullptr, u"TIME", readPreviewTime}, CliRequest::Mode::Preview},
};

// Two passes and a fit spend a bit rate: they need a picture, and not the
// source's quality.
std::optional<Failure> spendsABitRate(const QString &option, const ConversionSettings &settings) {
    if (settings.noVideo == 1)
        return Failure{u"--" + option +
                       QStringLiteral(" needs a picture: it cannot be used with --no-video")};
    if (settings.originalQuality == 1)
        return Failure{u"--" + option +
                       QStringLiteral(" and same quality exclude each other "
                                      "(--no-same-quality turns it off)")};
    return std::nullopt;
}

std::optional<Failure> needsAPicture(const QString &option, const ConversionSettings &settings) {
    if (settings.noVideo == 1)
        return Failure{u"--" + option +
                       QStringLiteral(" needs a picture: it cannot be used with --no-video")};
    return std::nullopt;
}

std::optional<Failure> readOutput(const QString &value, Reading &reading) {
    reading.request.outputFolder = value;
    return std::nullopt;
}

std::optional<Failure> readTrimOption(const QString &value, Reading &reading) {
    return readTrim(value, reading.request.trim);
}

std::optional<Failure> readTwoPass(const QString &, Reading &reading) {
    reading.request.settings.twoPass = 1;
    return spendsABitRate(QStringLiteral("two-pass"), reading.request.settings);
}

std::optional<Failure> readFit(const QString &value, Reading &reading) {
    reading.request.fitBytes = ParseSizeText(value);
    if (!reading.request.fitBytes)
        return Failure{QStringLiteral("--fit: ") + quoted(value) +
                       QStringLiteral(" is not a size. Give a number and a unit: 700M or 2G "
                                      "(decimal, as device makers count), or 650MiB")};
    return spendsABitRate(QStringLiteral("fit"), reading.request.settings);
}

std::optional<Failure> readDeinterlace(const QString &value, Reading &reading) {
    const QString choice = value.trimmed().toLower();
    ConversionSettings &settings = reading.request.settings;
    if (choice == u"auto")
        settings.deinterlace = Deinterlace::Automatic;
    else if (choice == u"on")
        settings.deinterlace = Deinterlace::Always;
    else if (choice == u"off")
        settings.deinterlace = Deinterlace::Never;
    else
        return Failure{QStringLiteral("--deinterlace: ") + quoted(value) +
                       QStringLiteral(" is not auto, on or off")};
    return needsAPicture(QStringLiteral("deinterlace"), settings);
}

// Its track was taken out of the arguments before they were parsed.
std::optional<Failure> readBurnSubtitles(const QString &, Reading &reading) {
    CliRequest &request = reading.request;
    request.settings.burnSubtitles = 1;
    const QString track = reading.burnTrack.value_or(QStringLiteral("default"));
    if (track != u"default") {
        if (std::optional<Failure> failure =
                readTrack(QStringLiteral("burn-subtitles"), track, request.subtitleTrack))
            return failure;
    }
    return needsAPicture(QStringLiteral("burn-subtitles"), request.settings);
}

std::optional<Failure> readAudioTrack(const QString &value, Reading &reading) {
    if (std::optional<Failure> failure =
            readTrack(QStringLiteral("audio-track"), value, reading.request.audioTrack))
        return failure;
    if (reading.request.settings.noAudio == 1)
        return Failure{QStringLiteral("--audio-track needs sound: it cannot be used with "
                                      "--no-audio")};
    return std::nullopt;
}

std::optional<Failure> readKind(const QString &value, Reading &reading) {
    const std::optional<MediaKind> kind = MediaKindFromWord(value.trimmed());
    if (!kind || *kind == MediaKind::Automatic)
        return Failure{QStringLiteral("--kind: ") + quoted(value) +
                       QStringLiteral(" is not movie, tv or music-video")};
    reading.request.media.kind = *kind;
    return std::nullopt;
}

std::optional<Failure> readTitle(const QString &value, Reading &reading) {
    reading.request.media.title = value.trimmed();
    return std::nullopt;
}

std::optional<Failure> readShow(const QString &value, Reading &reading) {
    reading.request.media.show = value.trimmed();
    return std::nullopt;
}

std::optional<Failure> readEpisodeNumber(const QString &option, const QString &value,
                                         std::optional<int> &number) {
    bool ok = false;
    const int parsed = value.trimmed().toInt(&ok);
    if (!ok || parsed < 0 || parsed > 9999)
        return Failure{u"--" + option + QStringLiteral(": ") + quoted(value) +
                       QStringLiteral(" is not a whole number from 0 to 9999")};
    number = parsed;
    return std::nullopt;
}

std::optional<Failure> readSeason(const QString &value, Reading &reading) {
    return readEpisodeNumber(QStringLiteral("season"), value, reading.request.media.season);
}

std::optional<Failure> readEpisode(const QString &value, Reading &reading) {
    return readEpisodeNumber(QStringLiteral("episode"), value, reading.request.media.episode);
}

std::optional<Failure> readAlwaysEncode(const QString &, Reading &reading) {
    reading.request.settings.alwaysEncode = 1;
    return std::nullopt;
}

std::optional<Failure> readAddToLibrary(const QString &, Reading &reading) {
    reading.request.addToLibrary = true;
    return std::nullopt;
}

std::optional<Failure> readIpod(const QString &folder, Reading &reading) {
    if (!IsIpodFolder(folder))
        return Failure{QStringLiteral("--ipod: no iPod at ") + quoted(folder) +
                       QStringLiteral(" (it holds no iPod_Control/iTunes/iTunesDB)")};
    reading.request.ipod = QFileInfo(folder).absoluteFilePath();
    reading.request.addToLibrary = true;
    return std::nullopt;
}

// The output folder is the PSP's video folder on the one Memory Stick
// mounted, for the video codec chosen.
std::optional<Failure> readMemoryStick(const QString &, Reading &reading) {
    CliRequest &request = reading.request;
    if (reading.isSet(u"output"))
        return Failure{QStringLiteral("--memory-stick and --output cannot be used together")};
    const QStringList sticks = MemoryStickMountPoints(ReadMounts());
    if (sticks.isEmpty())
        return Failure{QStringLiteral("--memory-stick: no PSP Memory Stick is mounted (a volume "
                                      "with a PSP or MP_ROOT folder at its root)"),
                       ExitFailed};
    if (sticks.size() > 1)
        return Failure{QStringLiteral("--memory-stick: several PSP Memory Sticks are mounted (") +
                       sticks.join(QStringLiteral(", ")) +
                       QStringLiteral("); name the folder with --output instead")};
    request.outputFolder = PspVideoFolder(sticks.first(), request.settings.videoCodecPosition);
    return std::nullopt;
}

std::optional<Failure> readThumbnails(const QString &, Reading &reading) {
    reading.request.createThumbnails = true;
    return std::nullopt;
}

std::optional<Failure> readPspNumberOption(const QString &value, Reading &reading) {
    return readPspNumber(value, reading.request.pspStartNumber);
}

std::optional<Failure> readJobs(const QString &value, Reading &reading) {
    const std::optional<int> jobs = FilesAtOnce::Parse(value);
    if (!jobs)
        return Failure{QStringLiteral("--jobs: ") + quoted(value) +
                       QStringLiteral(" is not auto or a whole number from 1 to %1")
                           .arg(FilesAtOnce::MaxLanes)};
    reading.request.jobs = *jobs;
    return std::nullopt;
}

// The options of a conversion beyond its settings, read in this order once
// the settings are known. A new option is one more entry.
constexpr Option ConversionOptions[] = {
    {u"output", u"o", u"DIR", readOutput},
    {u"trim", nullptr, u"START-END", readTrimOption},
    {u"two-pass", nullptr, nullptr, readTwoPass},
    {u"fit", nullptr, u"SIZE", readFit},
    {u"deinterlace", nullptr, u"auto|on|off", readDeinterlace},
    {u"burn-subtitles", nullptr, nullptr, readBurnSubtitles},
    {u"audio-track", nullptr, u"N|LANGUAGE", readAudioTrack},
    {u"kind", nullptr, u"movie|tv|music-video", readKind},
    {u"title", nullptr, u"TEXT", readTitle},
    {u"show", nullptr, u"TEXT", readShow},
    {u"season", nullptr, u"N", readSeason},
    {u"episode", nullptr, u"N", readEpisode},
    {u"always-encode", nullptr, nullptr, readAlwaysEncode},
    {u"add-to-library", nullptr, nullptr, readAddToLibrary, u"iPod"},
    {u"ipod", nullptr, u"MOUNTPOINT", readIpod, u"iPod"},
    {u"memory-stick", nullptr, nullptr, readMemoryStick, u"PSP"},
    {u"thumbnails", nullptr, nullptr, readThumbnails, u"PSP"},
    {u"psp-number", nullptr, u"N", readPspNumberOption, u"PSP"},
    {u"jobs", u"j", u"N|auto", readJobs},
};

// The options the steps of the parse read themselves.
constexpr Option StepOptions[] = {
    {u"device", u"d", u"NAME", nullptr}, {u"profile", u"p", u"NAME|N", nullptr},
    {u"size", nullptr, u"WxH", nullptr}, {u"json", nullptr, nullptr, nullptr},
    {u"help", u"h", nullptr, nullptr},   {u"version", u"v", nullptr, nullptr},
};

QCommandLineOption parserOption(const Option &option) {
    QStringList names{name(option.name)};
    if (option.letter)
        names.prepend(name(option.letter));
    return option.valueName ? QCommandLineOption(names, QString(), name(option.valueName))
                            : QCommandLineOption(names);
}

QList<QCommandLineOption> parserOptions() {
    QList<QCommandLineOption> options;
    for (const Option &option : StepOptions)
        options.append(parserOption(option));
    for (const ModeOption &mode : ModeOptions)
        options.append(parserOption(mode.option));
    for (const Option &option : ConversionOptions)
        options.append(parserOption(option));
    for (const ListOption &option : ListOptions)
        options.append(parserOption({option.name, nullptr, u"VALUE", nullptr}));
    for (const CheckOption &option : CheckOptions) {
        options.append(parserOption({option.on, nullptr, nullptr, nullptr}));
        if (option.off)
            options.append(parserOption({option.off, nullptr, nullptr, nullptr}));
    }
    return options;
}

std::optional<Failure> readOption(const Option &option, Reading &reading) {
    if (!reading.isSet(option.name))
        return std::nullopt;
    if (option.device && reading.request.device != name(option.device))
        return Failure{u"--" + name(option.name) + QStringLiteral(" is for the ") +
                       name(option.device) + QStringLiteral(" only")};
    return option.read(option.valueName ? reading.value(option.name) : QString(), reading);
}

// The mode the options choose; two of them cannot be used together.
std::optional<Failure> readMode(Reading &reading) {
    QStringList modes;
    for (const ModeOption &mode : ModeOptions) {
        if (!reading.isSet(mode.option.name))
            continue;
        modes.append(u"--" + name(mode.option.name));
        reading.request.mode = mode.mode;
        if (mode.option.read) {
            if (std::optional<Failure> failure = readOption(mode.option, reading))
                return failure;
        }
    }
    if (modes.size() > 1)
        return Failure{modes.join(QStringLiteral(" and ")) +
                       QStringLiteral(" cannot be used together")};
    return std::nullopt;
}

std::optional<Failure> readDevice(Reading &reading) {
    CliRequest &request = reading.request;
    request.device = QStringLiteral("iPod");
    if (reading.isSet(u"device")) {
        const QString value = reading.value(u"device");
        const std::optional<QString> device = matchDevice(value);
        if (!device)
            return Failure{QStringLiteral("--device: unknown device ") + quoted(value) +
                           QStringLiteral(". Devices: ") + deviceNames()};
        request.device = *device;
    }
    const QString file = ProfileFile::Path(request.device);
    if (!QFileInfo(file).isFile())
        return Failure{QStringLiteral("the profile file of ") + request.device +
                           QStringLiteral(" is missing: ") + file,
                       ExitFailed};
    return std::nullopt;
}

// The profile named or numbered, else the device's default one.
std::optional<Failure> readProfile(Reading &reading, const QString &file) {
    CliRequest &request = reading.request;
    const ProfileSettings::DeviceProfiles profiles = ProfileSettings::ReadDeviceProfiles(file);
    if (reading.isSet(u"profile")) {
        const QString value = reading.value(u"profile");
        const std::optional<int> number = matchProfile(profiles.names, value);
        if (!number)
            return Failure{QStringLiteral("--profile: ") + request.device +
                           QStringLiteral(" has no profile ") + quoted(value) +
                           QStringLiteral(". Profiles:\n") + profileList(profiles.names)};
        request.profileNumber = *number;
    } else if (profiles.defaultPosition) {
        request.profileNumber = *profiles.defaultPosition + 1;
    }
    if (request.profileNumber > 0)
        request.profileName = profiles.names[request.profileNumber - 1];
    return std::nullopt;
}

// The settings options over the profile's selection; a custom size aside.
std::optional<Failure> readSelection(Reading &reading, const ProfileSettings::OptionLists &lists,
                                     ProfileSettings::Selection &selection,
                                     std::optional<QString> &customSize) {
    for (const ListOption &option : ListOptions) {
        if (!reading.isSet(option.name))
            continue;
        if (std::optional<Failure> failure = readListOption(
                option, reading.value(option.name), reading.request.device, lists, selection))
            return failure;
    }
    if (reading.isSet(u"size")) {
        if (std::optional<Failure> failure =
                readSize(reading.value(u"size"), lists, selection, customSize))
            return failure;
    }
    for (const CheckOption &option : CheckOptions) {
        const bool on = reading.isSet(option.on);
        const bool off = option.off && reading.isSet(option.off);
        if (on && off)
            return Failure{u"--" + name(option.on) + QStringLiteral(" and --") + name(option.off) +
                           QStringLiteral(" cannot be used together")};
        if (on || off)
            selection[option.key] = on ? 1 : 0;
    }
    return std::nullopt;
}

// The profile's settings with the settings options applied, as the window's
// controls would hold them.
std::optional<Failure> readSettings(Reading &reading, const QString &file) {
    CliRequest &request = reading.request;
    const ProfileSettings::OptionLists lists = ProfileSettings::ReadOptionLists(file);
    ProfileSettings::Selection selection =
        ProfileSettings::SelectionForProfile(file, lists, request.profileNumber);
    const ProfileSettings::Selection loaded = selection;
    std::optional<QString> customSize;
    if (std::optional<Failure> failure = readSelection(reading, lists, selection, customSize))
        return failure;

    request.settings = ProfileSettings::ToConversionSettings(request.device, selection, lists);
    if (customSize) {
        // As the custom size dialog leaves the size box: the text, and the
        // position of an entry with exactly that text, if any.
        request.settings.videoSize = ParseFrameSize(*customSize);
        request.settings.videoSizePosition = int(lists.videoSize.indexOf(*customSize));
    }
    if (request.settings.noAudio == 1 && request.settings.noVideo == 1)
        return Failure{QStringLiteral("no sound and no picture: nothing would be converted "
                                      "(--no-audio and --no-video exclude each other)")};
    if (customSize && request.settings.noVideo != 1) {
        if (const std::optional<QString> refusal =
                CustomVideoSize::CodecSizeRefusal(request.settings.videoCodec, *customSize))
            return Failure{QStringLiteral("--size: ") + *refusal};
    }
    request.settingsChanged =
        customSize.has_value() || selection.values != loaded.values || request.profileNumber == 0;
    request.sizeItems = lists.videoSize;
    request.qualityItems = lists.videoBitrate;
    return std::nullopt;
}

// A show, season or episode given makes a TV episode of a file whose kind
// is not given.
void describeAnEpisode(MediaDescription &media) {
    if (media.kind == MediaKind::Automatic &&
        (!media.show.isEmpty() || media.season || media.episode))
        media.kind = MediaKind::TvShow;
}

std::optional<Failure> readConversionOptions(Reading &reading) {
    for (const Option &option : ConversionOptions) {
        if (std::optional<Failure> failure = readOption(option, reading))
            return failure;
    }
    MediaDescription &media = reading.request.media;
    if (!media.isAutomatic() && reading.request.settings.noVideo == 1)
        return Failure{QStringLiteral("--kind, --title, --show, --season and --episode describe "
                                      "a video: they cannot be used with --no-video")};
    describeAnEpisode(media);
    return std::nullopt;
}

// The files, and what depends on how many there are.
std::optional<Failure> readFiles(Reading &reading) {
    CliRequest &request = reading.request;
    request.files = reading.parser.positionalArguments();
    if (request.files.isEmpty())
        return Failure{QStringLiteral("no video files given")};
    if (request.files.contains(QString()))
        return Failure{QStringLiteral("an empty file name was given")};
    // The kind alone can be every file's; a title or an episode is one file's.
    const MediaDescription &media = request.media;
    const bool oneFiles =
        !media.title.isEmpty() || !media.show.isEmpty() || media.season || media.episode;
    if (oneFiles && request.files.size() > 1)
        return Failure{QStringLiteral("--title, --show, --season and --episode describe one "
                                      "file, and %1 were given")
                           .arg(request.files.size())};
    if (reading.isSet(u"psp-number")) {
        // The files are numbered one after the other from the first number.
        const qint64 last = request.pspStartNumber.toLongLong() + request.files.size() - 1;
        if (last > MaxPspNumber)
            return Failure{QStringLiteral("--psp-number: %1 files from number %2 would go past "
                                          "%3, the highest PSP file number; give at most %4")
                               .arg(request.files.size())
                               .arg(request.pspStartNumber)
                               .arg(MaxPspNumber)
                               .arg(MaxPspNumber - request.files.size() + 1)};
    }
    return std::nullopt;
}

// Reads what the options ask for, step by step; the first refusal ends it.
std::optional<Failure> readRequest(Reading &reading) {
    CliRequest &request = reading.request;
    if (reading.isSet(u"help") || reading.isSet(u"version")) {
        request.mode = reading.isSet(u"help") ? CliRequest::Mode::Help : CliRequest::Mode::Version;
        return std::nullopt;
    }
    request.json = reading.isSet(u"json");
    if (std::optional<Failure> failure = readMode(reading))
        return failure;
    if (request.mode == CliRequest::Mode::ListDevices)
        return std::nullopt;
    if (request.mode == CliRequest::Mode::Resume) {
        // The interrupted batch brings its own files and settings.
        if (!reading.parser.positionalArguments().isEmpty())
            return Failure{QStringLiteral("--resume takes no video files: it converts what the "
                                          "interrupted batch left")};
        return std::nullopt;
    }
    if (std::optional<Failure> failure = readDevice(reading))
        return failure;
    if (request.mode == CliRequest::Mode::ListProfiles)
        return std::nullopt;
    const QString file = ProfileFile::Path(request.device);
    for (const auto step : {readProfile, readSettings}) {
        if (std::optional<Failure> failure = step(reading, file))
            return failure;
    }
    for (const auto step : {readConversionOptions, readFiles}) {
        if (std::optional<Failure> failure = step(reading))
            return failure;
    }
    if (request.mode == CliRequest::Mode::Info)
        return std::nullopt;
    if (const std::optional<QString> refusal =
            CheckVideoLimits(request.settings, request.sizeItems, request.qualityItems))
        return Failure{*refusal};
    return std::nullopt;
}

std::optional<Failure> parse(const QStringList &givenArguments, CliRequest &request) {
    QStringList arguments = givenArguments;
    const std::optional<QString> burnTrack = takeBurnSubtitlesTrack(arguments);
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOptions(parserOptions());
    if (!parser.parse(arguments))
        return Failure{parser.errorText()};
    Reading reading{parser, request, burnTrack};
    return readRequest(reading);
}

} // namespace

QList<CliDevice> CliDevices() {
    return {{QStringLiteral("iPod"), QStringLiteral("Apple iPod / iPhone")},
            {QStringLiteral("Zune"), QStringLiteral("Microsoft Zune")},
            {QStringLiteral("PSP"), QStringLiteral("Sony PSP")},
            {QStringLiteral("MobilePhone"), QStringLiteral("Mobile Phone")}};
}

std::optional<int> FindOptionItem(const QStringList &items, const QString &value) {
    const QString wanted = normalised(value);
    if (wanted.isEmpty())
        return std::nullopt;
    for (qsizetype i = 0; i < items.size(); ++i) {
        const QString item = normalised(items[i]);
        if (item == wanted)
            return int(i);
        for (const QStringView unit : {QStringView(u"kbps"), QStringView(u"fps")}) {
            if (item.endsWith(unit) && item.chopped(unit.size()) == wanted)
                return int(i);
        }
    }
    return std::nullopt;
}

QString TrimRefusalText(TrimVerdict verdict, qint64 totalSeconds) {
    return TrimVerdictMessage(verdict, totalSeconds)
        .replace(QStringLiteral("\r\n"), QStringLiteral(" "));
}

CliParse ParseCliArguments(const QStringList &arguments) {
    CliParse result;
    CliRequest request;
    if (std::optional<Failure> failure = parse(arguments, request)) {
        result.error = failure->message;
        result.exitCode = failure->exitCode;
        result.json = request.json || arguments.contains(QStringLiteral("--json"));
        return result;
    }
    result.request = request;
    result.json = request.json;
    result.exitCode = ExitConverted;
    return result;
}

void ApplyTrackChoices(const CliRequest &request, QList<FileListRow> &rows) {
    for (FileListRow &row : rows) {
        if (!request.audioTrack.isEmpty())
            row.AudioTrack = request.audioTrack;
        if (!request.subtitleTrack.isEmpty())
            row.SubtitleTrack = request.subtitleTrack;
        row.Media = request.media;
    }
}
