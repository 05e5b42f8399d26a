#include "convert/ConvertCommand.h"

#include "app/ClickableLabel.h"
#include "app/OutputDirectoryPanel.h"
#include "app/Prompts.h"
#include "app/VideoSettingsPanel.h"
#include "app/frmMain.h"
#include "convert/BatchCleanup.h"
#include "convert/BatchFiles.h"
#include "convert/ConvertFiles.h"
#include "convert/OutputFolder.h"
#include "convert/VideoLimits.h"
#include "convert/frmProcessing.h"
#include "filelist/FileListItems.h"
#include "profiles/ProfileControls.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QLockFile>
#include <QTreeWidget>

namespace {

QStringList itemsOf(const QComboBox *box) {
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items.append(box->itemText(i));
    return items;
}

} // namespace

ConvertCommand::ConvertCommand(frmMain &main)
    : QObject(&main)
    , m_main(main) {
    connect(m_main.imgConvert, &ClickableLabel::clicked, this, &ConvertCommand::imgConvert_Click);
    connect(m_main.mnuFile_Convert, &QAction::triggered, this, &ConvertCommand::imgConvert_Click);
}

void ConvertCommand::imgConvert_Click() {
    if (m_main.lvwVideoFiles->topLevelItemCount() == 0) {
        prompts().exclamation(&m_main,
                              QStringLiteral("Please, add one or more files to your list first."));
        return;
    }

    const VideoSettingsPanel *video = m_main.frmVideoSettings;
    const std::optional<QString> refusal =
        CheckVideoLimits(m_main.profileControls().CurrentSettings(), itemsOf(video->cmbVideoSize),
                         itemsOf(video->cmbVideoBitrate));
    if (refusal) {
        prompts().exclamation(&m_main, *refusal);
        return;
    }

    const std::optional<OutputFolderRefusal> folderRefusal =
        PrepareOutputFolder(m_main.frmOutputDirectorySettings->txtOutputDirectory->text());
    if (folderRefusal) {
        const QString text = JoinLines(folderRefusal->lines);
        if (folderRefusal->critical)
            prompts().critical(&m_main, text);
        else
            prompts().exclamation(&m_main, text);
        return;
    }

    ConvertAll();
}

void ConvertCommand::refuseDataFolder() {
    prompts().critical(
        &m_main, JoinLines({QStringLiteral("Unable to prepare the conversion in the data folder:"),
                            m_main.ApplicationSettingsPath}));
}

void ConvertCommand::ConvertAll() {
    // One batch at a time per data folder, also across copies of Mobivert:
    // the working files of a running batch are never touched.
    QLockFile lock(BatchFiles::lock(m_main.ApplicationSettingsPath));
    lock.setStaleLockTime(0);
    if (!lock.tryLock(0)) {
        // Held by a running batch, or a data folder that takes no files.
        if (lock.error() == QLockFile::LockFailedError)
            prompts().critical(&m_main,
                               QStringLiteral("Mobivert is already converting one or more files!"));
        else
            refuseDataFolder();
        return;
    }

    const OutputDirectoryPanel *output = m_main.frmOutputDirectorySettings;
    BatchOptions options;
    options.dataFolder = m_main.ApplicationSettingsPath;
    options.outputFolder = output->txtOutputDirectory->text();
    options.addToLibrary = output->chkAddToiTunes->isChecked();
    options.createThumbnails = output->chkPSPCreateThumbnail->isChecked();
    options.pspStartNumber = output->txtPSPVideoNumber->text();

    const BatchPlan plan = PrepareBatch(m_main.profileControls().CurrentSettings(),
                                        ReadFileListRows(m_main.lvwVideoFiles), options);
    // A batch file that could not be written would run nothing and end as
    // if all went well.
    QFile batch(BatchFiles::batch(options.dataFolder));
    if (!batch.open(QIODevice::ReadOnly) || batch.readAll() != BatchText(plan)) {
        batch.close();
        RemoveWorkingFiles(options.dataFolder);
        refuseDataFolder();
        return;
    }
    batch.close();
    frmProcessing window({options.dataFolder, options.outputFolder, plan.rows}, &m_main);
    prompts().exec(&window);
}
