#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QUrl>

// File names on this system are bytes, most often UTF-8 but not always: a
// name written on a Latin-1 system holds bytes that are no UTF-8 at all.
// Such a name is held in a QString with each stray byte as the lone
// surrogate U+DC80..U+DCFF of that byte's value, so that the name turns back
// into exactly its bytes when it reaches the operating system. Valid UTF-8
// reads as usual, so every other name is the QString it always was.

// The name's bytes as text: valid UTF-8 decoded, each other byte its lone
// surrogate.
QString PathFromBytes(const QByteArray &bytes);

// The bytes of a name read by PathFromBytes: each lone surrogate of a byte
// back to that byte, everything else UTF-8.
QByteArray PathToBytes(const QString &path);

// Whether the name holds bytes that are no UTF-8.
bool HasStrayBytes(const QString &path);

// The name as it is shown to the user and used for names the program makes:
// each stray byte as U+FFFD, the replacement character. Valid UTF-8.
QString PathForDisplay(const QString &path);

// The program's arguments after its name, read from the bytes the system
// gave it.
QStringList PathArguments(int argc, const char *const *argv);

// A file: URL's local path, read from the URL's percent-encoded bytes;
// empty when the URL names no local file.
QString PathFromFileUrl(const QByteArray &encodedUrl);

// The file: URL of a path, its bytes percent-encoded: the counterpart of
// PathFromFileUrl, for handing a file to the desktop.
QUrl FileUrlOf(const QString &path);
