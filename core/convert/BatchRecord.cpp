#include "core/convert/BatchRecord.h"

#include "core/convert/BatchProgress.h"
#include "core/convert/LibraryHandOff.h"
#include "core/platform/FileSystem.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int FormatVersion = 1;

// A row's description, with only the fields the user set.
QJsonObject MediaObject(const MediaDescription &media) {
    QJsonObject object{{QStringLiteral("kind"), MediaKindWord(media.kind)}};
    if (!media.title.isEmpty())
        object.insert(QStringLiteral("title"), media.title);
    if (!media.show.isEmpty())
        object.insert(QStringLiteral("show"), media.show);
    if (media.season)
        object.insert(QStringLiteral("season"), *media.season);
    if (media.episode)
        object.insert(QStringLiteral("episode"), *media.episode);
    return object;
}

// Anything unreadable in it counts as not set: the name then decides.
MediaDescription ReadMediaObject(const QJsonObject &object) {
    MediaDescription media;
    media.kind = MediaKindFromWord(object.value(QStringLiteral("kind")).toString())
                     .value_or(MediaKind::Automatic);
    media.title = object.value(QStringLiteral("title")).toString();
    media.show = object.value(QStringLiteral("show")).toString();
    const auto number = [&object](const QString &key) -> std::optional<int> {
        const QJsonValue value = object.value(key);
        return value.isDouble() && value.toInt(-1) >= 0 ? std::optional<int>(value.toInt())
                                                        : std::nullopt;
    };
    media.season = number(QStringLiteral("season"));
    media.episode = number(QStringLiteral("episode"));
    return media;
}

QJsonObject settingsObject(const ConversionSettings &s) {
    return {{QStringLiteral("device"), s.device},
            {QStringLiteral("profileFile"), s.profileFile},
            {QStringLiteral("audioCodec"), s.audioCodec},
            {QStringLiteral("audioBitrate"), KbpsText(s.audioBitrate)},
            {QStringLiteral("audioSampleRate"), SampleRateText(s.audioSampleRate)},
            {QStringLiteral("audioChannelsPosition"), s.audioChannelsPosition},
            {QStringLiteral("noAudio"), s.noAudio},
            {QStringLiteral("videoCodec"), s.videoCodec},
            {QStringLiteral("videoCodecPosition"), s.videoCodecPosition},
            {QStringLiteral("videoSize"), VideoSizeText(s.videoSize)},
            {QStringLiteral("videoSizePosition"), s.videoSizePosition},
            {QStringLiteral("videoBitrate"), KbpsText(s.videoBitrate)},
            {QStringLiteral("videoBitratePosition"), s.videoBitratePosition},
            {QStringLiteral("videoFrameRate"), FrameRateText(s.videoFrameRate)},
            {QStringLiteral("noVideo"), s.noVideo},
            {QStringLiteral("originalQuality"), s.originalQuality},
            {QStringLiteral("keepAspectRatio"), s.keepAspectRatio},
            {QStringLiteral("twoPass"), s.twoPass},
            {QStringLiteral("deinterlace"), DeinterlaceText(s.deinterlace)},
            {QStringLiteral("burnSubtitles"), s.burnSubtitles},
            {QStringLiteral("alwaysEncode"), s.alwaysEncode}};
}

// Reads the members of a JSON object, noting the first one missing or of
// the wrong type.
struct Reader {
    const QJsonObject &object;
    QString missing;
    QJsonValue take(const char *key, QJsonValue::Type type) {
        const QJsonValue value = object.value(QLatin1String(key));
        if (value.type() != type && missing.isEmpty())
            missing = QLatin1String(key);
        return value;
    }
    QString text(const char *key) { return take(key, QJsonValue::String).toString(); }
    int number(const char *key) { return take(key, QJsonValue::Double).toInt(); }
    qint64 bigNumber(const char *key) { return qint64(take(key, QJsonValue::Double).toDouble()); }
    bool flag(const char *key) { return take(key, QJsonValue::Bool).toBool(); }
    // A member that records written before it existed leave out: absent is
    // the default, present it must be of its type.
    QJsonValue optional(const char *key, QJsonValue::Type type) {
        return object.contains(QLatin1String(key)) ? take(key, type)
                                                   : QJsonValue(QJsonValue::Undefined);
    }
};

