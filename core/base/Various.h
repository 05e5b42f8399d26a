#pragma once

#include <QString>

// Creates every missing folder along the path, one level at a time. A
// trailing separator is removed from the caller's variable; folders that
// cannot be created are passed over without a word.
void CreateFolderPath(QString &path);

bool FolderExists(const QString &path);
bool FileExists(const QString &path);

// Whole seconds as "hh:mm:ss"; hours are not limited to two digits.
// Negative input counts as zero.
QString FormatDuration(qint64 seconds);

// A number with the given count of decimals, less its trailing zeros and a
// bare decimal point: 25, 12.5, 33.33.
QString PlainDecimal(double value, int decimals);

// The per-user data folder that holds Settings.ini, the debug log and the
// working files of a conversion.
inline constexpr char16_t DataFolderSuffix[] = u"/Brannock Software/Mobivert";
