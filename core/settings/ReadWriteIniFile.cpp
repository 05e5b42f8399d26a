#include "core/settings/ReadWriteIniFile.h"

#include "core/platform/FileSystem.h"

#include <QFile>
#include <QSaveFile>

namespace {

QString cutToMaximum(QString text) {
    if (text.size() <= MaxIniValueLength)
        return text;
    qsizetype length = MaxIniValueLength;
    // Never split a character made of two UTF-16 units.
    if (text.at(length - 1).isHighSurrogate())
        --length;
    return text.first(length);
}

QString withoutTrailingBlanks(QString text) {
    while (!text.isEmpty() && (text.back() == u' ' || text.back() == u'\t'))
        text.chop(1);
    return text;
}

} // namespace

IniFile ReadIniFile(const QString &file) {
    QFile input(file);
    return input.open(QIODevice::ReadOnly) ? IniFile(input.readAll()) : IniFile();
}

QString ReadIniValue(const IniFile &contents, const QString &section, const QString &key,
                     const QString &defaultValue) {
    const std::optional<QString> value = contents.value(section, key);
    return cutToMaximum(value ? *value : withoutTrailingBlanks(defaultValue));
}

QString ReadIniValue(const QString &section, const QString &key, const QString &defaultValue,
                     const QString &file) {
    return ReadIniValue(ReadIniFile(file), section, key, defaultValue);
}

QString ReadIniValue(const QString &section, const QString &key, qint64 defaultValue,
                     const QString &file) {
    return ReadIniValue(section, key, QString::number(defaultValue), file);
}

bool WriteIniValue(const QString &section, const QString &key, const QString &value,
                   const QString &file) {
    MakeOwnerWritable(file);

    QByteArray original;
    QFile input(file);
    if (input.exists()) {
        if (!input.open(QIODevice::ReadOnly))
            return false;
        original = input.readAll();
        input.close();
    }

    IniFile ini(original);
    if (!ini.setValue(section, key, value))
        return false;

    // Written beside the file and renamed over it, so a crash or a full disk
    // never leaves a half-written settings file behind.
    QSaveFile output(file);
    output.setDirectWriteFallback(true);
    if (!output.open(QIODevice::WriteOnly))
        return false;
    output.write(ini.toText());
    return output.commit();
}

std::optional<qint16> ToInt16(const QString &text) {
    bool ok = false;
    const int number = text.trimmed().toInt(&ok, 10);
    if (!ok || number < -32768 || number > 32767)
        return std::nullopt;
    return static_cast<qint16>(number);
}
