#pragma once

#include <QString>

#include <array>

// The media library (libmediainfo) through its C interface with wide-character
// strings. Every call opens its own handle on the file and releases it before
// returning; no handle is shared between files. Several threads may read
// files at once: the library keeps its report template for the whole
// process, so setting a template and asking for its report is done by one
// thread at a time, while the reading of the files themselves runs side by
// side.

// The library's answers to the templates that fill one file-list row, as the
// library gave them: empty text where it knows nothing. (The file name of a
// file whose name holds a per cent sign comes from its path: the library
// would expand it as a template; so does the name of a file whose name holds
// bytes that are no UTF-8, each such byte as U+FFFD, and the name of a file
// whose name holds a line break: the library gives " / " for it.)
struct MediaInfoAnswers {
    QString FileName;         // "General;%FileName%"
    QString Codec;            // "Video;%Codec%"
    QString PlayTime;         // "General;%PlayTime%", milliseconds
    QString Width;            // "Video;%Width%"
    QString Height;           // "Video;%Height%"
    QString Format;           // "Video;%Format%"
    QString Rotation;         // "Video;%Rotation%", degrees
    QString PixelAspectRatio; // "Video;%PixelAspectRatio%"
    QString VideoCount;       // "General;%VideoCount%"
    QString AudioCount;       // "General;%AudioCount%"

    // The answers in the order above: the order in which a reading process
    // sends them.
    std::array<QString *, 10> fields() {
        return {&FileName, &Codec,    &PlayTime,         &Width,      &Height,
                &Format,   &Rotation, &PixelAspectRatio, &VideoCount, &AudioCount};
    }
};

// Opens the file and asks the templates, in that order. A file that the
// library cannot read gives empty answers; nothing is reported.
MediaInfoAnswers QueryMediaInfo(const QString &path);

// The library's full text report of the file (every stream and field), or
// empty text when the library cannot read the file.
QString MediaInfoReport(const QString &path);
