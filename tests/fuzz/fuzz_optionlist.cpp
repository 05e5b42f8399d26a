// The option lists of a device's profile file. Input: a profile file.
//
// What must hold: the split of a list gives back the list when its items are
// joined with "|", one item more than the list has bars and none for an empty
// list, no item holding a bar; the whole input split as text (UTF-8 and raw
// UTF-16) obeys the same; reading a profile file of any content never fails.
#include "tests/fuzz/FuzzInput.h"

#include "core/profiles/ProfileFile.h"
#include "core/settings/IniFile.h"
#include "core/settings/ReadWriteIniFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

void checkSplit(const QString &value) {
    const QStringList items = ProfileFile::SplitOptionList(value);
    if (value.isEmpty()) {
        FUZZ_CHECK(items.isEmpty(), QStringLiteral("items from an empty list"));
        return;
    }
    FUZZ_CHECK(items.size() == value.count(u'|') + 1,
               QStringLiteral("%1 items from %2").arg(items.size()).arg(fuzz::shown(value)));
    FUZZ_CHECK(items.join(u'|') == value, fuzz::shown(value));
    for (const QString &item : items)
        FUZZ_CHECK(!item.contains(u'|'), fuzz::shown(item));
}

const QString &scratchFile() {
    static QTemporaryDir folder(QDir(QStringLiteral("/dev/shm")).exists()
                                    ? QStringLiteral("/dev/shm/mobivert-fuzz-XXXXXX")
                                    : QDir::tempPath() + u"/mobivert-fuzz-XXXXXX");
    static const QString file = folder.filePath(QStringLiteral("Device.ini"));
    return file;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QByteArray input = fuzz::bytes(data, size);
    checkSplit(fuzz::asUtf8(input));
    checkSplit(fuzz::asUtf16(input));

    // The lists as the settings boxes read them: cut at 254 characters first.
    const IniFile ini(input);
    for (const auto &keys : {ProfileFile::AudioListKeys, ProfileFile::VideoListKeys}) {
        for (const char16_t *key : keys) {
            const QString value = ini.value(QStringLiteral("Defaults"), QString::fromUtf16(key))
                                      .value_or(QString())
                                      .left(MaxIniValueLength);
            checkSplit(value);
        }
    }

    // The whole profile read from a file, as the main window reads it.
    const QString &path = scratchFile();
    {
        QFile file(path);
        FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                       file.write(input) == input.size(),
                   QStringLiteral("cannot write the scratch file"));
    }
    const QStringList codecs = ProfileFile::ReadOptionList(path, QStringLiteral("VideoCodec"));
    FUZZ_CHECK(codecs.size() <= MaxIniValueLength + 1,
               QStringLiteral("%1 codecs from one value").arg(codecs.size()));
    for (const QString &codec : codecs.mid(0, 2)) {
        const ProfileFile::CodecSection section = ProfileFile::ReadCodecSection(path, codec);
        FUZZ_CHECK(section.videoFormat.size() <= MaxIniValueLength &&
                       section.extraParameters.size() <= MaxIniValueLength &&
                       section.extension.size() <= MaxIniValueLength,
                   fuzz::shown(codec));
        (void)ProfileFile::ReadMaxVideoSize(path, codec, 3);
        (void)ProfileFile::ReadMaxVideoQuality(path, codec, 3);
    }
    const std::optional<qint16> count = ProfileFile::ReadNumberOfProfiles(path);
    if (count && *count <= 3)
        FUZZ_CHECK(ProfileFile::ReadProfileNames(path).size() == std::max<int>(*count, 0),
                   QStringLiteral("profile names for a count of %1").arg(*count));
    (void)ProfileFile::ReadProfile(path, 1);
    (void)ProfileFile::ReadDefaultProfile(path);
    return 0;
}
