#pragma once

#include <QString>
#include <QStringList>

// The iPod's profile 4 line (H.264 Baseline 3.0, 640x480, 1450 kbit/s,
// 25 fps; AAC 128 kbit/s, 44.1 kHz, stereo) for `input`, with `extra`
// options before -y, written to `output`: a line under which a suiting
// source is copied.
inline QStringList IpodLine(const QString &input, const QStringList &extra, const QString &output) {
    return QStringList{QStringLiteral("-i"), input} + extra +
           QStringLiteral("-vcodec h264 -s 640x480 -b 1450kbps -r 25 -profile:v baseline -level "
                          "3.0 -pix_fmt yuv420p -maxrate 2500k -bufsize 2500k -movflags "
                          "+faststart -acodec aac -ab 128kbps -ar 44100 -ac 2 -y")
               .split(QLatin1Char(' ')) +
           QStringList{output};
}
