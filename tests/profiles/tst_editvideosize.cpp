// The custom video size dialog, opened from the real main window.
#include "app/ProfileControls.h"
#include "app/VideoSettingsPanel.h"
#include "app/profiles/frmEditVideoSize.h"
#include "app/widgets/ClickableLabel.h"
#include "app/widgets/WizardHeader.h"
#include "tests/profiles/ProfileFolder.h"
#include "tests/support/FakePrompts.h"
#include "tests/support/MainWindowFixture.h"
#include "tests/support/TestEnvironment.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace Qt::StringLiterals;

class TestEditVideoSize : public QObject {
    Q_OBJECT

    std::unique_ptr<TestHome> home;
    std::unique_ptr<ProfileFolder> folder;
    std::unique_ptr<FakePrompts> prompts;
    std::unique_ptr<frmMain> window;
    int dialogsOpened = 0;

    QComboBox *sizeBox() const {
        return Child<VideoSettingsPanel>(*window, "frmVideoSettings")->cmbVideoSize;
    }
    QString profile() const { return Child<QComboBox>(*window, "cmbProfiles")->currentText(); }

    // Opens the dialog with a click on the edit button; `user` plays the
    // user inside it and returns how the dialog ended.
    void openDialog(const std::function<int(frmEditVideoSize &)> &user) {
        prompts->dialogHandler = [this, user](QDialog *dialog) {
            ++dialogsOpened;
            auto *edit = qobject_cast<frmEditVideoSize *>(dialog);
            if (!edit)
                qFatal("not the custom size dialog");
            return user(*edit);
        };
        QTest::mouseClick(Child<VideoSettingsPanel>(*window, "frmVideoSettings")->imgEditVideoSize,
                          Qt::LeftButton);
    }

    static int enter(frmEditVideoSize &dialog, const QString &width, const QString &height) {
        dialog.txtWidth->setText(width);
        dialog.txtHeight->setText(height);
        dialog.cmdOk->click();
        return dialog.result();
    }

private slots:
    void init() {
        home = std::make_unique<TestHome>();
        folder = std::make_unique<ProfileFolder>();
        prompts = std::make_unique<FakePrompts>();
        folder->write(u"iPod"_s, StandardDeviceFile());
        window = OpenMainWindow();
        dialogsOpened = 0;
    }

    void cleanup() {
        window.reset();
        prompts.reset();
        folder.reset();
        home.reset();
    }

    void layout() {
        QStringList texts;
        QWidget *owner = nullptr;
        openDialog([&](frmEditVideoSize &dialog) {
            owner = dialog.parentWidget();
            texts = QStringList{dialog.windowTitle(),
                                dialog.header->lblWizardText->text(),
                                dialog.header->lblWizardSubText->text(),
                                dialog.lblSpecifyCustomSize->text(),
                                dialog.lblWidth->text(),
                                dialog.lblHeight->text(),
                                dialog.cmdOk->text(),
                                dialog.cmdCancel->text()};
            return int(QDialog::Rejected);
        });
        QCOMPARE(dialogsOpened, 1);
        QCOMPARE(owner, window.get());
        QCOMPARE(texts, (QStringList{u"Edit Video Size"_s, u"Edit Video Size"_s,
                                     u"Define a custom video size..."_s,
                                     u"Specify a custom width and height:"_s, u"Width:"_s,
                                     u"Height:"_s, u"&Ok"_s, u"&Cancel"_s}));
    }

    void openingShowsTheCurrentSize_data() {
        QTest::addColumn<QString>("size"); // empty: no entry chosen
        QTest::addColumn<QString>("width");
        QTest::addColumn<QString>("height");
        QTest::newRow("list entry") << "640x480"
                                    << "640"
                                    << "480";
        QTest::newRow("nothing chosen") << ""
                                        << ""
                                        << "";
    }

    void openingShowsTheCurrentSize() {
        QFETCH(QString, size);
        QFETCH(QString, width);
        QFETCH(QString, height);
        sizeBox()->setCurrentIndex(sizeBox()->findText(size));
        QCOMPARE(sizeBox()->currentText(), size);
        QStringList shown;
        bool widthHasFocus = false;
        openDialog([&](frmEditVideoSize &dialog) {
            // The whole width is selected, so typing replaces it.
            shown = QStringList{dialog.txtWidth->text(), dialog.txtHeight->text(),
                                dialog.txtWidth->selectedText()};
            widthHasFocus = dialog.focusWidget() == dialog.txtWidth;
            return int(QDialog::Rejected);
        });
        QCOMPARE(dialogsOpened, 1);
        QCOMPARE(shown, (QStringList{width, height, width}));
        QVERIFY(widthHasFocus);
    }

