#include "core/filelist/TrimTimes.h"

#include "core/base/Prompts.h"
#include "core/base/Various.h"

#include <QStringList>

namespace {

// A whole number in ASCII digits, blanks around allowed; values beyond the
// cap are taken as the cap.
std::optional<qint64> wholeNumber(const QString &text, qint64 cap) {
    const QString digits = text.trimmed();
    if (digits.isEmpty())
        return std::nullopt;
    qint64 value = 0;
    for (const QChar c : digits) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        if (value < cap)
            value = std::min(cap, value * 10 + (c.unicode() - u'0'));
    }
    return value;
}

} // namespace

std::optional<qint64> TimeFieldsToSeconds(const TimeFields &fields) {
    const std::optional<qint64> hours = wholeNumber(fields.Hours, MaxTrimHours);
    const std::optional<qint64> minutes = wholeNumber(fields.Minutes, 60);
    const std::optional<qint64> seconds = wholeNumber(fields.Seconds, 60);
    if (!hours || !minutes || !seconds || *minutes > 59 || *seconds > 59)
        return std::nullopt;
    return *hours * 3600 + *minutes * 60 + *seconds;
}

TimeFields SplitTimeText(const QString &text) {
    const QStringList parts = text.split(u':');
    if (parts.size() == 3)
        return {parts[0], parts[1], parts[2]};
    return {text.mid(0, 2), text.mid(3, 2), text.mid(6, 2)};
}

std::optional<qint64> TimeTextToSeconds(const QString &text) {
    return TimeFieldsToSeconds(SplitTimeText(text));
}

QString FormatTrimTime(qint64 totalSeconds) {
    return FormatDuration(totalSeconds);
}

TrimCheck CheckTrimTimes(const TimeFields &start, const TimeFields &end, qint64 totalSeconds) {
    TrimCheck check;
    const std::optional<qint64> startSeconds = TimeFieldsToSeconds(start);
    const std::optional<qint64> endSeconds = TimeFieldsToSeconds(end);
    if (!startSeconds || !endSeconds) {
        check.Verdict = TrimVerdict::NotNumeric;
    } else if (*startSeconds > *endSeconds) {
        check.Verdict = TrimVerdict::StartAfterEnd;
    } else if (*startSeconds == *endSeconds) {
        check.Verdict = TrimVerdict::NoLength;
    } else if (*endSeconds > totalSeconds) {
        check.Verdict = TrimVerdict::EndAfterTotal;
    } else {
        check.Verdict = TrimVerdict::Accepted;
        check.BeginTime = startSeconds;
        check.EndTime = endSeconds;
    }
    return check;
}

QString TrimVerdictMessage(TrimVerdict verdict, qint64 totalSeconds) {
    switch (verdict) {
    case TrimVerdict::Accepted:
        return {};
    case TrimVerdict::NotNumeric:
        return JoinLines({QStringLiteral("Invalid Start or End Time!"),
                          QStringLiteral("Reason: You can only enter numeric values.")});
    case TrimVerdict::StartAfterEnd:
        return JoinLines({QStringLiteral("The start time you've entered is not valid."),
                          QStringLiteral("Reason: The Start Time cannot exceed the End Time.")});
    case TrimVerdict::NoLength:
        return JoinLines({QStringLiteral("The End Time you've entered is not valid."),
                          QStringLiteral("Reason: The End Time must be after the Start Time.")});
    case TrimVerdict::EndAfterTotal:
        return JoinLines(
            {QStringLiteral("The End Time you've entered is not valid."),
             QStringLiteral("Reason: The End Time cannot exceed the Total Duration of: ") +
                 FormatTrimTime(totalSeconds)});
    }
    return {};
}
