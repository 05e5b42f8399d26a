// Trim times: what Set accepts, how times are stored and read back, and the
// order of the checks.
#include "core/filelist/TrimTimes.h"

#include <QtTest>

Q_DECLARE_METATYPE(TrimVerdict)
Q_DECLARE_METATYPE(TimeFields)

class TestTrimTimes : public QObject {
    Q_OBJECT

private slots:
    void fields_data() {
        QTest::addColumn<QString>("hours");
        QTest::addColumn<QString>("minutes");
        QTest::addColumn<QString>("seconds");
        QTest::addColumn<qint64>("total"); // -1: not a time
        QTest::newRow("zero") << "00"
                              << "00"
                              << "00" << qint64(0);
        QTest::newRow("plain") << "01"
                               << "02"
                               << "03" << qint64(3723);
        QTest::newRow("one digit each") << "1"
                                        << "2"
                                        << "3" << qint64(3723);
        QTest::newRow("leading zeros") << "001"
                                       << "007"
                                       << "0009" << qint64(3600 + 420 + 9);
        QTest::newRow("blanks around") << " 1 "
                                       << "02 "
                                       << " 03" << qint64(3723);
        QTest::newRow("largest minute and second") << "0"
                                                   << "59"
                                                   << "59" << qint64(3599);
        QTest::newRow("24 hours") << "24"
                                  << "00"
                                  << "00" << qint64(86400);
        QTest::newRow("hundred hours") << "100"
                                       << "00"
                                       << "01" << qint64(360001);
        QTest::newRow("minutes 60") << "00"
                                    << "60"
                                    << "00" << qint64(-1);
        QTest::newRow("seconds 60") << "00"
                                    << "00"
                                    << "60" << qint64(-1);
        QTest::newRow("minutes 75") << "00"
                                    << "75"
                                    << "00" << qint64(-1);
        QTest::newRow("empty hours") << ""
                                     << "00"
                                     << "00" << qint64(-1);
        QTest::newRow("blank seconds") << "00"
                                       << "00"
                                       << "  " << qint64(-1);
        QTest::newRow("letters") << "ab"
                                 << "00"
                                 << "00" << qint64(-1);
        QTest::newRow("fraction") << "00"
                                  << "1.5"
                                  << "00" << qint64(-1);
        QTest::newRow("decimal comma") << "00"
                                       << "1,5"
                                       << "00" << qint64(-1);
        QTest::newRow("plus sign") << "+1"
                                   << "00"
                                   << "00" << qint64(-1);
        QTest::newRow("minus sign") << "00"
                                    << "-1"
                                    << "00" << qint64(-1);
        QTest::newRow("exponent") << "1e1"
                                  << "00"
                                  << "00" << qint64(-1);
        QTest::newRow("inner blank") << "1 0"
                                     << "00"
                                     << "00" << qint64(-1);
        QTest::newRow("arabic-indic digit") << QString(QChar(0x0663)) << "00"
                                            << "00" << qint64(-1);
        QTest::newRow("full-width digit") << "00" << QString(QChar(0xFF11)) << "00" << qint64(-1);
        QTest::newRow("huge hours are capped") << "99999999999999999999999"
                                               << "00"
                                               << "00" << MaxTrimHours * 3600;
        QTest::newRow("huge minutes") << "00"
                                      << "99999999999999999999999"
                                      << "00" << qint64(-1);
    }

    void fields() {
        QFETCH(QString, hours);
        QFETCH(QString, minutes);
        QFETCH(QString, seconds);
        QFETCH(qint64, total);
        const std::optional<qint64> parsed = TimeFieldsToSeconds({hours, minutes, seconds});
        if (total < 0)
            QVERIFY2(!parsed, qPrintable(QString::number(parsed.value_or(-1))));
        else
            QCOMPARE(parsed, std::optional<qint64>(total));
    }

