// The conversion window over a fake converter that prints recorded output
// in odd chunks, fails, crashes or hangs.
#include "app/convert/ConsoleLogView.h"
#include "app/convert/LaneProgressView.h"
#include "app/convert/frmError.h"
#include "app/convert/frmProcessing.h"
#include "core/base/DebugLog.h"
#include "core/convert/BatchFiles.h"
#include "core/convert/BatchRecord.h"
#include "core/convert/ShellQuote.h"
#include "core/platform/DesktopNotification.h"
#include "core/platform/Processes.h"
#include "tests/convert/FakeBatch.h"
#include "tests/support/FakePrompts.h"
#include "tests/support/PrivateBus.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestFiles.h"

#include <QCheckBox>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

// Plays the desktop's notification server.
class FakeNotifications final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    QList<QStringList> notified; // summary, body, actions...
    QStringList categories;      // each notification's

public slots:
    QStringList GetCapabilities() { return {QStringLiteral("actions"), QStringLiteral("body")}; }
    uint Notify(const QString &, uint, const QString &, const QString &summary, const QString &body,
                const QStringList &actions, const QVariantMap &hints, int) {
        notified.append(QStringList{summary, body} + actions);
        categories.append(hints.value(QStringLiteral("category")).toString());
        return 7;
    }
};

// Hears the launcher entry's updates.
class LauncherListener final : public QObject {
    Q_OBJECT
public:
    QStringList uris;
    QList<QVariantMap> updates;

public slots:
    void Update(const QString &uri, const QVariantMap &properties) {
        uris << uri;
        updates << properties;
    }
};

} // namespace

class TestProcessing : public QObject {
    Q_OBJECT

private slots:
    // The desktop's session bus is a private one, with no notification
    // server until a test brings one.
    void initTestCase() {
        m_address = m_bus.start();
        QVERIFY(!m_address.isEmpty());
        qputenv("DBUS_SESSION_BUS_ADDRESS", m_address.toUtf8());
    }

    void cleanupTestCase() { m_bus.stop(); }

    void cleanup() {
        DebugLog::instance().stop();
        qunsetenv("FAKE_PACE_MS");
    }

    void runsTheBatchToTheEnd() {
        TestHome home;
        FakePrompts prompts;
        FakeBatch batch(home, {QStringLiteral("/v/ok-1.avi"), QStringLiteral("/v/ok-2.avi"),
                               QStringLiteral("/v/ok-3.avi")});
        frmProcessing window(batch.run);
        QCOMPARE(window.windowTitle(), QStringLiteral("Converting Video Files..."));
        QCOMPARE(window.lblCurrentFile->text(), QStringLiteral("Initializing..."));
        QCOMPARE(window.txtStatus->text(), QStringLiteral("Initializing..."));
        QCOMPARE(window.cmdCancel->text(), QStringLiteral("&Cancel"));
        QCOMPARE(window.lblNote->text(),
                 QStringLiteral(
                     "Note: if the process is taking too long, try choosing another profile."));

        // Each file keeps the window's caption for a while, so that the sampler
        // sees it even when a slow build reads several files' output at once.
        qputenv("FAKE_PAUSE_MS", "100");
        const auto unpause = qScopeGuard([] { qunsetenv("FAKE_PAUSE_MS"); });
        QStringList currentFiles;
        const auto sample = [&] {
            if (currentFiles.isEmpty() || currentFiles.last() != window.lblCurrentFile->text())
                currentFiles << window.lblCurrentFile->text();
        };
        // Each file that begins moves a row on, whatever the load on the machine.
        connect(&window, &frmProcessing::rowsChanged, sample);
        QTimer sampler;
        connect(&sampler, &QTimer::timeout, sample);
        sampler.start(1);
        window.show();
        QTRY_VERIFY_WITH_TIMEOUT(window.isFinished(), kPatienceMs);
        sampler.stop();

        QVERIFY(currentFiles.contains(QStringLiteral("Processing File: 2 of 3...")));
        QCOMPARE(window.lblCurrentFile->text(), QStringLiteral("Finished!"));
        QCOMPARE(window.windowTitle(), QStringLiteral("Converting Video Files...Finished!"));
        QCOMPARE(window.cmdCancel->text(), QStringLiteral("&Close"));
        QCOMPARE(window.prgTotal->maximum(), 12); // the seconds of all three rows
        QCOMPARE(window.prgTotal->value(), 12);
        QCOMPARE(window.prgCurrent->maximum(), 4);
        QCOMPARE(window.prgCurrent->value(), 4);
        QVERIFY(window.txtStatus->text().contains(u"Lsize="));
        QVERIFY(prompts.shown.isEmpty()); // no errors, no error log
        // The log shows each progress line once, updated in place.
        const QString log = window.txtLogContents->toPlainText();
        QCOMPARE(log.count(u"time=4.00"), 3);
        QCOMPARE(log.count(u"time=2.00"), 0);

        // Closing after the end asks nothing and removes the working files.
        window.cmdCancel->click();
        QVERIFY(prompts.shown.isEmpty());
        QVERIFY(window.isCleanedUp());
    }

