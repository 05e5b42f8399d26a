#pragma once

#include "profiles/ConversionSettings.h"

#include <QString>
#include <QStringList>

#include <optional>

// "Files at once": how many files of a batch are converted side by side.
// Each one runs in a lane of its own, with its own batch file, launcher and
// converter. The choice is a number of lanes, or Automatic.
namespace FilesAtOnce {

inline constexpr int Automatic = 0;
inline constexpr int MaxLanes = 8;

// The choices the window offers, in order: "Automatic", "1", "2", "3", "4",
// "6", "8".
QStringList Items();
// "Automatic" or the number.
QString Text(int choice);
// The choice a text names: "Automatic" (or "auto"), in any letter case, or
// a whole number from 1 to MaxLanes. Nothing for anything else.
std::optional<int> Parse(const QString &text);

// How many cores one converter keeps busy on a machine with `cores` cores
// for these settings (codec family and frame size). Measured on two cores
// (docs/benchmarks.md); more cores are extrapolated from the share of the
// work that runs in parallel.
double ConverterCoreUse(const ConversionSettings &settings, int cores);

// The lanes that Automatic gives: enough converters to keep every core
// busy, each expected to use ConverterCoreUse() cores; 1 to MaxLanes.
int AutomaticLanes(const ConversionSettings &settings, int cores);

// The lanes of a batch of `rows` rows: the choice, with Automatic worked out
// for this machine, never more than the rows, at least one.
int LanesFor(int choice, const ConversionSettings &settings, qsizetype rows, int cores);

} // namespace FilesAtOnce
