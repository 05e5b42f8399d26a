#pragma once

#include "core/profiles/ConversionSettings.h"

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

// How a converter spreads its work over its threads for these settings (codec
// family and output frame size): the CPU time of all its threads over that of
// the busiest one, measured on a two-core machine (docs/benchmarks.md, "Files
// at once"). A pipeline of threads keeps at most that many cores busy.
double MeasuredParallelism(const ConversionSettings &settings);

// The share of that bound that a converter reaches: its threads wait on
// each other, on reading and on writing.
inline constexpr double PipelineEfficiency = 0.9;

// The cores one converter keeps busy on a machine with `cores` cores:
// PipelineEfficiency x the lesser of the cores and the parallelism.
double PipelineCoreUse(double parallelism, int cores);
double ConverterCoreUse(const ConversionSettings &settings, int cores);

// Enough converters, each using `coreUse` cores, to keep every core busy:
// the cores over the use, rounded up; never more lanes than cores, nor than
// MaxLanes, and at least one.
int LanesForCoreUse(double coreUse, int cores);

// The lanes that Automatic gives for these settings on `cores` cores.
int AutomaticLanes(const ConversionSettings &settings, int cores);

// The lanes of a batch of `rows` rows: the choice, with Automatic worked out
// for this machine, never more than the rows, at least one.
int LanesFor(int choice, const ConversionSettings &settings, qsizetype rows, int cores);

} // namespace FilesAtOnce
