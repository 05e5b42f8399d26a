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

QList<QCommandLineOption> parserOptions() {
    const auto valued = [](const QStringList &names, const QString &valueName) {
        return QCommandLineOption(names, QString(), valueName);
    };
    const auto flag = [](const QStringList &names) {
        return QCommandLineOption(names);
    };
    QList<QCommandLineOption> options{
        valued({QStringLiteral("d"), QStringLiteral("device")}, QStringLiteral("NAME")),
        valued({QStringLiteral("p"), QStringLiteral("profile")}, QStringLiteral("NAME|N")),
        flag({QStringLiteral("list-devices")}),
        flag({QStringLiteral("list-profiles")}),
        valued({QStringLiteral("size")}, QStringLiteral("WxH")),
        valued({QStringLiteral("o"), QStringLiteral("output")}, QStringLiteral("DIR")),
        valued({QStringLiteral("trim")}, QStringLiteral("START-END")),
        flag({QStringLiteral("two-pass")}),
        valued({QStringLiteral("fit")}, QStringLiteral("SIZE")),
        valued({QStringLiteral("deinterlace")}, QStringLiteral("auto|on|off")),
        valued({QStringLiteral("audio-track")}, QStringLiteral("N|LANGUAGE")),
        flag({QStringLiteral("burn-subtitles")}), // its track: see takeBurnSubtitlesTrack
        valued({QStringLiteral("kind")}, QStringLiteral("movie|tv|music-video")),
        valued({QStringLiteral("title")}, QStringLiteral("TEXT")),
        valued({QStringLiteral("show")}, QStringLiteral("TEXT")),
        valued({QStringLiteral("season")}, QStringLiteral("N")),
        valued({QStringLiteral("episode")}, QStringLiteral("N")),
        flag({QStringLiteral("always-encode")}),
        flag({QStringLiteral("add-to-library")}),
        valued({QStringLiteral("ipod")}, QStringLiteral("MOUNTPOINT")),
        flag({QStringLiteral("memory-stick")}),
        flag({QStringLiteral("thumbnails")}),
        valued({QStringLiteral("psp-number")}, QStringLiteral("N")),
        valued({QStringLiteral("j"), QStringLiteral("jobs")}, QStringLiteral("N|auto")),
        flag({QStringLiteral("dry-run")}),
        flag({QStringLiteral("resume")}),
        flag({QStringLiteral("info")}),
        valued({QStringLiteral("preview")}, QStringLiteral("TIME")),
        flag({QStringLiteral("json")}),
        flag({QStringLiteral("h"), QStringLiteral("help")}),
        flag({QStringLiteral("v"), QStringLiteral("version")}),
    };
    for (const ListOption &option : ListOptions)
        options.append(valued({name(option.name)}, QStringLiteral("VALUE")));
    for (const CheckOption &option : CheckOptions) {
        options.append(flag({name(option.on)}));
        if (option.off)
            options.append(flag({name(option.off)}));
    }
    return options;
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

// --memory-stick: the output folder is the PSP's video folder on the one
// Memory Stick mounted, for the video codec chosen.
std::optional<Failure> readMemoryStick(const QCommandLineParser &parser, CliRequest &request) {
    if (request.device != u"PSP")
        return Failure{QStringLiteral("--memory-stick is for the PSP only")};
    if (parser.isSet(QStringLiteral("output")))
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

// --deinterlace, --audio-track and --burn-subtitles: the picture's choices
// need a picture, the sound track sound.
std::optional<Failure> readSourceChoices(const QCommandLineParser &parser,
                                         const std::optional<QString> &burnTrack,
                                         CliRequest &request) {
    if (parser.isSet(QStringLiteral("deinterlace"))) {
        const QString value = parser.value(QStringLiteral("deinterlace"));
        const QString choice = value.trimmed().toLower();
        if (choice == u"auto")
            request.settings.deinterlace = Deinterlace::Automatic;
        else if (choice == u"on")
            request.settings.deinterlace = Deinterlace::Always;
        else if (choice == u"off")
            request.settings.deinterlace = Deinterlace::Never;
        else
            return Failure{QStringLiteral("--deinterlace: ") + quoted(value) +
                           QStringLiteral(" is not auto, on or off")};
    }
    if (burnTrack) {
        request.settings.burnSubtitles = 1;
        if (*burnTrack != u"default") {
            if (std::optional<Failure> failure =
                    readTrack(QStringLiteral("burn-subtitles"), *burnTrack, request.subtitleTrack))
                return failure;
        }
    }
    if (parser.isSet(QStringLiteral("audio-track"))) {
        if (std::optional<Failure> failure =
                readTrack(QStringLiteral("audio-track"),
                          parser.value(QStringLiteral("audio-track")), request.audioTrack))
            return failure;
        if (request.settings.noAudio == 1)
            return Failure{QStringLiteral("--audio-track needs sound: it cannot be used with "
                                          "--no-audio")};
    }
    for (const QString &option :
         {QStringLiteral("deinterlace"), QStringLiteral("burn-subtitles")}) {
        if (parser.isSet(option) && request.settings.noVideo == 1)
            return Failure{u"--" + option +
                           QStringLiteral(" needs a picture: it cannot be used with --no-video")};
    }
    return std::nullopt;
}

// --kind, --title, --show, --season and --episode: what one file is to the
// device; with several files each file's name decides.
std::optional<Failure> readMediaDescription(const QCommandLineParser &parser, CliRequest &request) {
    MediaDescription &media = request.media;
    if (parser.isSet(QStringLiteral("kind"))) {
        const QString value = parser.value(QStringLiteral("kind"));
        const std::optional<MediaKind> kind = MediaKindFromWord(value.trimmed());
        if (!kind || *kind == MediaKind::Automatic)
            return Failure{QStringLiteral("--kind: ") + quoted(value) +
                           QStringLiteral(" is not movie, tv or music-video")};
        media.kind = *kind;
    }
    media.title = parser.value(QStringLiteral("title")).trimmed();
    media.show = parser.value(QStringLiteral("show")).trimmed();
    for (const auto &[option, number] : {std::pair{QStringLiteral("season"), &media.season},
                                         std::pair{QStringLiteral("episode"), &media.episode}}) {
        if (!parser.isSet(option))
            continue;
        bool ok = false;
        const int value = parser.value(option).trimmed().toInt(&ok);
        if (!ok || value < 0 || value > 9999)
            return Failure{u"--" + option + QStringLiteral(": ") + quoted(parser.value(option)) +
                           QStringLiteral(" is not a whole number from 0 to 9999")};
        *number = value;
    }
    if (!media.isAutomatic() && request.settings.noVideo == 1)
        return Failure{QStringLiteral("--kind, --title, --show, --season and --episode describe "
                                      "a video: they cannot be used with --no-video")};
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

    const QString help = QStringLiteral("help");
    if (parser.isSet(help)) {
        request.mode = CliRequest::Mode::Help;
        return std::nullopt;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        request.mode = CliRequest::Mode::Version;
        return std::nullopt;
    }
    request.json = parser.isSet(QStringLiteral("json"));

    QStringList modes;
    const std::pair<const char16_t *, CliRequest::Mode> modeOptions[] = {
        {u"list-devices", CliRequest::Mode::ListDevices},
        {u"list-profiles", CliRequest::Mode::ListProfiles},
        {u"dry-run", CliRequest::Mode::DryRun},
        {u"info", CliRequest::Mode::Info},
        {u"resume", CliRequest::Mode::Resume},
    };
    for (const auto &[option, mode] : modeOptions) {
        if (parser.isSet(name(option))) {
            modes.append(u"--" + name(option));
            request.mode = mode;
        }
    }
    if (parser.isSet(QStringLiteral("preview"))) {
        modes.append(QStringLiteral("--preview"));
        request.mode = CliRequest::Mode::Preview;
        const QString value = parser.value(QStringLiteral("preview")).trimmed();
        bool seconds = false;
        const qint64 number = value.toLongLong(&seconds);
        const std::optional<qint64> time =
            seconds && number >= 0 ? std::optional(number) : TimeTextToSeconds(value);
        if (!time)
            return Failure{QStringLiteral("--preview: ") + quoted(value) +
                           QStringLiteral(" is no time: give HH:MM:SS or seconds")};
        request.previewSeconds = *time;
    }
    if (modes.size() > 1)
        return Failure{modes.join(QStringLiteral(" and ")) +
                       QStringLiteral(" cannot be used together")};
    if (request.mode == CliRequest::Mode::ListDevices)
        return std::nullopt;
    if (request.mode == CliRequest::Mode::Resume) {
        // The interrupted batch brings its own files and settings.
        if (!parser.positionalArguments().isEmpty())
            return Failure{QStringLiteral("--resume takes no video files: it converts what the "
                                          "interrupted batch left")};
        return std::nullopt;
    }

    request.device = QStringLiteral("iPod");
    if (parser.isSet(QStringLiteral("device"))) {
        const QString value = parser.value(QStringLiteral("device"));
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
    if (request.mode == CliRequest::Mode::ListProfiles)
        return std::nullopt;

    const ProfileSettings::DeviceProfiles profiles = ProfileSettings::ReadDeviceProfiles(file);
    if (parser.isSet(QStringLiteral("profile"))) {
        const QString value = parser.value(QStringLiteral("profile"));
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

    const ProfileSettings::OptionLists lists = ProfileSettings::ReadOptionLists(file);
    ProfileSettings::Selection selection =
        ProfileSettings::SelectionForProfile(file, lists, request.profileNumber);
    const ProfileSettings::Selection loaded = selection;
    for (const ListOption &option : ListOptions) {
        if (!parser.isSet(name(option.name)))
            continue;
        if (std::optional<Failure> failure = readListOption(option, parser.value(name(option.name)),
                                                            request.device, lists, selection))
            return failure;
    }
    std::optional<QString> customSize;
    if (parser.isSet(QStringLiteral("size"))) {
        if (std::optional<Failure> failure =
                readSize(parser.value(QStringLiteral("size")), lists, selection, customSize))
            return failure;
    }
    for (const CheckOption &option : CheckOptions) {
        const bool on = parser.isSet(name(option.on));
        const bool off = option.off && parser.isSet(name(option.off));
        if (on && off)
            return Failure{u"--" + name(option.on) + QStringLiteral(" and --") + name(option.off) +
                           QStringLiteral(" cannot be used together")};
        if (on || off)
            selection[option.key] = on ? 1 : 0;
    }

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

    if (parser.isSet(QStringLiteral("output")))
        request.outputFolder = parser.value(QStringLiteral("output"));
    if (parser.isSet(QStringLiteral("trim"))) {
        if (std::optional<Failure> failure =
                readTrim(parser.value(QStringLiteral("trim")), request.trim))
            return failure;
    }

    // Two passes and a fit spend a bit rate: they need a picture, and not
    // the source's quality.
    request.settings.twoPass = parser.isSet(QStringLiteral("two-pass")) ? 1 : 0;
    if (parser.isSet(QStringLiteral("fit"))) {
        const QString value = parser.value(QStringLiteral("fit"));
        request.fitBytes = ParseSizeText(value);
        if (!request.fitBytes)
            return Failure{QStringLiteral("--fit: ") + quoted(value) +
                           QStringLiteral(" is not a size. Give a number and a unit: 700M or 2G "
                                          "(decimal, as device makers count), or 650MiB")};
    }
    for (const QString &option : {QStringLiteral("two-pass"), QStringLiteral("fit")}) {
        if (!parser.isSet(option))
            continue;
        if (request.settings.noVideo == 1)
            return Failure{u"--" + option +
                           QStringLiteral(" needs a picture: it cannot be used "
                                          "with --no-video")};
        if (request.settings.originalQuality == 1)
            return Failure{u"--" + option +
                           QStringLiteral(" and same quality exclude each other "
                                          "(--no-same-quality turns it off)")};
    }

    if (std::optional<Failure> failure = readSourceChoices(parser, burnTrack, request))
        return failure;
    if (std::optional<Failure> failure = readMediaDescription(parser, request))
        return failure;
    if (parser.isSet(QStringLiteral("always-encode")))
        request.settings.alwaysEncode = 1;

    request.addToLibrary = parser.isSet(QStringLiteral("add-to-library"));
    if (request.addToLibrary && request.device != u"iPod")
        return Failure{QStringLiteral("--add-to-library is for the iPod only")};
    if (parser.isSet(QStringLiteral("ipod"))) {
        if (request.device != u"iPod")
            return Failure{QStringLiteral("--ipod is for the iPod only")};
        const QString folder = parser.value(QStringLiteral("ipod"));
        if (!IsIpodFolder(folder))
            return Failure{QStringLiteral("--ipod: no iPod at ") + quoted(folder) +
                           QStringLiteral(" (it holds no iPod_Control/iTunes/iTunesDB)")};
        request.ipod = QFileInfo(folder).absoluteFilePath();
        request.addToLibrary = true;
    }
    if (parser.isSet(QStringLiteral("memory-stick"))) {
        if (std::optional<Failure> failure = readMemoryStick(parser, request))
            return failure;
    }
    request.createThumbnails = parser.isSet(QStringLiteral("thumbnails"));
    if (request.createThumbnails && request.device != u"PSP")
        return Failure{QStringLiteral("--thumbnails is for the PSP only")};
    if (parser.isSet(QStringLiteral("psp-number"))) {
        if (request.device != u"PSP")
            return Failure{QStringLiteral("--psp-number is for the PSP only")};
        if (std::optional<Failure> failure =
                readPspNumber(parser.value(QStringLiteral("psp-number")), request.pspStartNumber))
            return failure;
    }

    if (parser.isSet(QStringLiteral("jobs"))) {
        const QString value = parser.value(QStringLiteral("jobs"));
        const std::optional<int> jobs = FilesAtOnce::Parse(value);
        if (!jobs)
            return Failure{QStringLiteral("--jobs: ") + quoted(value) +
                           QStringLiteral(" is not auto or a whole number from 1 to %1")
                               .arg(FilesAtOnce::MaxLanes)};
        request.jobs = *jobs;
    }

    request.files = parser.positionalArguments();
    if (request.files.isEmpty())
        return Failure{QStringLiteral("no video files given")};
    if (request.files.contains(QString()))
        return Failure{QStringLiteral("an empty file name was given")};
    if (!request.media.isAutomatic() && request.files.size() > 1)
        return Failure{QStringLiteral("--kind, --title, --show, --season and --episode describe "
                                      "one file, and %1 were given")
                           .arg(request.files.size())};
    if (parser.isSet(QStringLiteral("psp-number"))) {
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

    if (request.mode != CliRequest::Mode::Info) {
        if (const std::optional<QString> refusal =
                CheckVideoLimits(request.settings, request.sizeItems, request.qualityItems))
            return Failure{*refusal};
    }
    return std::nullopt;
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

QString CliHelpText() {
    return QStringLiteral(
        R"(Usage: mobivert-cli [options] FILE...

Converts video files for a portable device, with the same device profiles,
converter and batch file as the Mobivert window.

Device and profile:
  -d, --device NAME        iPod, Zune, PSP or MobilePhone (default: iPod)
  -p, --profile NAME|N     one of the device's profiles, by name or by the
                           number --list-profiles shows (default: the
                           device's default)
      --list-devices       list the devices and stop
      --list-profiles      list the device's profiles and stop

Settings (each replaces the profile's value; a value must be one the device
offers, and an invalid one is answered with the list of valid values):
      --audio-codec CODEC     e.g. aac
      --audio-bitrate RATE    e.g. 128 or "128 kbps"
      --sample-rate HZ        e.g. 44100
      --channels CHANNELS     e.g. Stereo, or the channel count
      --no-audio              leave out the sound
      --video-codec CODEC     e.g. h264
      --size WxH              a size of the device's list, or a custom one
                              (even whole numbers, e.g. 400x240, at least
                              16x16; H.263 takes only 128x96, 176x144,
                              352x288, 704x576 and 1408x1152)
      --video-bitrate RATE    e.g. 768 or "768 kbps"
      --frame-rate FPS        e.g. 25
      --no-video              leave out the picture (sound only)
      --same-quality          keep the source's quality instead of a bit rate
      --no-same-quality       use the video bit rate
      --keep-aspect           fit the picture into the frame without distortion
      --no-keep-aspect        stretch the picture to the frame size
  Sizes and bit rates above what the video codec allows are refused.

Output:
  -o, --output DIR         the output folder (default: the one the Mobivert
                           window uses); created when missing
      --trim START-END     convert only this part of every file, as
                           HH:MM:SS-HH:MM:SS (e.g. 00:01:00-00:02:30)
      --two-pass           encode the video twice: better quality at the same
                           size, about twice the time
      --fit SIZE           choose the video bit rate so that all converted files
                           together fill 97% to 100% of SIZE, in two passes:
                           700M, 2G (decimal, as device makers count) or 650MiB;
                           a size too small even for the lowest bit rate is
                           refused with the size that would do
      --deinterlace auto|on|off
                           auto (the default) deinterlaces the files that are
                           interlaced (TV recordings, DVDs); on and off decide
                           for every file
      --audio-track N|LANGUAGE
                           the sound track of every file: its number among
                           the file's sound tracks (1 is the first) or its
                           language (en, fra); default: the file's default
                           track
      --burn-subtitles[=TRACK]
                           draw subtitles into the picture: the default
                           subtitle track, or TRACK (a number among the
                           file's subtitle tracks, or a language); files
                           without subtitles are converted as they are
      --kind movie|tv|music-video
                           what the file is: the device lists it under
                           Movies, TV Shows or Music Videos (default: a name
                           like "Show S02E05 Title", "Show 2x05" or
                           "Show - 205" is a TV episode, any other a movie)
      --title TEXT         the title the device shows (default: from the name)
      --show TEXT, --season N, --episode N
                           a TV episode's show, season and episode (default:
                           from the name); these five are for one file
      --always-encode      re-encode every video, even one that already suits
                           the device (by default such a video is copied as
                           it is: faster, and without any loss)
      --add-to-library     iPod: also add each converted file to the connected
                           iPod (copied onto it and listed in its own
                           database, backed up first); with no iPod
                           connected, to the playlist Mobivert.m3u8 in your
                           music folder
      --ipod MOUNTPOINT    iPod: the iPod to add the files to, for example
                           when several are connected (implies
                           --add-to-library)
      --memory-stick       PSP: save into the connected Memory Stick's
                           MP_ROOT/100MNV01 (MPEG-4) or MP_ROOT/100ANV01
                           (H.264), created when missing, instead of --output
      --thumbnails         PSP: write a thumbnail (.thm) beside each video
      --psp-number N       PSP: the number of the first file (default: 1);
                           the last file's number must not pass 99999
  -j, --jobs N|auto        how many files to convert at once, 1 to 8; auto
                           (the default) keeps every core busy, from the
                           number of cores, the video codec and frame size

What to do instead of converting:
      --dry-run            print the batch file that would run (with several
                           files at once, each one's batch file in turn),
                           then what the converter will do for each source
                           ("Adapted to the source: ...: rotated 90°")
      --info               print each file's name, codec, duration and frame
                           size, tab-separated, one line per file; a
                           backslash, tab, newline or carriage return in a
                           field is written as \\, \t, \n or \r
      --preview TIME       convert 3 seconds around TIME (HH:MM:SS or seconds)
                           of each file and write the source frame and the
                           converted frame there as NAME-source.png and
                           NAME-preview.png into --output (default: the
                           current folder), with the converted picture's
                           size, bit rate and output size per minute
      --resume             convert the files the last interrupted batch (of the
                           window or of mobivert-cli) did not convert, with its
                           settings and output folder, from its record in
                           ~/.config/Brannock Software/Mobivert, after adding
                           first its converted files whose addition to the
                           iPod (or playlist) was cut off or failed; prints
                           "Nothing to resume." when there is none, and
                           fails when the record cannot be read
      --json               write progress and results as JSON objects, one
                           per line, for other programs
  -h, --help               show this help
  -v, --version            show the version

Existing files are never replaced: a second holiday.m4v becomes
"holiday (2).m4v", and PSP file numbers continue after the highest M4V or
MAQ number already in the output folder. Ctrl+C stops the conversion;
files converted before it are kept, nothing half-written is left behind. A
batch cut short by a crash, a logout (SIGTERM) or a closed terminal (SIGHUP)
can be taken up again with --resume.

Exit status: 0 when every file was converted, 1 when a conversion failed,
2 for invalid options or values, 130 after Ctrl+C and 143 after SIGTERM.

Examples:
  mobivert-cli holiday.avi
  mobivert-cli --device PSP --profile 2 --thumbnails -o ~/psp *.avi
  mobivert-cli --device PSP --memory-stick --thumbnails clip.avi
  mobivert-cli --add-to-library holiday.avi
  mobivert-cli --device Zune --video-bitrate 1500 --dry-run clip.mpg
  mobivert-cli --device PSP --fit 1G --output ~/psp *.avi
  mobivert-cli --audio-track fra --burn-subtitles=en --deinterlace on film.mkv
)");
}
