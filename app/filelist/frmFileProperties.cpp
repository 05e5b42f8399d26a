#include "app/filelist/frmFileProperties.h"

#include "Components/BrannockVideoConverter/SourceProbe.h"
#include "app/filelist/FileListItems.h"
#include "app/filelist/MediaDescriptionEditor.h"
#include "app/widgets/GUIFunctions.h"
#include "app/widgets/WizardHeader.h"
#include "core/base/Prompts.h"
#include "core/filelist/MediaInfoDLL.h"
#include "core/filelist/SourceSummary.h"
#include "core/filelist/TrackChoices.h"
#include "core/platform/FileSystem.h"
#include "core/platform/PathBytes.h"

#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidgetItem>
#include <QVBoxLayout>

namespace {

QLabel *valueLabel(QWidget *parent, const QString &name) {
    auto *label = new QLabel(parent);
    label->setObjectName(name);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setWordWrap(true);
    return label;
}

QString dateText(const QDateTime &time) {
    return time.isValid() ? QLocale::system().toString(time.toLocalTime(), QLocale::LongFormat)
                          : QString();
}

} // namespace

QString FileSizeText(qint64 bytes) {
    const QLocale locale = QLocale::system();
    const QString exact = locale.toString(bytes) + (bytes == 1 ? u" byte" : u" bytes");
    if (bytes < 1024)
        return exact;
    return locale.formattedDataSize(bytes, 1, QLocale::DataSizeTraditionalFormat) + u" (" + exact +
           u')';
}

frmFileProperties::frmFileProperties(const QString &path, QWidget *parent, QTreeWidgetItem *row)
    : QDialog(parent)
    , m_row(row) {
    // Names are shown with any byte that is no UTF-8 as the replacement
    // character; the file is examined through its own bytes.
    const QFileInfo file(PathForDisplay(path));
    const FileFacts facts = ReadFileFacts(path).value_or(FileFacts{});
    setObjectName(QStringLiteral("frmFileProperties"));
    setWindowTitle(file.fileName() + QStringLiteral(" Properties"));
    setFont(VerdanaFont());

    header = new WizardHeader(QStringLiteral("File Properties"), file.fileName(), this);

    auto *form = new QFormLayout;
    lblNameValue = valueLabel(this, QStringLiteral("lblNameValue"));
    lblNameValue->setText(file.fileName());
    lblFolderValue = valueLabel(this, QStringLiteral("lblFolderValue"));
    lblFolderValue->setText(QDir::toNativeSeparators(file.absolutePath()));
    lblSizeValue = valueLabel(this, QStringLiteral("lblSizeValue"));
    lblSizeValue->setText(facts.isDirectory ? QString() : FileSizeText(facts.size));
    lblCreatedValue = valueLabel(this, QStringLiteral("lblCreatedValue"));
    lblCreatedValue->setText(dateText(facts.created));
    lblModifiedValue = valueLabel(this, QStringLiteral("lblModifiedValue"));
    lblModifiedValue->setText(dateText(facts.modified));
    lblAccessedValue = valueLabel(this, QStringLiteral("lblAccessedValue"));
    lblAccessedValue->setText(dateText(facts.accessed));
    form->addRow(QStringLiteral("Name:"), lblNameValue);
    form->addRow(QStringLiteral("Folder:"), lblFolderValue);
    if (!facts.isDirectory)
        form->addRow(QStringLiteral("Size:"), lblSizeValue);
    // Not every file system records when a file was created.
    if (!lblCreatedValue->text().isEmpty())
        form->addRow(QStringLiteral("Created:"), lblCreatedValue);
    form->addRow(QStringLiteral("Modified:"), lblModifiedValue);
    form->addRow(QStringLiteral("Accessed:"), lblAccessedValue);

    // A folder is not examined: the library would read every file in it.
    std::optional<converter::SourceFacts> found;
    if (!facts.isDirectory) {
        found = converter::probeSource(PathToBytes(path).toStdString());
        grpFound = foundBox(found);
    }

    const FileListRow rowFields = ReadFileListRow(row);
    const converter::SourceFacts tracks = found.value_or(converter::SourceFacts{});
    cmbAudioTrack =
        trackBox(QStringLiteral("cmbAudioTrack"), tracks.audio, true, rowFields.AudioTrack);
    cmbSubtitleTrack = trackBox(QStringLiteral("cmbSubtitleTrack"), tracks.subtitles, false,
                                rowFields.SubtitleTrack);
    m_foundAudioIndex = cmbAudioTrack->currentIndex();
    m_foundSubtitleIndex = cmbSubtitleTrack->currentIndex();
    auto *trackForm = new QFormLayout;
    // Without a row there is nowhere to keep a choice.
    if (row && found) {
        trackForm->addRow(QStringLiteral("&Sound track:"), cmbAudioTrack);
        trackForm->addRow(QStringLiteral("Su&btitles to burn in:"), cmbSubtitleTrack);
    } else {
        cmbAudioTrack->hide();
        cmbSubtitleTrack->hide();
    }
    QGroupBox *deviceBox = nullptr;
    if (row && found && found->hasVideo) {
        deviceBox = new QGroupBox(QStringLiteral("Shown on the device"), this);
        deviceBox->setObjectName(QStringLiteral("grpDevice"));
        mediaEditor =
            new MediaDescriptionEditor(RowBaseName(rowFields), rowFields.Media, deviceBox);
        (new QVBoxLayout(deviceBox))->addWidget(mediaEditor);
    }

    txtMediaInfo = new QPlainTextEdit(this);
    txtMediaInfo->setObjectName(QStringLiteral("txtMediaInfo"));
    txtMediaInfo->setReadOnly(true);
    txtMediaInfo->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtMediaInfo->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    const QString report = file.isDir() ? QString() : MediaInfoReport(path);
    txtMediaInfo->setPlainText(
        report.isEmpty() ? QStringLiteral("No media information is available.") : report.trimmed());

    cmdClose = new QPushButton(QStringLiteral("&Close"), this);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    cmdClose->setDefault(true);
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::accept);
    auto *body = WizardBody(this, header);
    body->addLayout(form);
    if (grpFound)
        body->addWidget(grpFound);
    body->addLayout(trackForm);
    if (deviceBox)
        body->addWidget(deviceBox);
    body->addWidget(new QLabel(QStringLiteral("Media information:"), this));
    body->addWidget(txtMediaInfo, 1);
    body->addLayout(ButtonRow({cmdClose}));
    resize(600, 720);
}