    // A batch whose record cannot be written says from the start that it
    // cannot be resumed.
    void unrecordedBatchSaysSo() {
        TestHome home;
        FakePrompts prompts;
        FakeBatch batch(home, {QStringLiteral("/v/ok-1.avi")});
        batch.run.record = BatchRecord();
        const QString record = BatchRecordFile::path(batch.run.dataFolder);
        QVERIFY(QDir().mkpath(record));
        frmProcessing window(batch.run);
        window.show();
        QTRY_VERIFY_WITH_TIMEOUT(window.isFinished(), kPatienceMs);
        QVERIFY(window.lblResumeNote->isVisible());
        QCOMPARE(window.lblResumeNote->text(),
                 u"Note: this batch cannot be resumed if it is interrupted: its record cannot be "
                 u"written to " +
                     record + u" (Is a directory).");
        window.cmdCancel->click();
        QVERIFY(window.isCleanedUp());
    }

    // The lower bar is the share of the batch's seconds converted, moving
    // within each file; the time left shows once there is enough to go on,
    // from the seconds converted per second so far, and the total at the end.
    void wholeBatchProgressAndTimeLeft() {
        TestHome home;
        FakePrompts prompts;
        qputenv("FAKE_PACE_MS", "250"); // 4 seconds of video per second
        FakeBatch batch(home, {QStringLiteral("/v/ok-1.avi"), QStringLiteral("/v/ok-2.avi")}, 12);
        frmProcessing window(batch.run);
        int firstFileHighest = 0;
        int previous = 0;
        bool neverBack = true;
        QStringList times;
        QTimer sampler;
        connect(&sampler, &QTimer::timeout, [&] {
            const int value = window.prgTotal->value();
            neverBack = neverBack && value >= previous;
            previous = value;
            if (window.lblCurrentFile->text() == u"Processing File: 1 of 2...")
                firstFileHighest = std::max(firstFileHighest, value);
            if (times.isEmpty() || times.last() != window.lblTime->text())
                times << window.lblTime->text();
        });
        sampler.start(5);
        window.show();
        QTRY_VERIFY_WITH_TIMEOUT(window.isFinished(), kPatienceMs);
        sampler.stop();

        QCOMPARE(window.prgTotal->maximum(), 24);
        QVERIFY(neverBack);
        QVERIFY2(firstFileHighest >= 8 && firstFileHighest <= 12,
                 qPrintable(QString::number(firstFileHighest)));
        QVERIFY2(times.contains(QStringLiteral("Elapsed 00:00:01")), qPrintable(times.join(u'|')));
        // 24 seconds at about 4 a second: some 3 seconds left after 3.
        const QRegularExpression estimate(
            QStringLiteral("^Elapsed 00:00:0(\\d) \u00b7 about 00:00:0(\\d) left$"));
        const auto first = std::find_if(times.begin(), times.end(), [&](const QString &text) {
            return estimate.match(text).hasMatch();
        });
        QVERIFY2(first != times.end(), qPrintable(times.join(u'|')));
        const QRegularExpressionMatch shown = estimate.match(*first);
        QVERIFY(shown.captured(1).toInt() >= 3);
        QVERIFY2(shown.captured(2).toInt() >= 1 && shown.captured(2).toInt() <= 5,
                 qPrintable(*first));
        QVERIFY(window.lblTime->text().startsWith(u"Finished in 00:00:0"));
        window.close();
    }

