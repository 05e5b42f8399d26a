#include "app/InterruptedBatch.h"

#include "app/AudioSettingsPanel.h"
#include "app/OutputDirectoryPanel.h"
#include "app/ProfileControls.h"
#include "app/VideoSettingsPanel.h"
#include "app/filelist/FileListItems.h"
#include "app/frmMain.h"
#include "core/base/Prompts.h"
#include "core/convert/BatchCleanup.h"
#include "core/convert/BatchFiles.h"
#include "core/convert/BatchLock.h"
#include "core/convert/BatchRecord.h"
#include "core/convert/LibraryHandOff.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QLockFile>
#include <QSignalBlocker>
#include <QTreeWidget>

#include <algorithm>

namespace {

void selectText(QComboBox *box, const QString &text) {
    const int position = box->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (position >= 0)
        box->setCurrentIndex(position);
}

void selectPosition(QComboBox *box, int position) {
    if (position >= 0 && position < box->count())
        box->setCurrentIndex(position);
}

void setCheckValue(QCheckBox *box, int value) {
    box->setCheckState(value == 1   ? Qt::Checked
                       : value == 2 ? Qt::PartiallyChecked
                                    : Qt::Unchecked);
}

// The batch's settings, set as the user would set them: a value that
// differs from the profile's turns the profile box to "Custom".
void restoreSettings(frmMain &main, const MainWindowParts &ui, const BatchRequest &request) {
    const ConversionSettings &s = request.settings;
    main.SwitchDevice(s.device);
    if (main.SelectedDevice != s.device)
        return; // a device this copy does not know keeps the one chosen
    selectText(ui.cmbProfiles, request.profile);

    AudioSettingsPanel *audio = ui.frmAudioSettings;
    selectText(audio->cmbAudioCodec, s.audioCodec);
    selectText(audio->cmbAudioBitrate, KbpsText(s.audioBitrate));
    selectText(audio->cmbAudioSampleRate, SampleRateText(s.audioSampleRate));
    selectPosition(audio->cmbAudioChannels, s.audioChannelsPosition);
    setCheckValue(audio->chkAudioNoAudio, s.noAudio);

    VideoSettingsPanel *video = ui.frmVideoSettings;
    selectPosition(video->cmbVideoCodec, s.videoCodecPosition);
    if (s.videoSizePosition >= 0) {
        selectPosition(video->cmbVideoSize, s.videoSizePosition);
    } else if (const QString size = VideoSizeText(s.videoSize);
               video->cmbVideoSize->currentText() != size) {
        // A custom size is written as the size dialog writes it.
        main.AllowVideoSizeChange = true;
        video->cmbVideoSize->setEditText(size);
        {
            const QSignalBlocker silence(video->cmbVideoSize);
            video->cmbVideoSize->setCurrentIndex(-1);
        }
        video->cmbVideoSize->setEditText(size);
        main.AllowVideoSizeChange = false;
    }
    selectText(video->cmbVideoBitrate, KbpsText(s.videoBitrate));
    selectText(video->cmbVideoFrameRate, FrameRateText(s.videoFrameRate));
    setCheckValue(video->chkVideoNoVideo, s.noVideo);
    setCheckValue(video->chkVideoOriginalQuality, s.originalQuality);
    setCheckValue(video->chkVideoKeepAspectRatio, s.keepAspectRatio);
    // A fitted batch's rows left share what the converted files left of
    // the size (in whole megabytes, never more).
    SettingsFile::VideoRateOptions rates = video->RateOptions();
    rates.twoPass = s.twoPass != 0;
    rates.fitBatch = request.fitBytes > 0;
    if (rates.fitBatch)
        rates.fitBatchMegabytes = int(
            std::clamp<qint64>(request.fitBytes / 1000000, 1, SettingsFile::MaxFitBatchMegabytes));
    video->SetRateOptions(rates);
    video->SetPictureOptions({s.deinterlace, s.burnSubtitles != 0, s.alwaysEncode != 0});
}

} // namespace

void RestoreInterruptedBatch(frmMain &main, const MainWindowParts &ui, const BatchRecord &record) {
    const BatchRequest request = record.resumeRequest();
    restoreSettings(main, ui, request);
    OutputDirectoryPanel *output = ui.frmOutputDirectorySettings;
    output->txtOutputDirectory->setText(request.options.outputFolder);
    output->chkAddToiTunes->setChecked(request.options.addToLibrary);
    output->chkPSPCreateThumbnail->setChecked(request.options.createThumbnails);
    output->txtPSPVideoNumber->setText(request.options.pspStartNumber);
    output->SetFilesAtOnceChoice(request.filesAtOnce);
    for (const FileListRow &row : request.rows)
        WriteFileListRow(AppendFileListRow(ui.lvwVideoFiles), row);
}

void OfferInterruptedBatch(frmMain &main, const MainWindowParts &ui) {
    const QString &data = main.ApplicationSettingsPath;
    // A record whose batch still runs in another copy is no interrupted one.
    QLockFile lock(BatchFiles::lock(data));
    if (TakeBatchLock(lock) != BatchLockRefusal::None)
        return;

    const BatchRecordFile::ReadResult found = BatchRecordFile::read(data);
    if (found.status == BatchRecordFile::ReadResult::Status::Spoilt) {
        // What the batch of an unreadable record left cannot be taken up.
        RemoveWorkingFiles(data);
        QStringList lines{QStringLiteral("The record of the last conversion could not be read (") +
                          found.reason + QStringLiteral("): its files cannot be converted again.")};
        if (!found.setAside.isEmpty())
            lines << QStringLiteral("It was set aside as:") << found.setAside;
        prompts().exclamation(&main, JoinLines(lines));
        return;
    }
    if (found.status != BatchRecordFile::ReadResult::Status::Found)
        return;
    // The interrupted row's half-written file never outlives the batch.
    BatchRecord record = found.record;
    BatchRecordFile::removePartialFiles(record);
    if (!record.workLeft() || !prompts().askDefaultYes(&main, InterruptedBatchQuestion(record))) {
        BatchRecordFile::remove(data);
        return;
    }
    // The converted files whose hand-off was cut off or failed go first;
    // the record stays while one is still left and no row is.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const std::optional<QString> handOffNote = ResumeHandOffs(data, record);
    QApplication::restoreOverrideCursor();
    if (handOffNote && record.handOffsLeft().isEmpty())
        prompts().information(&main, *handOffNote);
    else if (handOffNote)
        prompts().exclamation(&main, *handOffNote);
    if (record.unconvertedCount() > 0) {
        RestoreInterruptedBatch(main, ui, record);
        BatchRecordFile::remove(data);
    }
}