    void split_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("hours");
        QTest::addColumn<QString>("minutes");
        QTest::addColumn<QString>("seconds");
        QTest::newRow("stored time") << "00:10:00"
                                     << "00"
                                     << "10"
                                     << "00";
        QTest::newRow("three-digit hours") << "100:02:03"
                                           << "100"
                                           << "02"
                                           << "03";
        QTest::newRow("typed one digit") << "1:2:3"
                                         << "1"
                                         << "2"
                                         << "3";
        QTest::newRow("no colons, by position") << "01020304"
                                                << "01"
                                                << "20"
                                                << "04";
        QTest::newRow("too short") << "01:0"
                                   << "01"
                                   << "0"
                                   << "";
        QTest::newRow("empty") << ""
                               << ""
                               << ""
                               << "";
        QTest::newRow("four parts, by position") << "01:02:03:04"
                                                 << "01"
                                                 << "02"
                                                 << "03";
    }

    void split() {
        QFETCH(QString, text);
        QFETCH(QString, hours);
        QFETCH(QString, minutes);
        QFETCH(QString, seconds);
        QCOMPARE(SplitTimeText(text), (TimeFields{hours, minutes, seconds}));
    }

    void storedTimesReadBackUnchanged_data() {
        QTest::addColumn<qint64>("seconds");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << qint64(0) << "00:00:00";
        QTest::newRow("one of each") << qint64(3661) << "01:01:01";
        QTest::newRow("ten minutes") << qint64(600) << "00:10:00";
        QTest::newRow("a day") << qint64(86400) << "24:00:00";
        QTest::newRow("hundred hours") << qint64(360000) << "100:00:00";
    }

    void storedTimesReadBackUnchanged() {
        QFETCH(qint64, seconds);
        QFETCH(QString, text);
        QCOMPARE(FormatTrimTime(seconds), text);
        QCOMPARE(TimeTextToSeconds(text), std::optional<qint64>(seconds));
        const TimeFields fields = SplitTimeText(text);
        QCOMPARE(FormatTrimTime(*TimeFieldsToSeconds(fields)), text);
    }

    void checks_data() {
        QTest::addColumn<TimeFields>("start");
        QTest::addColumn<TimeFields>("end");
        QTest::addColumn<qint64>("total");
        QTest::addColumn<TrimVerdict>("verdict");
        QTest::addColumn<QString>("begin");
        QTest::addColumn<QString>("finish");
        const auto t = [](const char *h, const char *m, const char *s) {
            return TimeFields{QString::fromLatin1(h), QString::fromLatin1(m),
                              QString::fromLatin1(s)};
        };
        const qint64 tenMinutes = 600;
        QTest::newRow("within") << t("00", "01", "00") << t("00", "03", "30") << tenMinutes
                                << TrimVerdict::Accepted << "00:01:00"
                                << "00:03:30";
        QTest::newRow("equal start and end") << t("00", "02", "00") << t("00", "02", "00")
                                             << tenMinutes << TrimVerdict::NoLength << ""
                                             << "";
        QTest::newRow("one second") << t("00", "02", "00") << t("00", "02", "01") << tenMinutes
                                    << TrimVerdict::Accepted << "00:02:00"
                                    << "00:02:01";
        QTest::newRow("start at the total") << t("00", "10", "00") << t("00", "10", "00")
                                            << tenMinutes << TrimVerdict::NoLength << ""
                                            << "";
        QTest::newRow("no length before the end check")
            << t("00", "20", "00") << t("00", "20", "00") << tenMinutes << TrimVerdict::NoLength
            << ""
            << "";
        QTest::newRow("end at the total") << t("00", "00", "00") << t("00", "10", "00")
                                          << tenMinutes << TrimVerdict::Accepted << "00:00:00"
                                          << "00:10:00";
        QTest::newRow("single digits stored with two")
            << t("0", "1", "2") << t("0", "3", "4") << tenMinutes << TrimVerdict::Accepted
            << "00:01:02"
            << "00:03:04";
        QTest::newRow("start after end") << t("00", "05", "00") << t("00", "04", "00") << tenMinutes
                                         << TrimVerdict::StartAfterEnd << ""
                                         << "";
        QTest::newRow("end after total") << t("00", "00", "00") << t("00", "10", "01") << tenMinutes
                                         << TrimVerdict::EndAfterTotal << ""
                                         << "";
        QTest::newRow("numeric check comes first") << t("00", "05", "00") << t("00", "04", "x")
                                                   << qint64(0) << TrimVerdict::NotNumeric << ""
                                                   << "";
        QTest::newRow("start check before end check")
            << t("00", "20", "00") << t("00", "15", "00") << tenMinutes
            << TrimVerdict::StartAfterEnd << ""
            << "";
        QTest::newRow("no time of day: minutes 61") << t("00", "61", "00") << t("00", "05", "00")
                                                    << tenMinutes << TrimVerdict::NotNumeric << ""
                                                    << "";
        QTest::newRow("no time of day: hours 25 on a long file")
            << t("25", "00", "00") << t("26", "30", "00") << qint64(30 * 3600)
            << TrimVerdict::Accepted << "25:00:00"
            << "26:30:00";
        QTest::newRow("past 24 hours compared in seconds")
            << t("23", "00", "00") << t("24", "00", "01") << qint64(24 * 3600)
            << TrimVerdict::EndAfterTotal << ""
            << "";
        QTest::newRow("empty box") << t("00", "00", "00") << t("", "05", "00") << tenMinutes
                                   << TrimVerdict::NotNumeric << ""
                                   << "";
        QTest::newRow("unknown duration refuses any end")
            << t("00", "00", "00") << t("00", "00", "01") << qint64(0) << TrimVerdict::EndAfterTotal
            << ""
            << "";
    }

    void checks() {
        QFETCH(TimeFields, start);
        QFETCH(TimeFields, end);
        QFETCH(qint64, total);
        QFETCH(TrimVerdict, verdict);
        QFETCH(QString, begin);
        QFETCH(QString, finish);
        const TrimCheck check = CheckTrimTimes(start, end, total);
        QCOMPARE(check.Verdict, verdict);
        const auto stored = [](const std::optional<qint64> &seconds) {
            return seconds ? FormatTrimTime(*seconds) : QString();
        };
        QCOMPARE(stored(check.BeginTime), begin);
        QCOMPARE(stored(check.EndTime), finish);
    }

    void messages_data() {
        QTest::addColumn<TrimVerdict>("verdict");
        QTest::addColumn<qint64>("total");
        QTest::addColumn<QString>("message");
        QTest::newRow("accepted") << TrimVerdict::Accepted << qint64(600) << QString();
        QTest::newRow("numeric")
            << TrimVerdict::NotNumeric << qint64(600)
            << "Invalid Start or End Time!\r\nReason: You can only enter numeric values.";
        QTest::newRow("start") << TrimVerdict::StartAfterEnd << qint64(600)
                               << "The start time you've entered is not valid.\r\n"
                                  "Reason: The Start Time cannot exceed the End Time.";
        QTest::newRow("no length") << TrimVerdict::NoLength << qint64(600)
                                   << "The End Time you've entered is not valid.\r\n"
                                      "Reason: The End Time must be after the Start Time.";
        QTest::newRow("end")
            << TrimVerdict::EndAfterTotal << qint64(600)
            << "The End Time you've entered is not valid.\r\n"
               "Reason: The End Time cannot exceed the Total Duration of: 00:10:00";
        QTest::newRow("end, long file")
            << TrimVerdict::EndAfterTotal << qint64(25 * 3600 + 61)
            << "The End Time you've entered is not valid.\r\n"
               "Reason: The End Time cannot exceed the Total Duration of: 25:01:01";
    }

    void messages() {
        QFETCH(TrimVerdict, verdict);
        QFETCH(qint64, total);
        QFETCH(QString, message);
        QCOMPARE(TrimVerdictMessage(verdict, total), message);
    }
};

QTEST_APPLESS_MAIN(TestTrimTimes)
#include "tst_trimtimes.moc"
