#pragma once

#include "core/profiles/Deinterlace.h"

#include <QString>

// The twelve settings controls and the selected device as the conversion
// reads them at the moment Convert is chosen. Check boxes are given as
// their value: 0 unchecked, 1 checked, 2 grayed (only 1 counts as checked).
// Positions are 0-based, -1 for no selection.
struct ConversionSettings {
    QString device;

    QString audioCodec;
    QString audioBitrate; // "128 kbps"
    QString audioSampleRate;
    int audioChannelsPosition = -1; // the channel count is this + 1
    int noAudio = 0;

    QString videoCodec;
    int videoCodecPosition = -1;
    QString videoSize; // the box's text: a list entry or a custom size
    int videoSizePosition = -1;
    QString videoBitrate; // "768 kbps"
    int videoBitratePosition = -1;
    QString videoFrameRate; // "25 fps"
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
