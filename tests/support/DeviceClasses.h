#pragma once

#include <QList>
#include <QSize>
#include <QString>
#include <QStringList>

// The device classes that the shipped profiles target, with what each plays
// (the device makers' figures), and the table of which profile targets which
// class (Profiles/device-classes.tsv). The profile files are checked against
// these limits, and so are the files their conversions produce.

struct VideoLimit {
    QString codec; // as ffprobe names it: mpeg4, h264, h263, wmv2
    int width = 0, height = 0;
    int kbps = 0; // 0: no figure
    double fps = 30;
    QList<QSize> exactSizes; // when not empty, the only frame sizes it takes
};

struct AudioLimit {
    QString codec; // as ffprobe names it: aac, wmav2, amr_nb
    int kbps = 0;
    QList<int> rates; // the sample rates it takes; empty: the usual ones up to 48000
    int channels = 2; // the most channels; negative: exactly that many
};

struct DeviceClass {
    QString device;           // the profile file whose profiles target it
    QList<VideoLimit> video;  // it plays any one of them
    QList<AudioLimit> audio;  // and any one of these
    QString muxer;            // the VideoFormat of its profiles' codec sections
    QStringList h264Profiles; // the -profile:v values it plays (MPEG-4: Simple, no B-frames)
    int h264Level = 0;        // the highest H.264 level, times ten
    QStringList brands;       // the MP4 major brands it takes; empty: not MP4
    QString formatName;       // ffprobe's name of any other container
    bool audioRequired = false;
    bool indexFirst = false; // the MP4 index before the media data (streaming)
};

// The class of that name, or nullptr.
const DeviceClass *FindDeviceClass(const QString &name);

struct ProfileTarget {
    QString device;
    int profile = 0; // 1-based
    QString name;
    QString deviceClass;
};

QList<ProfileTarget> ReadProfileTargets(const QString &tableFile);

// What is wrong with a converted file for its class; empty when it meets
// every limit. Bit rates may exceed a limit by a quarter, as encoders do on
// short or busy clips.
QStringList CheckDeviceClass(const QString &deviceClass, const QString &file);