    // A batch that ends while Mobivert is not the active window says so,
    // with a button that opens the output folder; the launcher icon shows
    // the batch's progress and loses it at the end. Without a notification
    // server nothing is shown and nothing goes wrong.
    void batchEndIsAnnounced() {
        TestHome home;
        FakePrompts prompts;
        QDBusConnection service = QDBusConnection::connectToBus(m_address, u"service"_qs);
        FakeNotifications server;
        QVERIFY(service.registerService(QStringLiteral("org.freedesktop.Notifications")));
        QVERIFY(service.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &server,
                                       QDBusConnection::ExportAllSlots));
        LauncherListener launcher;
        QVERIFY(service.connect(
            QString(), QString(), QStringLiteral("com.canonical.Unity.LauncherEntry"),
            QStringLiteral("Update"), &launcher, SLOT(Update(QString, QVariantMap))));
        qputenv("FAKE_PACE_MS", "20");
        FakeBatch batch(home, {QStringLiteral("/v/ok-1.avi"), QStringLiteral("/v/fail-2.avi")}, 10);
        {
            frmProcessing window(batch.run);
            window.isApplicationActive = [] {
                return false;
            };
            window.show();
            QTRY_VERIFY_WITH_TIMEOUT(window.isFinished(), kPatienceMs);
            window.close();
        }
        QTRY_COMPARE_WITH_TIMEOUT(server.notified.size(), 1, kPatienceMs);
        QCOMPARE(server.notified[0],
                 (QStringList{u"1 of 2 files converted, 1 failed"_qs, batch.run.outputFolder,
                              u"open-folder"_qs, u"Open Folder"_qs}));
        QCOMPARE(server.categories, QStringList{u"transfer.error"_qs}); // a file failed
        service.send(QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/Notifications"),
                                                QStringLiteral("org.freedesktop.Notifications"),
                                                QStringLiteral("ActionInvoked"))
                     << uint(7) << QStringLiteral("open-folder"));
        QTRY_COMPARE_WITH_TIMEOUT(prompts.openedUrls,
                                  QList<QUrl>{QUrl::fromLocalFile(batch.run.outputFolder)},
                                  kPatienceMs);

        QTRY_VERIFY_WITH_TIMEOUT(!launcher.updates.isEmpty() &&
                                     !launcher.updates.last()[u"progress-visible"_qs].toBool(),
                                 kPatienceMs);
        QCOMPARE(launcher.uris.first(),
                 QStringLiteral("application://io.github.mobivert.Mobivert.desktop"));
        QVERIFY(launcher.updates.first()[u"progress-visible"_qs].toBool());
        QVERIFY(std::any_of(
            launcher.updates.begin(), launcher.updates.end(), [](const QVariantMap &update) {
                const double share = update[u"progress"_qs].toDouble();
                return update[u"progress-visible"_qs].toBool() && share > 0.1 && share < 0.9;
            }));

        DesktopNotification::send(u"All 2 files converted"_qs, QString(), u"x"_qs,
                                  DesktopNotification::Category::TransferComplete);
        QTRY_COMPARE_WITH_TIMEOUT(server.categories,
                                  (QStringList{u"transfer.error"_qs, u"transfer.complete"_qs}),
                                  kPatienceMs);

        service.unregisterService(QStringLiteral("org.freedesktop.Notifications"));
        QPointer<DesktopNotification> unheard = DesktopNotification::send(
            u"All 2 files converted"_qs, QString(), u"x"_qs,
            DesktopNotification::Category::TransferComplete, {{u"k"_qs, u"K"_qs}});
        QTRY_VERIFY_WITH_TIMEOUT(unheard.isNull(), kPatienceMs);
        QCOMPARE(server.notified.size(), 2);
        QDBusConnection::disconnectFromBus(u"service"_qs);
    }

    void errorsAreCollectedAndShown() {
        TestHome home;
        FakePrompts prompts;
        QString errorLog;
        prompts.dialogHandler = [&](QDialog *dialog) {
            if (auto *errors = qobject_cast<frmError *>(dialog))
                errorLog = errors->txtErrors->toPlainText();
            return int(QDialog::Accepted);
        };
        FakeBatch batch(home, {QStringLiteral("/v/fail.avi"), QStringLiteral("/v/crash.avi"),
                               QStringLiteral("/v/ok.avi")});
        frmProcessing window(batch.run);
        window.show();
        QTRY_VERIFY_WITH_TIMEOUT(window.isFinished(), kPatienceMs);
        QCOMPARE(
            errorLog,
            QStringLiteral("-/v/fail.avi: Unknown format\n-/v/crash.avi: Segmentation fault\n"));
        window.close();
    }

    void cancelAsksAndCleansUp() {
        TestHome home;
        FakePrompts prompts;
        DebugLog::instance().start(home.path() + u"/debug.log");
        FakeBatch batch(home, {QStringLiteral("/v/hang.avi"), QStringLiteral("/v/ok.avi")});
        frmProcessing window(batch.run);
        window.show();
        QTRY_COMPARE_WITH_TIMEOUT(window.lblCurrentFile->text(),
                                  QStringLiteral("Processing File: 1 of 2..."), kPatienceMs);
        QTRY_VERIFY_WITH_TIMEOUT(window.txtLogContents->toPlainText().contains(u"Duration"),
                                 kPatienceMs);
        const pid_t group = window.processGroup();
        QVERIFY(group > 0);

        // No: the run goes on untouched.
        prompts.answers.push_back(false);
        window.cmdCancel->click();
        QCOMPARE(prompts.shown.size(), 1);
        QCOMPARE(prompts.shown[0].icon, Prompts::Icon::Question);
        QCOMPARE(prompts.shown[0].text,
                 QStringLiteral("Are you sure you want to cancel?\r\nVideo files that have been "
                                "converted already will not be removed."));
        QVERIFY(window.isVisible());
        QVERIFY(ProcessGroupAlive(group));
        QVERIFY(QFile::exists(BatchFiles::batch(batch.run.dataFolder)));

        // Yes: every process of the batch ends and the working files go.
        prompts.answers.push_back(true);
        window.cmdCancel->click();
        QVERIFY(!window.isVisible());
        QVERIFY(!ProcessGroupAlive(group));
        QVERIFY(batch.workingFilesGone());
        QFile dump(batch.run.dataFolder + u"/Debug2.log");
        QVERIFY(dump.open(QIODevice::ReadOnly));
        QVERIFY(dump.readAll().contains("Duration"));
        QFile log(home.path() + u"/debug.log");
        QVERIFY(log.open(QIODevice::ReadOnly));
        QVERIFY(log.readAll().contains("Dump2 will be saved to: \""));
    }

    void shutdownCountdownAfterTheEnd() {
        TestHome home;
        FakePrompts prompts;
        QStringList opened;
        prompts.dialogHandler = [&](QDialog *dialog) {
            opened << dialog->objectName();
            return int(QDialog::Rejected);
        };
        FakeBatch batch(home, {QStringLiteral("/v/fail.avi")}, 1);
        frmProcessing window(batch.run);
        window.chkShutdownComputer->setChecked(true);
        window.show();
        QTRY_VERIFY_WITH_TIMEOUT(window.isFinished(), kPatienceMs);
        // The error log first, then the countdown.
        QCOMPARE(opened, (QStringList{QStringLiteral("frmError"), QStringLiteral("frmShutdown")}));
        window.close();
    }

    // Two lanes side by side: a line each, the counts of files done and
    // running, every log line marked with its lane.
    void twoLanesRunSideBySide() {
        TestHome home;
        FakePrompts prompts;
        FakeBatch batch(home, {QStringLiteral("/v/hang-1.avi"), QStringLiteral("/v/hang-2.avi")}, 4,
                        2);
        frmProcessing window(batch.run);
        QVERIFY(window.lanes && window.prgCurrent->isHidden() && window.txtStatus->isHidden());
        window.show();
        QTRY_COMPARE_WITH_TIMEOUT(window.processGroups().size(), 2, kPatienceMs);
        QTRY_COMPARE_WITH_TIMEOUT(window.lblCurrentFile->text(),
                                  QStringLiteral("Processing Files: 0 of 2 done, 2 running..."),
                                  kPatienceMs);
        // Both converters run (each lane's shell may still be starting its
        // converter when the other's is already reading).
        QTRY_VERIFY_WITH_TIMEOUT(
            window.txtLogContents->toPlainText().contains(u"[1]   Duration: 00:00:04") &&
                window.txtLogContents->toPlainText().contains(u"[2]   Duration: 00:00:04"),
            kPatienceMs);
        QCOMPARE(window.lanes->fileLabels[0]->text(), QStringLiteral("1: hang-1.avi"));
        QCOMPARE(window.lanes->fileLabels[1]->text(), QStringLiteral("2: hang-2.avi"));
        QCOMPARE(window.prgTotal->maximum(), 8);
        prompts.answers.push_back(true);
        window.cmdCancel->click();
        QVERIFY(!window.isVisible());
    }

    // A lane with no row left says so while the other still converts.
    void freeLaneShowsDone() {
        TestHome home;
        FakePrompts prompts;
        FakeBatch batch(home, {QStringLiteral("/v/hang-1.avi"), QStringLiteral("/v/ok-2.avi")}, 4,
                        2);
        frmProcessing window(batch.run);
        window.show();
        QTRY_COMPARE_WITH_TIMEOUT(window.lanes->fileLabels[1]->text(), QStringLiteral("Done"),
                                  kPatienceMs);
        QCOMPARE(window.lanes->fileLabels[0]->text(), QStringLiteral("1: hang-1.avi"));
        prompts.answers.push_back(true);
        window.close();
    }

    // The end of a batch on two lanes, with errors.
    void twoLanesShowTheEnd() {
        TestHome home;
        FakePrompts prompts;
        // The first lane converts a whole file while the second fails the
        // other two at once.
        FakeBatch batch(home,
                        {QStringLiteral("/v/ok-1.avi"), QStringLiteral("/v/fail-2.avi"),
                         QStringLiteral("/v/fail-3.avi")},
                        20, 2);
        frmProcessing window(batch.run);
        window.show();
        QTRY_VERIFY_WITH_TIMEOUT(window.isFinished(), kPatienceMs);
        QCOMPARE(window.lblCurrentFile->text(), QStringLiteral("Finished!"));
        QCOMPARE(window.windowTitle(), QStringLiteral("Converting Video Files...Finished!"));
        QCOMPARE(window.prgTotal->value(), window.prgTotal->maximum());
        QCOMPARE(window.lanes->fileLabels[0]->text(), QStringLiteral("Done"));
        QCOMPARE(window.txtLogContents->toPlainText().count(u"[1] frame="), 1); // the last state
        window.close();
    }

    // Pause and Continue, as the window shows them.
    void pauseAndContinue() {
        TestHome home;
        FakePrompts prompts;
        qputenv("FAKE_PACE_MS", "50");
        FakeBatch batch(home, {QStringLiteral("/v/ok-1.avi"), QStringLiteral("/v/ok-2.avi")}, 20);
        frmProcessing window(batch.run);
        window.show();
        QTRY_VERIFY_WITH_TIMEOUT(window.progress().filesRunning() == 1 && window.processGroup() > 0,
                                 kPatienceMs);
        window.cmdPause->click();
        QVERIFY(window.isPaused());
        QCOMPARE(window.cmdPause->text(), QStringLiteral("Co&ntinue"));
        QCOMPARE(window.windowTitle(), QStringLiteral("Converting Video Files... Paused"));
        QVERIFY(window.lblCurrentFile->text().startsWith(u"Paused: Processing File: 1 of 2..."));
        QCOMPARE(window.txtStatus->text(), QStringLiteral("Paused"));
        QVERIFY(window.lblTime->text().startsWith(u"Paused \u00b7 "));
        window.cmdPause->click();
        QVERIFY(!window.isPaused());
        QCOMPARE(window.cmdPause->text(), QStringLiteral("&Pause"));
        QTRY_VERIFY_WITH_TIMEOUT(window.isFinished(), kPatienceMs);
        window.close();
    }

    void openFolderShowsTheOutputFolder() {
        TestHome home;
        FakePrompts prompts;
        FakeBatch batch(home, {QStringLiteral("/v/hang.avi")});
        frmProcessing window(batch.run);
        window.show();
        QTRY_VERIFY_WITH_TIMEOUT(window.processGroup() > 0, kPatienceMs);
        window.cmdOpenFolder->click(); // works while the batch runs
        QCOMPARE(prompts.openedUrls.size(), 1);
        QCOMPARE(prompts.openedUrls[0].toLocalFile(), batch.run.outputFolder);
        prompts.answers.push_back(true);
        window.close();
    }

private:
    PrivateBus m_bus;
    QString m_address;
};

QTEST_MAIN(TestProcessing)
#include "tst_processing.moc"
