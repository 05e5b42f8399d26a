// The About window, its links and the credits.
#include "app/frmAbout.h"
#include "app/widgets/ClickableLabel.h"
#include "app/widgets/WizardHeader.h"
#include "tests/support/FakePrompts.h"
#include "tests/support/MainWindowFixture.h"
#include "tests/support/TestEnvironment.h"

#include <QGroupBox>
#include <QPushButton>
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
            QCOMPARE(about.frmContactInfo->title(), QStringLiteral("Contact Information"));
            QCOMPARE(about.lblEMailAddress->text(), QStringLiteral("E-Mail Address:"));
            QCOMPARE(about.lblWebsiteAddress->text(), QStringLiteral("Website Address:"));
            QCOMPARE(about.cmdCredits->text(), QStringLiteral("&Credits"));
            QCOMPARE(about.cmdClose->text(), QStringLiteral("&Close"));
            for (QLabel *link : {static_cast<QLabel *>(about.lblEMailAddressValue),
                                 static_cast<QLabel *>(about.lblWebsiteAddressValue)}) {
                QVERIFY(link->font().underline());
                QCOMPARE(link->palette().color(QPalette::WindowText), QColor(0, 0, 255));
                QCOMPARE(link->cursor().shape(), Qt::PointingHandCursor);
            }
        }
    }

    void linksOpenTheirAddresses() {
        FakePrompts prompts;
        frmAbout about;
        QTest::mouseClick(about.lblEMailAddressValue, Qt::LeftButton);
        QTest::mouseClick(about.lblWebsiteAddressValue, Qt::LeftButton);
        QCOMPARE(prompts.openedUrls.size(), 2);
        QCOMPARE(prompts.openedUrls[0].scheme(), QStringLiteral("mailto"));
        QCOMPARE(prompts.openedUrls[0].path(), about.lblEMailAddressValue->text());
        QVERIFY(prompts.openedUrls[0].query().startsWith(u"subject="));
        // The website label opens the address it shows.
        QCOMPARE(prompts.openedUrls[1].toString(), about.lblWebsiteAddressValue->text());
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
};

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