QGroupBox *frmFileProperties::foundBox(const std::optional<converter::SourceFacts> &facts) {
    auto *box = new QGroupBox(QStringLiteral("What Mobivert found"), this);
    box->setObjectName(QStringLiteral("grpFound"));
    auto *found = new QFormLayout(box);
    for (const SourceSummaryLine &line : SummarizeSource(facts)) {
        QLabel *value = valueLabel(box, QString());
        value->setText(line.text);
        if (line.label.isEmpty())
            found->addRow(value);
        else
            found->addRow(line.label, value);
    }
    return box;
}

QComboBox *frmFileProperties::trackBox(const QString &name,
                                       const std::vector<converter::SourceTrack> &tracks,
                                       bool sound, const QString &chosen) {
    auto *box = new QComboBox(this);
    box->setObjectName(name);
    for (const TrackChoice &choice :
         sound ? SoundTrackChoices(tracks) : SubtitleTrackChoices(tracks))
        box->addItem(choice.text, choice.value);
    box->setCurrentIndex(TrackChoiceIndex(tracks, chosen));
    // With one track or none, the default is all there is to choose.
    box->setEnabled(tracks.size() >= 2);
    return box;
}

void frmFileProperties::keepRowChoices() const {
    if (!m_row)
        return;
    FileListRow row = ReadFileListRow(m_row);
    if (cmbAudioTrack->currentIndex() != m_foundAudioIndex)
        row.AudioTrack = cmbAudioTrack->currentData().toString();
    if (cmbSubtitleTrack->currentIndex() != m_foundSubtitleIndex)
        row.SubtitleTrack = cmbSubtitleTrack->currentData().toString();
    if (mediaEditor)
        row.Media = mediaEditor->description();
    WriteFileListRow(m_row, row);
}

namespace {

qint32 showProperties(const QString &path, QWidget *owner, QTreeWidgetItem *row) {
    const std::optional<FileFacts> file = ReadFileFacts(path);
    if (!file)
        return FilePropertiesFileNotFound;
    if (!file->readable)
        return FilePropertiesAccessDenied;
    frmFileProperties properties(path, owner, row);
    // The window has only Close: however it is closed, the choices stand.
    prompts().exec(&properties);
    properties.keepRowChoices();
    return FilePropertiesShown;
}

} // namespace

qint32 ShowFileProperties(const QString &path, QWidget *owner) {
    return showProperties(path, owner, nullptr);
}

qint32 ShowFileProperties(QTreeWidgetItem *row, QWidget *owner) {
    return showProperties(row ? row->text(ColumnFilepath) : QString(), owner, row);
}
