// The shutdown countdown and the error log window. Powering off goes to a
// recording fake: no test ever turns a machine off.
#include "app/convert/frmError.h"
#include "app/convert/frmShutdown.h"
#include "app/widgets/WizardHeader.h"
#include "core/platform/PowerOff.h"
#include "tests/support/TestEnvironment.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

namespace {

class RecordingPowerOff final : public PowerOff {
public:
    RecordingPowerOff() { SetPowerOff(this); }
    ~RecordingPowerOff() override { SetPowerOff(nullptr); }
    bool powerOff() override {
        ++requests;
        return true;
    }
    int requests = 0;
};

} // namespace

class TestShutdown : public QObject {
    Q_OBJECT

private slots:
    void startsAtSixtySeconds() {
        frmShutdown countdown;
        QCOMPARE(countdown.windowTitle(), QStringLiteral("Shutdown Computer"));
        QCOMPARE(countdown.header->lblWizardText->text(), QStringLiteral("Shutdown Computer"));
        QCOMPARE(countdown.header->lblWizardSubText->text(),
                 QStringLiteral("Shutdown your computer automatically..."));
        QCOMPARE(countdown.lblCountdown->text(),
                 QStringLiteral("Your computer will automatically shutdown in 60 seconds..."));
        QCOMPARE(countdown.prgShutdown->minimum(), 0);
        QCOMPARE(countdown.prgShutdown->maximum(), 60);
        QCOMPARE(countdown.tmrShutdown->interval(), 1000);
        QVERIFY(!countdown.tmrShutdown->isActive()); // off until the window shows
        countdown.show();
        QVERIFY(countdown.tmrShutdown->isActive());
    }

    void countsDownAndPowersOffOnTheSixtyFirstTick() {
        RecordingPowerOff power;
        frmShutdown countdown;
        const QMap<int, QString> expected{
            {1, QStringLiteral("Your computer will automatically shutdown in 59 seconds...")},
            {58, QStringLiteral("Your computer will automatically shutdown in 2 seconds...")},
            {59, QStringLiteral("Your computer will automatically shutdown in 1 second...")},
            {60, QStringLiteral("Your computer will automatically shutdown in 0 seconds...")}};
        for (int tick = 1; tick <= 60; ++tick) {
            countdown.tmrShutdown_Timer();
            QCOMPARE(countdown.prgShutdown->value(), tick);
            if (expected.contains(tick))
                QCOMPARE(countdown.lblCountdown->text(), expected[tick]);
            QCOMPARE(power.requests, 0);
        }
        countdown.tmrShutdown_Timer();
        QCOMPARE(power.requests, 1);
        QCOMPARE(countdown.lblCountdown->text(), QStringLiteral("Shutting down computer..."));
        QCOMPARE(countdown.lblCountdown->palette().color(QPalette::WindowText), QColor(255, 0, 0));
        QVERIFY(!countdown.cmdCancel->isEnabled());
        QVERIFY(!countdown.tmrShutdown->isActive());

        // Issued: the window cannot be closed any more, and no second request follows.
        countdown.show();
        countdown.close();
        QVERIFY(countdown.isVisible());
        countdown.tmrShutdown_Timer();
        QCOMPARE(power.requests, 1);
    }

    void cancelBeforeTheEndPowersNothingOff() {
        RecordingPowerOff power;
        frmShutdown countdown;
        countdown.show();
        for (int tick = 0; tick < 60; ++tick)
            countdown.tmrShutdown_Timer();
        countdown.cmdCancel->click();
        QVERIFY(!countdown.isVisible());
        QVERIFY(!countdown.tmrShutdown->isActive());
        QCOMPARE(power.requests, 0);
    }

    void realTimerTicksOncePerSecond() {
        RecordingPowerOff power;
        frmShutdown countdown;
        QElapsedTimer clock;
        clock.start();
        countdown.show();
        // A busy machine may tick late, never early.
        QTRY_COMPARE_WITH_TIMEOUT(countdown.prgShutdown->value(), 2, kPatienceMs);
        QVERIFY2(clock.elapsed() >= 1900, qPrintable(QString::number(clock.elapsed())));
        countdown.close();
        QCOMPARE(power.requests, 0);
    }

    void errorLog() {
        frmError errors;
        QCOMPARE(errors.windowTitle(), QStringLiteral("Error Log"));
        QCOMPARE(errors.header->lblWizardText->text(), QStringLiteral("Error Log"));
        QCOMPARE(errors.header->lblWizardSubText->text(),
                 QStringLiteral("The following errors occurred..."));
        QCOMPARE(errors.cmdClose->text(), QStringLiteral("&Close"));
        errors.txtErrors->setPlainText(QStringLiteral("-a: Unknown format\r\n"));
        QVERIFY(errors.txtErrors->isReadOnly());
        errors.show();
        errors.cmdClose->click();
        QVERIFY(!errors.isVisible());
    }
};

QTEST_MAIN(TestShutdown)
#include "tst_shutdown.moc"