ConversionSettings readSettings(Reader &r) {
    ConversionSettings s;
    s.device = r.text("device");
    s.profileFile = r.text("profileFile");
    s.audioCodec = r.text("audioCodec");
    s.audioBitrate = ReadKbps(r.text("audioBitrate"));
    s.audioSampleRate = ReadSampleRate(r.text("audioSampleRate"));
    s.audioChannelsPosition = r.number("audioChannelsPosition");
    s.noAudio = r.number("noAudio");
    s.videoCodec = r.text("videoCodec");
    s.videoCodecPosition = r.number("videoCodecPosition");
    s.videoSize = ParseFrameSize(r.text("videoSize"));
    s.videoSizePosition = r.number("videoSizePosition");
    s.videoBitrate = ReadKbps(r.text("videoBitrate"));
    s.videoBitratePosition = r.number("videoBitratePosition");
    s.videoFrameRate = ReadFrameRate(r.text("videoFrameRate"));
    s.noVideo = r.number("noVideo");
    s.originalQuality = r.number("originalQuality");
    s.keepAspectRatio = r.number("keepAspectRatio");
    s.twoPass = r.number("twoPass");
    const QJsonValue deinterlace = r.optional("deinterlace", QJsonValue::String);
    if (!deinterlace.isUndefined()) {
        const std::optional<Deinterlace> choice = ParseDeinterlace(deinterlace.toString());
        if (!choice && r.missing.isEmpty())
            r.missing = QStringLiteral("deinterlace");
        s.deinterlace = choice.value_or(Deinterlace::Automatic);
    }
    s.burnSubtitles = r.optional("burnSubtitles", QJsonValue::Double).toInt();
    s.alwaysEncode = r.optional("alwaysEncode", QJsonValue::Double).toInt();
    return s;
}

bool syncFolder(const QString &folder) {
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}

} // namespace

bool BatchRecord::handsOff() const {
    return addToLibrary && settings.device == u"iPod";
}

QList<int> BatchRecord::handOffsLeft() const {
    QList<int> left;
    for (qsizetype i = 0; handsOff() && i < rows.size(); ++i) {
        if (converted.value(i) && !handedOff.value(i))
            left.append(int(i));
    }
    return left;
}

bool BatchRecord::workLeft() const {
    return unconvertedCount() > 0 || !handOffsLeft().isEmpty();
}

int BatchRecord::unconvertedCount() const {
    return int(rows.size() - converted.count(true));
}

BatchRecord BatchRecord::Of(const BatchRequest &request, const QStringList &outputPaths) {
    return {.settings = request.settings,
            .profile = request.profile,
            .outputFolder = request.options.outputFolder,
            .addToLibrary = request.options.addToLibrary,
            .ipodMountPoint = request.options.ipodMountPoint,
            .createThumbnails = request.options.createThumbnails,
            .pspStartNumber = request.options.pspStartNumber,
            .filesAtOnce = request.filesAtOnce,
            .fitBytes = request.options.fit.isEmpty() ? 0 : request.fitBytes,
            .rows = request.rows,
            .outputPaths = outputPaths,
            .converted = QList<bool>(request.rows.size(), false),
            .handedOff = {}};
}

BatchRequest BatchRecord::resumeRequest() const {
    BatchRequest request{settings, profile, unconvertedRows(), {}, filesAtOnce, fitBytesLeft()};
    request.options.outputFolder = outputFolder;
    request.options.addToLibrary = addToLibrary;
    request.options.ipodMountPoint = ipodMountPoint;
    request.options.createThumbnails = createThumbnails;
    request.options.pspStartNumber = pspStartNumber;
    return request;
}

