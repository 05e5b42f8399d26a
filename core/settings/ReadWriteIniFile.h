#pragma once

#include "core/settings/IniFile.h"

#include <QString>

#include <optional>

// The longest value a read returns; longer values are cut.
inline constexpr qsizetype MaxIniValueLength = 254;

// Reads one value. A missing file, section or key gives the default as text
// (trailing blanks removed); a key with nothing after its equals sign gives
// empty text. Values are trimmed of blanks and one pair of enclosing quotes
// and cut to 254 characters. Nothing is cached: every call reads the file.
QString ReadIniValue(const QString &section, const QString &key, const QString &defaultValue,
                     const QString &file);
QString ReadIniValue(const QString &section, const QString &key, qint64 defaultValue,
                     const QString &file);

// For many values of one file in a row: the file read once (an empty
// document when it cannot be read), and a value read from it exactly as
// ReadIniValue reads it from the file.
IniFile ReadIniFile(const QString &file);
QString ReadIniValue(const IniFile &contents, const QString &section, const QString &key,
                     const QString &defaultValue);

// Writes one value, creating the file or section when missing and rewriting
// only the key's own line. The file is made writable for its owner first.
// Returns false when the value could not be stored; nothing is shown.
bool WriteIniValue(const QString &section, const QString &key, const QString &value,
                   const QString &file);

// Reads a whole number the way every caller converts INI text: decimal, an
// optional sign, surrounding blanks allowed; nothing for anything else or a
// number outside the 16-bit range.
std::optional<qint16> ToInt16(const QString &text);
