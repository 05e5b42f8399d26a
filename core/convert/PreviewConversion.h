#pragma once

#include "core/convert/PreviewCommand.h"

#include <QObject>
#include <QProcess>

#include <memory>

class QTemporaryDir;

// Runs the converter for one preview clip at a time, in a private temporary
// folder of its own. Starting again or stopping ends the clip being
// converted and removes its folder with whatever is in it (the converted
// clip, the converter's half-written file), so nothing is left behind.
class PreviewConversion final : public QObject {
    Q_OBJECT
public:
    explicit PreviewConversion(QObject *parent = nullptr);
    ~PreviewConversion() override;

    // Converts the clip around `seconds`; an earlier clip is stopped and
    // removed first. One of the signals follows, unless stopped before.
    void start(const ConversionSettings &settings, const BatchCodecData &codecs,
               const FileListRow &row, qint64 seconds,
               const std::optional<RowFit> &fit = std::nullopt);
    // Stops the converter (it removes its own unfinished file) and removes
    // the folder. No signal follows.
    void stop();

    bool isRunning() const { return m_process.state() != QProcess::NotRunning; }
    // The running or last command, and its folder (empty once removed).
    const PreviewCommand &command() const { return m_command; }
    QString folder() const;

signals:
    void converted(const PreviewCommand &command);
    void failed(const QString &errorText);

private:
    void processEnded(int exitCode, QProcess::ExitStatus status);

    QProcess m_process;
    QByteArray m_output;
    PreviewCommand m_command;
    std::unique_ptr<QTemporaryDir> m_folder;
};