    void okWritesTheSize_data() {
        QTest::addColumn<QString>("width");
        QTest::addColumn<QString>("height");
        QTest::addColumn<QString>("size");
        QTest::addColumn<int>("position");
        QTest::newRow("custom") << "400"
                                << "300"
                                << "400x300" << -1;
        QTest::newRow("same as an entry") << "640"
                                          << "480"
                                          << "640x480" << 3;
        QTest::newRow("same as the chosen entry") << "320"
                                                  << "240"
                                                  << "320x240" << 1;
        QTest::newRow("tidied") << " 0400"
                                << "+300 "
                                << "400x300" << -1;
    }

    void okWritesTheSize() {
        QFETCH(QString, width);
        QFETCH(QString, height);
        QFETCH(QString, size);
        QFETCH(int, position);
        QCOMPARE(profile(), u"Medium"_s);
        openDialog([&](frmEditVideoSize &dialog) { return enter(dialog, width, height); });

        QCOMPARE(sizeBox()->currentText(), size);
        // The box reports the entry with exactly that text, or none.
        QCOMPARE(sizeBox()->currentIndex(), position);
        QVERIFY2(prompts->shown.isEmpty(), qPrintable(prompts->texts().join(u'|')));
        // The profile keeps its name and the last chosen entry stays.
        QCOMPARE(profile(), u"Medium"_s);
        QCOMPARE(window->profileControls().lastVideoSizeIndex(), 1);
        QVERIFY(!window->AllowVideoSizeChange);
        QCOMPARE(VideoSizeText(window->profileControls().CurrentSettings().videoSize), size);
    }

    void invalidSizesAreRefused_data() {
        QTest::addColumn<QString>("width");
        QTest::addColumn<QString>("height");
        QTest::newRow("letters") << "abc"
                                 << "300";
        QTest::newRow("fraction") << "400.5"
                                  << "300";
        QTest::newRow("zero") << "0"
                              << "300";
        QTest::newRow("negative") << "-320"
                                  << "240";
        QTest::newRow("odd") << "401"
                             << "300";
        QTest::newRow("empty height") << "400"
                                      << "";
        QTest::newRow("both empty") << ""
                                    << "";
    }

    void invalidSizesAreRefused() {
        QFETCH(QString, width);
        QFETCH(QString, height);
        int resultAfterError = -1;
        bool widthHasFocus = false;
        QString sizeAfterError;
        qsizetype messagesAfterError = 0;
        openDialog([&](frmEditVideoSize &dialog) {
            dialog.txtWidth->setText(width);
            dialog.txtHeight->setText(height);
            dialog.txtHeight->setFocus();
            dialog.cmdOk->click();
            // The dialog stays open with the focus back in the width field.
            resultAfterError = dialog.result();
            widthHasFocus = dialog.focusWidget() == dialog.txtWidth;
            sizeAfterError = sizeBox()->currentText();
            messagesAfterError = prompts->shown.size();
            // Corrected in place.
            return enter(dialog, u"160"_s, u"120"_s);
        });
        QCOMPARE(resultAfterError, int(QDialog::Rejected));
        QCOMPARE(messagesAfterError, 1);
        QVERIFY(widthHasFocus);
        QCOMPARE(sizeAfterError, u"320x240"_s);
        const FakePrompts::Shown &error = prompts->shown.first();
        QCOMPARE(error.text, u"Unable to set video size!\r\n"
                             u"Reason: incorrect width and/or height specified."_s);
        QCOMPARE(error.icon, Prompts::Icon::Critical);
        QCOMPARE(error.title, u"Error"_s);

        QCOMPARE(sizeBox()->currentText(), u"160x120"_s);
        QCOMPARE(prompts->shown.size(), 1);
    }

    // Sizes the video codec chosen cannot encode: the dialog stays open and
    // names the limit.
    void sizesTheCodecCannotEncodeAreRefused_data() {
        QTest::addColumn<QString>("codec");
        QTest::addColumn<QString>("width");
        QTest::addColumn<QString>("height");
        QTest::addColumn<QString>("limit"); // empty: accepted
        const QString smallest = u"The minimum video size is: 16x16"_s;
        const QString h263 = u"The H.263 videocodec takes only these video sizes: 128x96, "
                             u"176x144, 352x288, 704x576, 1408x1152"_s;
        QTest::newRow("too narrow") << u"h264"_s << u"2"_s << u"240"_s << smallest;
        QTest::newRow("too flat") << u"mpeg4"_s << u"320"_s << u"14"_s << smallest;
        QTest::newRow("smallest") << u"h264"_s << u"16"_s << u"16"_s << QString();
        QTest::newRow("not for H.263") << u"h263"_s << u"320"_s << u"240"_s << h263;
        QTest::newRow("an H.263 size") << u"h263"_s << u"352"_s << u"288"_s << QString();
    }

