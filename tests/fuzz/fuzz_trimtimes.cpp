// The trim times. Input: the hours, minutes and seconds of the start and of
// the end (six lines), the total duration in seconds, then a stored time text.
// The time boxes are tried as UTF-8 and as raw UTF-16.
//
// What must hold: nothing crashes; an accepted time is never negative, is
// stored as "hh:mm:ss" and reads back as the same number of seconds; a trim
// is accepted exactly when both times are times and start <= end <= total,
// its stored texts read back as its two times, and every refusal has a
// message.
#include "tests/fuzz/FuzzInput.h"

#include "core/filelist/TrimTimes.h"

#include <QRegularExpression>

namespace {

void checkStoredForm(qint64 seconds, const QString &detail) {
    const QString text = FormatTrimTime(seconds);
    static const QRegularExpression form(QStringLiteral("^[0-9]{2,}:[0-5][0-9]:[0-5][0-9]$"));
    FUZZ_CHECK(form.match(text).hasMatch(), fuzz::shown(text) + u" for " + detail);
    FUZZ_CHECK(TimeTextToSeconds(text) == seconds,
               fuzz::shown(text) + u" does not read back for " + detail);
}

QString fieldsText(const TimeFields &fields) {
    return fuzz::shown(fields.Hours) + u':' + fuzz::shown(fields.Minutes) + u':' +
           fuzz::shown(fields.Seconds);
}

void checkTimes(const TimeFields &start, const TimeFields &end, qint64 total,
                const QString &stored) {
    const std::optional<qint64> startSeconds = TimeFieldsToSeconds(start);
    const std::optional<qint64> endSeconds = TimeFieldsToSeconds(end);
    for (const auto &[fields, seconds] :
         {std::pair{start, startSeconds}, std::pair{end, endSeconds}}) {
        if (!seconds)
            continue;
        FUZZ_CHECK(*seconds >= 0, fieldsText(fields));
        checkStoredForm(*seconds, fieldsText(fields));
    }

    if (const std::optional<qint64> seconds = TimeTextToSeconds(stored)) {
        FUZZ_CHECK(*seconds >= 0, fuzz::shown(stored));
        FUZZ_CHECK(TimeFieldsToSeconds(SplitTimeText(stored)) == seconds, fuzz::shown(stored));
        checkStoredForm(*seconds, fuzz::shown(stored));
    }

    const TrimCheck check = CheckTrimTimes(start, end, total);
    const QString detail = fieldsText(start) + u" to " + fieldsText(end) + u" of " +
                           QString::number(total) + u": " + QString::number(int(check.Verdict));
    TrimVerdict expected = TrimVerdict::Accepted;
    if (!startSeconds || !endSeconds)
        expected = TrimVerdict::NotNumeric;
    else if (*startSeconds > *endSeconds)
        expected = TrimVerdict::StartAfterEnd;
    else if (*startSeconds == *endSeconds)
        expected = TrimVerdict::NoLength;
    else if (*endSeconds > total)
        expected = TrimVerdict::EndAfterTotal;
    FUZZ_CHECK(check.Verdict == expected, detail);

    const QString message = TrimVerdictMessage(check.Verdict, total);
    if (check.Verdict == TrimVerdict::Accepted) {
        FUZZ_CHECK(message.isEmpty(), detail);
        const QString beginText = FormatTrimTime(check.BeginTime.value_or(-1));
        const QString endText = FormatTrimTime(check.EndTime.value_or(-1));
        FUZZ_CHECK(check.BeginTime == startSeconds && check.EndTime == endSeconds &&
                       TimeTextToSeconds(beginText) == startSeconds &&
                       TimeTextToSeconds(endText) == endSeconds,
                   fuzz::shown(beginText) + u" to " + fuzz::shown(endText) + u" for " + detail);
    } else {
        FUZZ_CHECK(!message.isEmpty() && !check.BeginTime && !check.EndTime, detail);
        if (check.Verdict == TrimVerdict::EndAfterTotal)
            FUZZ_CHECK(message.endsWith(FormatTrimTime(total)), message + u" for " + detail);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    QByteArray rest;
    const QList<QByteArray> f = fuzz::fields(fuzz::bytes(data, size), 7, &rest);
    const qint64 total = f[6].trimmed().toLongLong();
    for (const auto decode : {fuzz::asUtf8, fuzz::asUtf16}) {
        checkTimes({decode(f[0]), decode(f[1]), decode(f[2])},
                   {decode(f[3]), decode(f[4]), decode(f[5])}, total, decode(rest));
    }
    return 0;
}
