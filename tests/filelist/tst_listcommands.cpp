// The list commands: remove, clear, open, file properties, and the two
// popup menus of the list area.
#include "app/FileListController.h"
#include "app/filelist/FileListItems.h"
#include "app/filelist/MediaDescriptionEditor.h"
#include "app/filelist/frmFileProperties.h"
#include "app/widgets/ClickableLabel.h"
#include "core/platform/PathBytes.h"
#include "tests/filelist/SampleFiles.h"
#include "tests/support/FakePrompts.h"
#include "tests/support/MainWindowFixture.h"
#include "tests/support/TestEnvironment.h"

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTreeWidget>
#include <QtTest>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

// Five rows named 1 to 5, without media information.
void fillFiveRows(QTreeWidget *list) {
    for (int i = 1; i <= 5; ++i) {
        FileListRow row;
        row.Filename = QString::number(i);
        row.Filepath = QStringLiteral("/videos/%1.avi").arg(i);
        WriteFileListRow(AppendFileListRow(list), row);
    }
}

// The lines of the properties window's "What Mobivert found", by label.
QMap<QString, QString> foundLines(const frmFileProperties *properties) {
    QMap<QString, QString> lines;
    const auto *form = qobject_cast<QFormLayout *>(properties->grpFound->layout());
    for (int i = 0; form && i < form->rowCount(); ++i) {
        const auto text = [&](QFormLayout::ItemRole role) {
            const QLayoutItem *cell = form->itemAt(i, role);
            const auto *label = cell ? qobject_cast<QLabel *>(cell->widget()) : nullptr;
            return label ? label->text() : QString();
        };
        // A line without a label spans the form.
        const QString field = text(QFormLayout::FieldRole);
        lines.insert(text(QFormLayout::LabelRole),
                     field.isEmpty() ? text(QFormLayout::SpanningRole) : field);
    }
    return lines;
}

QStringList itemTexts(const QComboBox *box) {
    QStringList texts;
    for (int i = 0; i < box->count(); ++i)
        texts << box->itemText(i);
    return texts;
}

QStringList names(const QTreeWidget *list) {
    QStringList result;
    for (const FileListRow &row : ReadFileListRows(list))
        result << row.Filename;
    return result;
}

void select(QTreeWidget *list, const QList<int> &positions) {
    list->clearSelection();
    for (int position : positions)
        FileListItem(list, position)->setSelected(true);
}

} // namespace

