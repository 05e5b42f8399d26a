#pragma once

#include "core/profiles/Deinterlace.h"

#include <QSize>
#include <QString>

#include <optional>

// The twelve settings controls and the selected device as the conversion
// reads them at the moment Convert is chosen. Check boxes are given as
// their value: 0 unchecked, 1 checked, 2 grayed (only 1 counts as checked).
// Positions are 0-based, -1 for no selection.
struct ConversionSettings {
    QString device;

    QString audioCodec;
    std::optional<int> audioBitrate;    // kbit/s; nothing when no entry is selected
    std::optional<int> audioSampleRate; // Hz
    int audioChannelsPosition = -1;     // the channel count is this + 1
    int noAudio = 0;

    QString videoCodec;
    int videoCodecPosition = -1;
    std::optional<QSize> videoSize; // a listed or a custom size
    int videoSizePosition = -1;
    std::optional<int> videoBitrate; // kbit/s
    int videoBitratePosition = -1;
    std::optional<double> videoFrameRate; // frames per second
    int noVideo = 0;
    int originalQuality = 0;
    int keepAspectRatio = 0;
    // "Two passes (better quality, slower)" on the Video panel: a user
    // setting, not a profile's. It counts only with a bit rate: not with
    // "No Video" or "eXtreme Qty" checked.
    int twoPass = 0;
    // "Deinterlace:" and "Burn in subtitles" on the Video panel: user
    // settings too. Which subtitle track is burnt in is the row's choice.
    Deinterlace deinterlace = Deinterlace::Automatic;
    int burnSubtitles = 0;
    // "Always re-encode": the converter never copies a source's video, even
    // where it already suits the device.
    int alwaysEncode = 0;

    // The device's profile file, read for the codec sections.
    QString profileFile;

    friend bool operator==(const ConversionSettings &, const ConversionSettings &) = default;
};

// The values as the settings boxes, profiles, batch records and mobivert-cli
// show them: "128 kbps", "44100", "640x480", "25 fps" / "29.97 fps"; nothing
// is empty text. Each Read... reads its own kind of text back (ParseFrameSize
// the size); a text that does not read as one is nothing.
QString KbpsText(std::optional<int> kbps);
std::optional<int> ReadKbps(const QString &text);
QString SampleRateText(std::optional<int> hertz);
std::optional<int> ReadSampleRate(const QString &text);
QString FrameRateText(std::optional<double> fps);
std::optional<double> ReadFrameRate(const QString &text);
QString VideoSizeText(const std::optional<QSize> &size);