qint64 BatchRecord::fitBytesLeft() const {
    if (fitBytes <= 0)
        return 0;
    qint64 left = fitBytes;
    for (qsizetype i = 0; i < rows.size(); ++i) {
        if (converted.value(i))
            left -= QFileInfo(outputPaths.value(i)).size();
    }
    // Never 0, which would read as "not fitted": a size already used up is
    // refused by the fit like any size too small.
    return std::max<qint64>(left, 1);
}

QList<FileListRow> BatchRecord::unconvertedRows() const {
    QList<FileListRow> left;
    for (qsizetype i = 0; i < rows.size(); ++i) {
        if (!converted.value(i))
            left.append(rows[i]);
    }
    return left;
}

bool BatchRecord::markConverted(const BatchProgress &progress) {
    bool changed = false;
    handedOff.resize(rows.size(), false);
    for (qsizetype i = 0; i < rows.size() && i < progress.rowCount(); ++i) {
        // Handed off only when the hand-off said so: one killed before it
        // did is done again.
        if (!handedOff[i] && progress.rows()[i].handedOff) {
            handedOff[i] = true;
            changed = true;
        }
        const RowProgress::State state = progress.rows()[i].state;
        if (state != RowProgress::State::Converted && state != RowProgress::State::Failed)
            continue;
        if (!QFileInfo::exists(outputPaths.value(i)))
            continue;
        // A row that failed only in its hand-off was converted.
        const QStringList errors = progress.rowErrors(int(i));
        const bool handOffFailed = std::any_of(errors.begin(), errors.end(), IsHandOffError);
        if (!converted[i] && (state == RowProgress::State::Converted || handOffFailed)) {
            converted[i] = true;
            changed = true;
        }
    }
    return changed;
}

QByteArray BatchRecordText(const BatchRecord &record) {
    QJsonArray rows;
    for (qsizetype i = 0; i < record.rows.size(); ++i) {
        const FileListRow &row = record.rows[i];
        const QStringList cells = FileListCells(row);
        QJsonObject rowObject{{QStringLiteral("path"), row.Filepath},
                              {QStringLiteral("filename"), row.Filename},
                              {QStringLiteral("codec"), row.Codec},
                              {QStringLiteral("duration"), cells[ColumnDuration]},
                              {QStringLiteral("videoSize"), cells[ColumnVideoSize]},
                              {QStringLiteral("beginTime"), cells[ColumnBeginTime]},
                              {QStringLiteral("endTime"), cells[ColumnEndTime]},
                              {QStringLiteral("output"), record.outputPaths.value(i)},
                              {QStringLiteral("converted"), record.converted.value(i)},
                              {QStringLiteral("handedOff"), record.handedOff.value(i)}};
        // The track choices only where the user made one.
        if (!row.AudioTrack.isEmpty())
            rowObject.insert(QStringLiteral("audioTrack"), row.AudioTrack);
        if (!row.SubtitleTrack.isEmpty())
            rowObject.insert(QStringLiteral("subtitleTrack"), row.SubtitleTrack);
        if (!row.Media.isAutomatic())
            rowObject.insert(QStringLiteral("media"), MediaObject(row.Media));
        rows.append(rowObject);
    }
    const QJsonObject object{{QStringLiteral("version"), FormatVersion},
                             {QStringLiteral("settings"), settingsObject(record.settings)},
                             {QStringLiteral("profile"), record.profile},
                             {QStringLiteral("outputFolder"), record.outputFolder},
                             {QStringLiteral("addToLibrary"), record.addToLibrary},
                             {QStringLiteral("ipod"), record.ipodMountPoint},
                             {QStringLiteral("createThumbnails"), record.createThumbnails},
                             {QStringLiteral("pspStartNumber"), record.pspStartNumber},
                             {QStringLiteral("filesAtOnce"), record.filesAtOnce},
                             {QStringLiteral("fitBytes"), double(record.fitBytes)},
                             {QStringLiteral("rows"), rows}};
    return QJsonDocument(object).toJson(QJsonDocument::Indented);
}