    void sizesTheCodecCannotEncodeAreRefused() {
        QFETCH(QString, codec);
        QFETCH(QString, width);
        QFETCH(QString, height);
        QFETCH(QString, limit);
        window.reset();
        folder->write(u"iPod"_s, StandardDeviceFile().replace("wmv2", "h263"));
        window = OpenMainWindow();
        QComboBox *codecs = Child<VideoSettingsPanel>(*window, "frmVideoSettings")->cmbVideoCodec;
        codecs->setCurrentIndex(codecs->findText(codec));
        QCOMPARE(codecs->currentText(), codec);
        const QString before = sizeBox()->currentText();
        int result = -1;
        openDialog([&](frmEditVideoSize &dialog) { return result = enter(dialog, width, height); });
        QCOMPARE(dialogsOpened, 1);
        if (limit.isEmpty()) {
            QVERIFY2(prompts->shown.isEmpty(), qPrintable(prompts->texts().join(u'|')));
            QCOMPARE(result, int(QDialog::Accepted));
            QCOMPARE(sizeBox()->currentText(), width + u'x' + height);
        } else {
            QCOMPARE(prompts->texts(),
                     QStringList{u"Unable to set video size!\r\nReason: "_s + limit});
            QCOMPARE(result, int(QDialog::Rejected));
            QCOMPARE(sizeBox()->currentText(), before);
        }
    }

    void cancelLeavesTheSizeAlone() {
        openDialog([](frmEditVideoSize &dialog) {
            dialog.txtWidth->setText(u"400"_s);
            dialog.txtHeight->setText(u"300"_s);
            dialog.cmdCancel->click();
            return dialog.result();
        });
        QCOMPARE(sizeBox()->currentText(), u"320x240"_s);
        QCOMPARE(sizeBox()->currentIndex(), 1);
        QVERIFY(prompts->shown.isEmpty());
    }

    void aCustomSizeSurvivesOtherChanges() {
        openDialog([](frmEditVideoSize &dialog) { return enter(dialog, u"400"_s, u"300"_s); });
        // Another setting makes the profile "Custom"; the size stays.
        Child<VideoSettingsPanel>(*window, "frmVideoSettings")
            ->cmbVideoFrameRate->setCurrentIndex(2);
        QCOMPARE(profile(), u"Custom"_s);
        QCOMPARE(sizeBox()->currentText(), u"400x300"_s);
        // Reopening shows the custom size.
        QStringList fields;
        openDialog([&](frmEditVideoSize &dialog) {
            fields = QStringList{dialog.txtWidth->text(), dialog.txtHeight->text()};
            return int(QDialog::Rejected);
        });
        QCOMPARE(dialogsOpened, 2);
        QCOMPARE(fields, (QStringList{u"400"_s, u"300"_s}));
        // Choosing a profile puts a list entry back.
        Child<QComboBox>(*window, "cmbProfiles")->setCurrentIndex(2);
        QCOMPARE(sizeBox()->currentText(), u"480x272"_s);
    }

    void typingIsRefusedAgainAfterwards() {
        openDialog([](frmEditVideoSize &dialog) { return enter(dialog, u"400"_s, u"300"_s); });
        QTest::keyClicks(sizeBox()->lineEdit(), u"0"_s);
        QCOMPARE(prompts->shown.size(), 1);
        QCOMPARE(prompts->shown.first().text, ProfileControls::VideoSizeWarning());
        // Back to the entry that was last chosen.
        QCOMPARE(sizeBox()->currentText(), u"320x240"_s);
    }

    void theButtonIsOffWithoutVideo() {
        Child<VideoSettingsPanel>(*window, "frmVideoSettings")->chkVideoNoVideo->click();
        openDialog([](frmEditVideoSize &) { return int(QDialog::Accepted); });
        QCOMPARE(dialogsOpened, 0);
        Child<VideoSettingsPanel>(*window, "frmVideoSettings")->chkVideoNoVideo->click();
        openDialog([](frmEditVideoSize &) { return int(QDialog::Rejected); });
        QCOMPARE(dialogsOpened, 1);
    }
};

QTEST_MAIN(TestEditVideoSize)
#include "tst_editvideosize.moc"
