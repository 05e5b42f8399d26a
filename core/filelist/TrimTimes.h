#pragma once

#include <QString>

#include <optional>

// Trim times: what the trim dialog accepts, how it stores a time in a row's
// Begin Time and End Time, and how it reads one back. Pure functions.

// The three boxes of one time, as typed.
struct TimeFields {
    QString Hours;
    QString Minutes;
    QString Seconds;

    friend bool operator==(const TimeFields &, const TimeFields &) = default;
};

// Hours beyond this are taken as this many; no file is that long.
inline constexpr qint64 MaxTrimHours = 1000000000;

// The time in seconds when every box holds a whole number (ASCII digits,
// blanks around allowed) and minutes and seconds lie in 0 to 59; hours have
// no upper limit. Nothing for anything else: empty text, a sign, a fraction,
// letters.
std::optional<qint64> TimeFieldsToSeconds(const TimeFields &fields);

// The fields of a stored time or a Duration text: the three parts between
// the colons when there are exactly three, otherwise characters 1-2, 4-5 and
// 7-8 (missing characters give shorter or empty parts).
TimeFields SplitTimeText(const QString &text);

// A stored time or Duration text in seconds; nothing when it is not a time.
std::optional<qint64> TimeTextToSeconds(const QString &text);

// "hh:mm:ss" with every part written with at least two digits, so that the
// text reads back unchanged.
QString FormatTrimTime(qint64 totalSeconds);

enum class TrimVerdict { Accepted, NotNumeric, StartAfterEnd, NoLength, EndAfterTotal };

struct TrimCheck {
    TrimVerdict Verdict = TrimVerdict::NotNumeric;
    // Set when accepted: the seconds to store as Begin Time and End Time.
    std::optional<qint64> BeginTime;
    std::optional<qint64> EndTime;
};

// The checks of Set, in their order: every box numeric and forming a time,
// start not after end, end after start (a range of no length would give an
// empty file), end not after the total duration. Since the end lies after
// the start and within the total, so does the start. Times are compared in
// seconds, so files of 24 hours and more can be trimmed.
TrimCheck CheckTrimTimes(const TimeFields &start, const TimeFields &end, qint64 totalSeconds);

// The message for a refused check (two lines joined by CR LF); empty for an
// accepted one. The end-time message names the total as hh:mm:ss.
QString TrimVerdictMessage(TrimVerdict verdict, qint64 totalSeconds);