std::optional<BatchRecord> ParseBatchRecord(const QByteArray &text, QString *reason) {
    const auto fail = [reason](const QString &why) -> std::optional<BatchRecord> {
        if (reason)
            *reason = why;
        return std::nullopt;
    };
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(text, &error);
    if (error.error != QJsonParseError::NoError)
        return fail(
            QStringLiteral("not JSON (%1 at byte %2)").arg(error.errorString()).arg(error.offset));
    if (!document.isObject())
        return fail(QStringLiteral("not a JSON object"));
    const QJsonObject object = document.object();
    Reader top{object, {}};
    if (top.number("version") != FormatVersion)
        return fail(QStringLiteral("an unknown version"));
    BatchRecord record;
    const QJsonObject settings = top.take("settings", QJsonValue::Object).toObject();
    Reader settingsReader{settings, {}};
    record.settings = readSettings(settingsReader);
    record.profile = top.text("profile");
    record.outputFolder = top.text("outputFolder");
    record.addToLibrary = top.flag("addToLibrary");
    record.ipodMountPoint = top.text("ipod");
    record.createThumbnails = top.flag("createThumbnails");
    record.pspStartNumber = top.text("pspStartNumber");
    record.filesAtOnce = top.number("filesAtOnce");
    record.fitBytes = top.bigNumber("fitBytes");
    const QJsonArray rows = top.take("rows", QJsonValue::Array).toArray();
    if (!top.missing.isEmpty())
        return fail(QStringLiteral("\"%1\" is missing or wrong").arg(top.missing));
    if (!settingsReader.missing.isEmpty())
        return fail(QStringLiteral("\"%1\" is missing or wrong").arg(settingsReader.missing));
    for (const QJsonValue &value : rows) {
        const QJsonObject rowObject = value.toObject();
        Reader r{rowObject, {}};
        // "path" first: a record missing several keys names it.
        const QString path = r.text("path");
        FileListRow row = FileListRowFromCells({r.text("filename"), r.text("codec"),
                                                r.text("duration"), r.text("videoSize"),
                                                r.text("beginTime"), r.text("endTime"), path});
        row.AudioTrack = r.optional("audioTrack", QJsonValue::String).toString();
        row.SubtitleTrack = r.optional("subtitleTrack", QJsonValue::String).toString();
        row.Media = ReadMediaObject(r.optional("media", QJsonValue::Object).toObject());
        const QString output = r.text("output");
        const bool converted = r.flag("converted");
        // Records from before hand-offs were noted: a converted row was handed off.
        const QJsonValue handedOff = r.optional("handedOff", QJsonValue::Bool);
        if (!r.missing.isEmpty() || row.Filepath.isEmpty())
            return fail(QStringLiteral("row %1: \"%2\" is missing or wrong")
                            .arg(record.rows.size() + 1)
                            .arg(r.missing.isEmpty() ? QStringLiteral("path") : r.missing));
        record.rows.append(row);
        record.outputPaths.append(output);
        record.converted.append(converted);
        record.handedOff.append(handedOff.isUndefined() ? converted : handedOff.toBool());
    }
    return record;
}

namespace BatchRecordFile {

QString path(const QString &dataFolder) {
    return JoinPath(dataFolder, QStringLiteral("Interrupted batch.json"));
}

bool write(const QString &dataFolder, const BatchRecord &record, QString *failure) {
    const QString target = path(dataFolder);
    const QString temporary = target + QStringLiteral(".new");
    QFile file(temporary);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        if (failure)
            *failure = file.errorString();
        return false;
    }
    const QByteArray text = BatchRecordText(record);
    const bool written =
        file.write(text) == text.size() && file.flush() && ::fsync(file.handle()) == 0;
    const QString writeError = written ? QString() : file.errorString();
    file.close();
    if (!written || ::rename(QFile::encodeName(temporary).constData(),
                             QFile::encodeName(target).constData()) != 0) {
        if (failure)
            *failure = written ? QString::fromLocal8Bit(std::strerror(errno)) : writeError;
        QFile::remove(temporary);
        return false;
    }
    syncFolder(dataFolder);
    return true;
}

