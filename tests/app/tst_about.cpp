// The About window, its links and the credits.
#include "app/HelpLinks.h"
#include "app/frmAbout.h"
#include "app/widgets/ClickableLabel.h"
#include "app/widgets/WizardHeader.h"
#include "core/platform/DesktopOpener.h"
#include "tests/support/FakePrompts.h"
#include "tests/support/MainWindowFixture.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestFiles.h"

#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

class TestAbout : public QObject {
    Q_OBJECT

private slots:
    void fixedTextsEachTime() {
        for (int opening = 0; opening < 2; ++opening) {
            frmAbout about;
            QCOMPARE(about.windowTitle(), QStringLiteral("About Mobivert"));
            QCOMPARE(about.header->lblWizardText->text(), QStringLiteral("About Mobivert"));
            QCOMPARE(about.header->lblWizardSubText->text(),
                     QStringLiteral("View program and version information..."));
            QCOMPARE(about.lblProgramText->text(), QStringLiteral("Mobivert v1.1"));
            QVERIFY(about.lblProgramText->font().bold());
            QCOMPARE(about.lblProgramText->palette().color(QPalette::WindowText),
                     QColor(128, 0, 0));
            QCOMPARE(about.lblProgramSubText->text(),
                     QStringLiteral("...Make your video files mobile!"));
            // Help, and no contact that does not exist.
            QCOMPARE(about.frmHelp->title(), QStringLiteral("Help"));
            QCOMPARE(about.lblManual->text(), QStringLiteral("Manual:"));
            QCOMPARE(about.lblManualValue->text(), QStringLiteral("Mobivert manual (F1)"));
            for (const QLabel *label : about.findChildren<QLabel *>())
                QVERIFY2(!label->text().contains(u'@') && !label->text().contains(u"http"),
                         qPrintable(label->text()));
            QCOMPARE(about.cmdCredits->text(), QStringLiteral("&Credits"));
            QCOMPARE(about.cmdClose->text(), QStringLiteral("&Close"));
            QVERIFY(about.lblManualValue->font().underline());
            QCOMPARE(about.lblManualValue->palette().color(QPalette::WindowText),
                     QColor(0, 0, 255));
            QCOMPARE(about.lblManualValue->cursor().shape(), Qt::PointingHandCursor);
        }
    }

    void manualLinkOpensTheManual() {
        FakePrompts prompts;
        frmAbout about;
        QTest::mouseClick(about.lblManualValue, Qt::LeftButton);
        QCOMPARE(prompts.openedUrls, QList<QUrl>{HelpManualUrl()});
        QVERIFY(prompts.shown.isEmpty());
    }

    void credits() {
        FakePrompts prompts;
        frmAbout about;
        about.cmdCredits->click();
        QCOMPARE(prompts.shown.size(), 1);
        QCOMPARE(prompts.shown[0].icon, Prompts::Icon::Information);
        QCOMPARE(prompts.shown[0].title, QStringLiteral("Mobivert"));
        QCOMPARE(prompts.shown[0].text,
                 QStringLiteral("Mobivert is based on libraries of ffmpeg.\r\n\r\n"
                                "You can find more information about ffmpeg on the following "
                                "website:\r\nhttps://ffmpeg.org/"));
    }

    void closeEndsTheDialog() {
        frmAbout about;
        about.show();
        about.cmdClose->click();
        QVERIFY(about.isHidden());
        QCOMPARE(about.result(), int(QDialog::Accepted));
    }

    void helpAboutOpensItModally() {
        TestHome home;
        FakePrompts prompts;
        QWidget *owner = nullptr;
        prompts.dialogHandler = [&](QDialog *dialog) {
            owner = dialog->parentWidget();
            return int(QDialog::Accepted);
        };
        auto window = OpenMainWindow();
        Child<QAction>(*window, "mnuHelp_About")->trigger();
        QCOMPARE(owner, window.get());
    }

    // What xdg-open answers tells whether the address was opened: it ends
    // with an error when no browser stands behind it. The xdg-open here is
    // a script, so that no browser opens during the test.
    void desktopOpenerTellsWhetherItOpened_data() {
        QTest::addColumn<QByteArray>("script"); // empty: no xdg-open at all
        QTest::addColumn<int>("answer");        // 1 opened, 0 not, -1 no answer
        QTest::newRow("browser") << QByteArray("exit 0") << 1;
        QTest::newRow("no browser") << QByteArray("exit 3") << 0;
        QTest::newRow("failed") << QByteArray("exit 4") << 0;
        QTest::newRow("crashed") << QByteArray("kill -9 $$") << 0;
        QTest::newRow("no xdg-open") << QByteArray() << -1;
    }
    void desktopOpenerTellsWhetherItOpened() {
        QFETCH(QByteArray, script);
        QFETCH(int, answer);
        TestHome home;
        const QString bin = home.makeFolder(QStringLiteral("bin"));
        const QString asked = home.path() + u"/asked";
        if (!script.isEmpty()) {
            QVERIFY(WriteFileBytes(bin + u"/xdg-open", "#!/bin/sh\nprintf %s \"$1\" > '" +
                                                           QFile::encodeName(asked) + "'\n" +
                                                           script + '\n'));
            QVERIFY(QFile::setPermissions(bin + u"/xdg-open", QFile::ReadOwner | QFile::ExeOwner));
        }
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(bin));
        QObject context;
        int opened = -1;
        const QString manual = home.path() + u"/the manual.html";
        const bool started = OpenWithDesktop(QUrl::fromLocalFile(manual), &context,
                                             [&opened](bool yes) { opened = yes ? 1 : 0; });
        qputenv("PATH", path);
        QCOMPARE(started, answer >= 0);
        if (answer >= 0) {
            QTRY_COMPARE_WITH_TIMEOUT(opened, answer, kPatienceMs);
            QCOMPARE(QString::fromUtf8(ReadFileBytes(asked)), manual);
        }
    }

    // F1 with an xdg-open but no browser says that the manual could not be
    // shown, with its path in a message whose text can be copied.
    void helpManualWithoutABrowserNamesTheManual() {
        TestHome home;
        const QString bin = home.makeFolder(QStringLiteral("bin"));
        const QString asked = home.path() + u"/asked";
        QVERIFY(WriteFileBytes(bin + u"/xdg-open", "#!/bin/sh\nprintf %s \"$1\" > '" +
                                                       QFile::encodeName(asked) + "'\nexit 3\n"));
        QVERIFY(QFile::setPermissions(bin + u"/xdg-open", QFile::ReadOwner | QFile::ExeOwner));
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(bin) + ':' + path);
        auto window = OpenMainWindow();
        QString text;
        Qt::TextInteractionFlags flags;
        QTimer answer;
        connect(&answer, &QTimer::timeout, [&] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                text = box->text();
                flags = box->textInteractionFlags();
                box->accept();
            }
        });
        answer.start(20);
        Child<QAction>(*window, "mnuHelp_HelpManual")->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(!text.isEmpty(), kPatienceMs);
        qputenv("PATH", path);
        QCOMPARE(text, QStringLiteral("No web browser could be started to show the manual. It "
                                      "is at:\n") +
                           HelpManualUrl().toLocalFile());
        QVERIFY(flags.testFlag(Qt::TextSelectableByMouse));
        QCOMPARE(QString::fromUtf8(ReadFileBytes(asked)), HelpManualUrl().toLocalFile());
    }
};

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
