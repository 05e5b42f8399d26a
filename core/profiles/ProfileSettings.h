#pragma once

#include "core/profiles/ConversionSettings.h"
#include "core/profiles/ProfileFile.h"

#include <QString>
#include <QStringList>

#include <array>

// The twelve settings controls without the window: what a device switch
// puts into them and what loading a profile selects, worked out from the
// profile file alone. The result is the ConversionSettings the main window
// reads once the same device and profile are chosen, so programs without
// widgets convert with exactly the settings the window would use.
namespace ProfileSettings {

// The eight option lists of a device, in the order of its settings boxes.
struct OptionLists {
    QStringList audioCodec;
    QStringList audioBitrate;
    QStringList audioSampleRate;
    QStringList audioChannels;
    QStringList videoCodec;
    QStringList videoSize;
    QStringList videoBitrate;
    QStringList videoFrameRate;

    // The list that a position key of a profile selects in; empty for a
    // check key.
    const QStringList &list(ProfileFile::ProfileKey key) const;
};
OptionLists ReadOptionLists(const QString &file);

// The state of the twelve controls: a 0-based position (-1 for none) for
// each box and a check value (0 unchecked, 1 checked, 2 grayed) for each
// check box, indexed by ProfileFile::ProfileKey. Fresh from a device
// switch: nothing selected, nothing checked.
struct Selection {
    std::array<int, ProfileFile::ProfileKeyCount> values{-1, -1, -1, -1, 0, -1,
                                                         -1, -1, -1, 0,  0, 0};

    int &operator[](ProfileFile::ProfileKey key) { return values[static_cast<size_t>(key)]; }
    int operator[](ProfileFile::ProfileKey key) const { return values[static_cast<size_t>(key)]; }
};

// Loads one profile over the current state, as the window does: a value
// that is not a number, a position outside its list and a check value
// outside 0 to 2 leave their control as it was; -1 clears a selection.
void ApplyProfile(Selection &selection, const ProfileFile::ProfileValues &profile,
                  const OptionLists &lists);

// The device's profiles as its profile box lists them, and the position
// (0-based) of the one loaded when the device is selected.
struct DeviceProfiles {
    QStringList names;
    std::optional<int> defaultPosition; // nothing when no profile is loaded
};
DeviceProfiles ReadDeviceProfiles(const QString &file);

// The last entry of the profile box: the settings are hand-made. The box
// treats every entry with this text as its own "Custom" entry: choosing it
// loads nothing.
inline const QString CustomEntry = QStringLiteral("Custom");
bool IsCustomEntry(const QString &profileName);

// The state after selecting the device and then choosing profile `number`
// (1-based) in the profile box; 0 keeps the default profile. A number
// outside the device's profiles leaves the default profile's state.
Selection SelectionForProfile(const QString &file, const OptionLists &lists, int number);

// The settings the conversion reads from that state: the item texts at the
// selected positions, the check values, the device and its profile file.
ConversionSettings ToConversionSettings(const QString &device, const Selection &selection,
                                        const OptionLists &lists);

// Both steps for a device's own profile file.
ConversionSettings SettingsForProfile(const QString &device, int number);

} // namespace ProfileSettings