void remove(const QString &dataFolder) {
    QFile::remove(path(dataFolder));
}

ReadResult read(const QString &dataFolder) {
    ReadResult result;
    QFile file(path(dataFolder));
    if (!file.exists())
        return result;
    std::optional<BatchRecord> record;
    if (file.open(QIODevice::ReadOnly))
        record = ParseBatchRecord(file.readAll(), &result.reason);
    else
        result.reason = file.errorString();
    file.close();
    if (!record) {
        result.status = ReadResult::Status::Spoilt;
        result.setAside = path(dataFolder) + u'.' +
                          QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMddhhmmss")) +
                          QStringLiteral(".spoilt");
        if (!QFile::rename(path(dataFolder), result.setAside)) {
            QFile::remove(path(dataFolder));
            result.setAside.clear();
        }
        return result;
    }
    for (qsizetype i = 0; i < record->rows.size(); ++i) {
        if (!record->converted[i] && !record->outputPaths[i].isEmpty() &&
            QFileInfo(record->outputPaths[i]).isFile())
            record->converted[i] = true;
    }
    result.status = ReadResult::Status::Found;
    result.record = *record;
    return result;
}

int removePartialFiles(const BatchRecord &record) {
    int removed = 0;
    for (qsizetype i = 0; i < record.rows.size(); ++i) {
        const QString output = record.outputPaths.value(i);
        if (record.converted.value(i) || output.isEmpty())
            continue;
        const QFileInfo info(output);
        const QString suffix = info.suffix();
        // ".NAME.partial.EXT" and ".NAME.partial-N.EXT" beside the output.
        const QRegularExpression pattern(
            u"^\\." + QRegularExpression::escape(info.fileName()) + u"\\.partial(-\\d+)?" +
            (suffix.isEmpty() ? QString() : u"\\." + QRegularExpression::escape(suffix)) + u'$');
        const QDir folder = info.dir();
        for (const QString &name : folder.entryList(QDir::Files | QDir::Hidden)) {
            if (pattern.match(name).hasMatch() && QFile::remove(folder.filePath(name)))
                ++removed;
        }
    }
    return removed;
}

} // namespace BatchRecordFile

QString InterruptedBatchQuestion(const BatchRecord &record) {
    const int left = int(record.handOffsLeft().size());
    const QString place = LibraryPlace(record.ipodMountPoint);
    if (left > 0 && record.unconvertedCount() == 0)
        return QStringLiteral("The last conversion was interrupted: %1 of %2 converted files %3 "
                              "still to be added to %4. Add %5 now?")
            .arg(left)
            .arg(record.rows.size())
            .arg(left == 1 ? QStringLiteral("is") : QStringLiteral("are"), place,
                 left == 1 ? QStringLiteral("it") : QStringLiteral("them"));
    const QString notConverted = QStringLiteral("The last conversion was interrupted: %1 of %2 "
                                                "files were not converted")
                                     .arg(record.unconvertedCount())
                                     .arg(record.rows.size());
    if (left == 0)
        return notConverted + QStringLiteral(". Add them to the list again?");
    return notConverted +
           QStringLiteral(", and %1 converted %2 still to be added to %3. Add %4 to %5 now, and "
                          "the files not converted to the list again?")
               .arg(left)
               .arg(left == 1 ? QStringLiteral("file is") : QStringLiteral("files are"), place,
                    left == 1 ? QStringLiteral("it") : QStringLiteral("them"),
                    record.ipodMountPoint.isEmpty() ? QStringLiteral("the playlist")
                                                    : QStringLiteral("the iPod"));
}