class TestListCommands : public QObject {
    Q_OBJECT

private slots:
    void removeSelectedRows_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("remove image") << "image";
        QTest::newRow("menu item") << "menu";
        QTest::newRow("Del key") << "key";
    }

    void removeSelectedRows() {
        QFETCH(QString, how);
        TestHome home;
        FakePrompts prompts;
        auto window = OpenMainWindow();
        window->show();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        fillFiveRows(Child<QTreeWidget>(*window, "lvwVideoFiles"));
        select(Child<QTreeWidget>(*window, "lvwVideoFiles"), {2, 4});
        if (how == u"image") {
            QTest::mouseClick(Child<ClickableLabel>(*window, "imgRemoveItems"), Qt::LeftButton);
        } else if (how == u"menu") {
            Child<QAction>(*window, "mnuRemoveItems_RemoveSelectedItems")->trigger();
        } else {
            Child<QTreeWidget>(*window, "lvwVideoFiles")->setFocus();
            QTest::keyClick(window.get(), Qt::Key_Delete);
        }
        QCOMPARE(names(Child<QTreeWidget>(*window, "lvwVideoFiles")),
                 (QStringList{u"1"_s, u"3"_s, u"5"_s}));
        QVERIFY(prompts.shown.isEmpty());
    }

    void removeWithoutSelectionChangesNothing() {
        TestHome home;
        FakePrompts prompts;
        auto window = OpenMainWindow();
        fillFiveRows(Child<QTreeWidget>(*window, "lvwVideoFiles"));
        Child<QTreeWidget>(*window, "lvwVideoFiles")->clearSelection();
        window->fileList().RemoveSelectedItems();
        QCOMPARE(names(Child<QTreeWidget>(*window, "lvwVideoFiles")),
                 (QStringList{u"1"_s, u"2"_s, u"3"_s, u"4"_s, u"5"_s}));
        QVERIFY(prompts.shown.isEmpty());

        select(Child<QTreeWidget>(*window, "lvwVideoFiles"), {1, 2, 3, 4, 5});
        window->fileList().RemoveSelectedItems();
        QCOMPARE(Child<QTreeWidget>(*window, "lvwVideoFiles")->topLevelItemCount(), 0);
        window->fileList().RemoveSelectedItems(); // on an empty list
        QVERIFY(prompts.shown.isEmpty());
    }

    void clearList_data() {
        QTest::addColumn<bool>("answer");
        QTest::addColumn<int>("rowsLeft");
        QTest::newRow("No keeps every row") << false << 5;
        QTest::newRow("Yes empties the list") << true << 0;
    }

    void clearList() {
        QFETCH(bool, answer);
        QFETCH(int, rowsLeft);
        TestHome home;
        FakePrompts prompts;
        auto window = OpenMainWindow();
        fillFiveRows(Child<QTreeWidget>(*window, "lvwVideoFiles"));
        prompts.answers.push_back(answer);
        Child<QAction>(*window, "mnuRemoveItems_ClearList")->trigger();
        QCOMPARE(prompts.shown.size(), 1);
        QCOMPARE(prompts.shown[0].icon, Prompts::Icon::Question);
        QCOMPARE(prompts.shown[0].text,
                 QStringLiteral("Are you sure you would like to clear your list?"));
        QCOMPARE(prompts.shown[0].title, QStringLiteral("Mobivert"));
        QCOMPARE(Child<QTreeWidget>(*window, "lvwVideoFiles")->topLevelItemCount(), rowsLeft);
    }

    void clearAsksAlsoOnAnEmptyList() {
        TestHome home;
        FakePrompts prompts;
        auto window = OpenMainWindow();
        prompts.answers.push_back(true);
        window->fileList().ClearList();
        QCOMPARE(prompts.texts(),
                 QStringList{QStringLiteral("Are you sure you would like to clear your list?")});
    }

    void withoutCurrentRow_data() {
        QTest::addColumn<QString>("item");
        QTest::newRow("open") << "mnuView_OpenVideoFile";
        QTest::newRow("properties") << "mnuView_FileProperties";
    }

    void withoutCurrentRow() {
        QFETCH(QString, item);
        TestHome home;
        FakePrompts prompts;
        int dialogs = 0;
        prompts.dialogHandler = [&](QDialog *) {
            return ++dialogs, int(QDialog::Accepted);
        };
        auto window = OpenMainWindow();
        Child<QAction>(window.get(), item)->trigger();
        // Rows, but none selected.
        fillFiveRows(Child<QTreeWidget>(*window, "lvwVideoFiles"));
        Child<QTreeWidget>(*window, "lvwVideoFiles")->clearSelection();
        Child<QAction>(window.get(), item)->trigger();
        QCOMPARE(prompts.texts(), QStringList(2, QStringLiteral("Please, select a file first!")));
        QCOMPARE(prompts.shown[0].icon, Prompts::Icon::Information);
        QVERIFY(prompts.openedUrls.isEmpty());
        QCOMPARE(dialogs, 0);
    }

    void openOpensTheCurrentRowOnly() {
        TestHome home;
        FakePrompts prompts;
        auto window = OpenMainWindow();
        QTreeWidget *list = Child<QTreeWidget>(*window, "lvwVideoFiles");
        fillFiveRows(list);
        const QString odd = QStringLiteral("/v/it's #1 \"50%\" ü?.avi");
        FileListItem(list, 3)->setText(ColumnFilepath, odd);
        list->setCurrentItem(FileListItem(list, 3));
        FileListItem(list, 1)->setSelected(true);
        FileListItem(list, 5)->setSelected(true);
        Child<QAction>(*window, "mnuView_OpenVideoFile")->trigger();
        QVERIFY(prompts.shown.isEmpty());
        QCOMPARE(prompts.openedUrls.size(), 1);
        QVERIFY(prompts.openedUrls[0].isLocalFile());
        QCOMPARE(prompts.openedUrls[0].toLocalFile(), odd);
    }

    void propertiesOfAFile_data() {
        QTest::addColumn<QByteArray>("fileName");
        QTest::addColumn<QString>("shownName");
        QTest::newRow("plain") << QByteArray("a b.avi") << u"a b.avi"_s;
        QTest::newRow("no UTF-8") << QByteArray("caf\xe9.avi") << u"caf\uFFFD.avi"_s;
    }

    void propertiesOfAFile() {
        QFETCH(QByteArray, fileName);
        QFETCH(QString, shownName);
        TestHome home;
        FakePrompts prompts;
        const QString made = SampleFiles::makeMpeg4Avi(home.makeFolder(QStringLiteral("v")),
                                                       QStringLiteral("made.avi"));
        const QString avi = QFileInfo(made).path() + u'/' + PathFromBytes(fileName);
        const qint64 bytes = QFileInfo(made).size();
        QCOMPARE(::rename(QFile::encodeName(made).constData(), PathToBytes(avi).constData()), 0);
        QString name, size, report, folder;
        prompts.dialogHandler = [&](QDialog *dialog) {
            auto *properties = qobject_cast<frmFileProperties *>(dialog);
            if (properties) {
                name = properties->lblNameValue->text();
                folder = properties->lblFolderValue->text();
                size = properties->lblSizeValue->text();
                report = properties->txtMediaInfo->toPlainText();
            }
            return int(QDialog::Accepted);
        };
        auto window = OpenMainWindow();
        FileListRow row;
        row.Filepath = avi;
        QTreeWidgetItem *item = AppendFileListRow(Child<QTreeWidget>(*window, "lvwVideoFiles"));
        WriteFileListRow(item, row);
        Child<QTreeWidget>(*window, "lvwVideoFiles")->setCurrentItem(item);
        Child<QAction>(*window, "mnuView_FileProperties")->trigger();

        QVERIFY2(prompts.shown.isEmpty(), qPrintable(prompts.texts().join(u'|')));
        QCOMPARE(name, shownName);
        QCOMPARE(folder, QFileInfo(made).absolutePath());
        QVERIFY2(size.contains(QLocale::system().toString(bytes) + u" bytes"), qPrintable(size));
        QVERIFY2(report.contains(u"Audio Video Interleave"), qPrintable(report.left(300)));
        QVERIFY(report.contains(u"MPEG Audio"));
    }

    void propertiesShowWhatWasFoundAndKeepTheTrackChoice() {
        TestHome home;
        FakePrompts prompts;
        const QString folder = home.makeFolder(QStringLiteral("v"));
        const QString mkv = SampleFiles::makeTwoSoundTracksMkv(folder);
        QMap<QString, QString> found;
        QStringList sounds, subtitles;
        bool soundsEnabled = false, subtitlesEnabled = true;
        QStringList automatic, chosen; // kind, placeholders, show box enabled
        QStringList unbuddied;         // labels whose "&" would show as it is
        prompts.dialogHandler = [&](QDialog *dialog) {
            auto *properties = qobject_cast<frmFileProperties *>(dialog);
            if (!properties)
                return int(QDialog::Rejected);
            for (const QLabel *label : properties->findChildren<QLabel *>())
                if (!QKeySequence::mnemonic(label->text()).isEmpty() && !label->buddy())
                    unbuddied << label->text();
            found = foundLines(properties);
            sounds = itemTexts(properties->cmbAudioTrack);
            subtitles = itemTexts(properties->cmbSubtitleTrack);
            soundsEnabled = properties->cmbAudioTrack->isEnabled();
            subtitlesEnabled = properties->cmbSubtitleTrack->isEnabled();
            properties->cmbAudioTrack->setCurrentIndex(1);
            MediaDescriptionEditor *media = properties->mediaEditor;
            if (!media) // a file without a row, or without a picture
                return int(QDialog::Accepted);
            const auto state = [media] {
                return QStringList{media->cmbKind->currentText(),
                                   media->txtTitle->placeholderText(),
                                   media->txtShow->placeholderText(),
                                   media->txtSeason->placeholderText() + u'/' +
                                       media->txtEpisode->placeholderText(),
                                   media->txtShow->isEnabled() ? u"show"_s : u"no show"_s};
            };
            automatic = state();
            media->cmbKind->setCurrentIndex(3);
            chosen = state();
            media->txtTitle->setText(u" Mine "_s);
            return int(QDialog::Accepted);
        };
        auto window = OpenMainWindow();
        FileListRow row;
        row.Filepath = mkv;
        row.Filename = u"Some Show S02E05 The Title"_s;
        row.SubtitleTrack = QStringLiteral("eng");
        QTreeWidgetItem *item = AppendFileListRow(Child<QTreeWidget>(*window, "lvwVideoFiles"));
        WriteFileListRow(item, row);
        Child<QTreeWidget>(*window, "lvwVideoFiles")->setCurrentItem(item);
        Child<QAction>(*window, "mnuView_FileProperties")->trigger();

        QVERIFY2(prompts.shown.isEmpty(), qPrintable(prompts.texts().join(u'|')));
        QCOMPARE(unbuddied, QStringList());
        QCOMPARE(found.value(u"Displayed size:"_s), u"320 × 240"_s);
        QCOMPARE(found.value(u"Rotation:"_s), u"none"_s);
        QCOMPARE(found.value(u"Pixel aspect:"_s), u"square"_s);
        QCOMPARE(found.value(u"Sound tracks:"_s),
                 u"1: eng, aac, 2 channels\n2: fra, ac3, 6 channels, default"_s);
        QCOMPARE(found.value(u"Subtitle tracks:"_s), u"1: eng, subrip, text"_s);
        QCOMPARE(sounds, (QStringList{u"Default (track 2, fra)"_s, u"1: eng, aac, 2 channels"_s,
                                      u"2: fra, ac3, 6 channels"_s}));
        QCOMPARE(subtitles, (QStringList{u"Default (track 1, eng)"_s, u"1: eng, subrip, text"_s}));
        QVERIFY(soundsEnabled);
        QVERIFY(!subtitlesEnabled);
        // The chosen sound track is kept by number; the untouched subtitle
        // choice keeps the row's own language.
        QCOMPARE(ReadFileListRow(item).AudioTrack, u"1"_s);
        QCOMPARE(ReadFileListRow(item).SubtitleTrack, u"eng"_s);
        // What the file is to the device: the name's episode until the user
        // chose otherwise, and then the user's choice, kept with the row.
        QCOMPARE(automatic, (QStringList{u"Automatic (TV Show)"_s, u"The Title"_s, u"Some Show"_s,
                                         u"2/5"_s, u"show"_s}));
        QCOMPARE(chosen,
                 (QStringList{
                     u"Music Video"_s, u"Some Show S02E05 The Title"_s, {}, u"/"_s, u"no show"_s}));
        QCOMPARE(ReadFileListRow(item).Media,
                 (MediaDescription{MediaKind::MusicVideo, u"Mine"_s, {}, {}, {}}));

        ShowFileProperties(SampleFiles::makeTextAsAvi(folder), nullptr);
        QCOMPARE(found, (QMap<QString, QString>{
                            {QString(), u"Mobivert could not read this file as a video."_s}}));
    }

    void propertiesOfAMissingFile() {
        TestHome home;
        FakePrompts prompts;
        int dialogs = 0;
        prompts.dialogHandler = [&](QDialog *) {
            return ++dialogs, int(QDialog::Accepted);
        };
        auto window = OpenMainWindow();
        fillFiveRows(Child<QTreeWidget>(*window, "lvwVideoFiles")); // none of these files exists
        Child<QTreeWidget>(*window, "lvwVideoFiles")
            ->setCurrentItem(FileListItem(Child<QTreeWidget>(*window, "lvwVideoFiles"), 2));
        Child<QAction>(*window, "mnuView_FileProperties")->trigger();
        QCOMPARE(prompts.texts(), QStringList{QStringLiteral("Unable to show File Properties!")});
        QCOMPARE(prompts.shown[0].icon, Prompts::Icon::Critical);
        QCOMPARE(dialogs, 0);
    }

    void showFilePropertiesResult_data() {
        QTest::addColumn<QString>("which");
        QTest::addColumn<bool>("shown");
        QTest::newRow("a file") << "file" << true;
        QTest::newRow("a folder") << "folder" << true;
        QTest::newRow("missing") << "missing" << false;
        QTest::newRow("empty path") << "empty" << false;
    }

    void showFilePropertiesResult() {
        QFETCH(QString, which);
        QFETCH(bool, shown);
        TestHome home;
        FakePrompts prompts;
        int dialogs = 0;
        prompts.dialogHandler = [&](QDialog *) {
            return ++dialogs, int(QDialog::Accepted);
        };
        const QString folder = home.makeFolder(QStringLiteral("v"));
        QString path;
        if (which == u"file")
            path = SampleFiles::makeSmallFiles(folder, 1).first();
        else if (which == u"folder")
            path = folder;
        else if (which == u"missing")
            path = folder + u"/gone.avi";
        const qint32 result = ShowFileProperties(path, nullptr);
        QCOMPARE(result > 32, shown);
        QCOMPARE(dialogs, shown ? 1 : 0);
    }

    void removeImagePopsUpRemoveItemsBelowIt() {
        TestHome home;
        FakePrompts prompts;
        auto window = OpenMainWindow();
        window->resize(640, 480);
        window->move(0, 0);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        ClickableLabel *image = Child<ClickableLabel>(*window, "imgRemoveItems");

        QTest::mousePress(image, Qt::LeftButton);
        QTest::mouseRelease(image, Qt::LeftButton);
        QTest::mousePress(image, Qt::MiddleButton);
        QVERIFY(!Child<QMenu>(*window, "mnuEdit_RemoveItems")->isVisible());

        QTest::mousePress(image, Qt::RightButton, {}, QPoint(5, 5));
        QMenu *menu = Child<QMenu>(*window, "mnuEdit_RemoveItems");
        QTRY_VERIFY_WITH_TIMEOUT(menu->isVisible(), kPatienceMs);
        QCOMPARE(
            menu->actions(),
            (QList<QAction *>{Child<QAction>(*window, "mnuRemoveItems_RemoveSelectedItems"),
                              Child<QAction>(*window, "mnuRemoveItems_ClearList"),
                              Child<QAction>(*window, "mnuRemoveItems_RemoveConvertedFiles")}));
        const QPoint below = image->mapToGlobal(QPoint(0, image->height()));
        QCOMPARE(menu->geometry().top(), below.y());
        // The menu is moved left only when the screen ends first.
        QCOMPARE(
            menu->geometry().left(),
            std::min(below.x(), menu->screen()->availableGeometry().right() - menu->width() + 1));
        menu->close();
        QVERIFY(!Child<QMenu>(*window, "mnuEdit")->isVisible());
    }

    void rightPressOnTheListPopsUpEditAtThePointer() {
        TestHome home;
        FakePrompts prompts;
        auto window = OpenMainWindow();
        window->resize(640, 480);
        window->move(0, 0);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QWidget *viewport = Child<QTreeWidget>(*window, "lvwVideoFiles")->viewport();

        QTest::mousePress(viewport, Qt::LeftButton, {}, QPoint(10, 10));
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, QPoint(10, 10));
        QVERIFY(!Child<QMenu>(*window, "mnuEdit")->isVisible());

        QTest::mousePress(viewport, Qt::RightButton, {}, QPoint(30, 12));
        QTRY_VERIFY_WITH_TIMEOUT(Child<QMenu>(*window, "mnuEdit")->isVisible(), kPatienceMs);
        QCOMPARE(Child<QMenu>(*window, "mnuEdit")->geometry().topLeft(),
                 viewport->mapToGlobal(QPoint(30, 12)));
        QCOMPARE(Child<QMenu>(*window, "mnuEdit")->actions().first(),
                 Child<QMenu>(*window, "mnuEdit_RemoveItems")->menuAction());
        QVERIFY(Child<QMenu>(*window, "mnuEdit")
                    ->actions()
                    .contains(Child<QAction>(*window, "mnuEdit_TrimVideoFile")));
        Child<QMenu>(*window, "mnuEdit")->close();
        QVERIFY(!Child<QMenu>(*window, "mnuEdit_RemoveItems")->isVisible());
    }
};

QTEST_MAIN(TestListCommands)
#include "tst_listcommands.moc"
