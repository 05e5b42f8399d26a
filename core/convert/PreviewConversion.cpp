#include "core/convert/PreviewConversion.h"

#include "core/platform/PathBytes.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <csignal>
#include <sys/prctl.h>
#include <unistd.h>

PreviewConversion::PreviewConversion(QObject *parent)
    : QObject(parent) {
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    // The converter does not outlive the application: should Mobivert end
    // without closing the preview, it is asked to stop as on Cancel, and
    // ffmpeg ends with it.
    const pid_t application = ::getpid();
    m_process.setChildProcessModifier([application] {
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (::getppid() != application)
            ::_exit(127);
    });
    connect(&m_process, &QProcess::readyRead, this, [this] { m_output += m_process.readAll(); });
    connect(&m_process, &QProcess::finished, this, &PreviewConversion::processEnded);
    connect(&m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            emit failed(m_command.program + QStringLiteral(": ") + m_process.errorString());
    });
}

PreviewConversion::~PreviewConversion() {
    stop();
}

QString PreviewConversion::folder() const {
    return m_folder ? m_folder->path() : QString();
}

void PreviewConversion::start(const ConversionSettings &settings, const BatchCodecData &codecs,
                              const FileListRow &row, qint64 seconds,
                              const std::optional<RowFit> &fit) {
    stop();
    m_folder = std::make_unique<QTemporaryDir>(
        QDir(QDir::tempPath()).filePath(QStringLiteral("mobivert-preview-XXXXXX")));
    if (!m_folder->isValid()) {
        const QString reason = m_folder->errorString();
        m_folder.reset();
        emit failed(QStringLiteral("No temporary folder for the preview: ") + reason);
        return;
    }
    // The converter's arguments reach it as UTF-8: a source whose name is
    // no UTF-8 is read through a link of a plain name in the folder.
    FileListRow source = row;
    if (HasStrayBytes(row.Filepath)) {
        const QString link = m_folder->filePath(QStringLiteral("source.") +
                                                QFileInfo(PathForDisplay(row.Filepath)).suffix());
        if (::symlink(PathToBytes(row.Filepath).constData(), PathToBytes(link).constData()) == 0)
            source.Filepath = link;
    }
    m_command = BuildPreviewCommand(settings, codecs, source, seconds, m_folder->path(), fit);
    m_output.clear();
    m_process.start(m_command.program, m_command.arguments, QIODevice::ReadOnly);
}

void PreviewConversion::stop() {
    if (isRunning()) {
        // Blocked while stopping: a stopped clip reports nothing.
        const QSignalBlocker quiet(&m_process);
        m_process.terminate();
        if (!m_process.waitForFinished(3000)) {
            m_process.kill();
            m_process.waitForFinished(3000);
        }
    }
    m_folder.reset(); // removes the folder and all in it
}

void PreviewConversion::processEnded(int exitCode, QProcess::ExitStatus status) {
    m_output += m_process.readAll();
    if (status == QProcess::NormalExit && exitCode == 0 && QFileInfo::exists(m_command.outputPath))
        emit converted(m_command);
    else
        emit failed(ConverterErrorText(m_output, status == QProcess::NormalExit ? exitCode : -1));
}
