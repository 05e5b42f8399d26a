#include "tests/support/MediaTools.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>

ProgramResult RunProgram(const QString &program, const QStringList &arguments, int timeoutMs) {
    ProgramOptions options;
    options.timeoutMs = timeoutMs;
    return RunProgram(program, arguments, options);
}

ProgramResult RunProgram(const QString &program, const QStringList &arguments,
                         const ProgramOptions &options) {
    const int timeoutMs = options.timeoutMs;
    ProgramResult result;
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setProcessEnvironment(options.environment);
    if (!options.workingDirectory.isEmpty())
        process.setWorkingDirectory(options.workingDirectory);
    process.start(program, arguments);
    if (!process.waitForStarted(timeoutMs))
        return result;
    if (!process.waitForFinished(timeoutMs)) {
        result.timedOut = true;
        process.kill();
        process.waitForFinished();
    }
    result.output = process.readAll();
    result.crashed = process.exitStatus() == QProcess::CrashExit;
    result.exitCode = process.exitCode();
    return result;
}

bool MakeClip(const QString &path, const ClipSpec &spec, const QString &videoFilter) {
    QStringList arguments{QStringLiteral("-nostdin"), QStringLiteral("-hide_banner"),
                          QStringLiteral("-loglevel"), QStringLiteral("error"),
                          QStringLiteral("-y")};
    const QString seconds = QString::number(spec.seconds);
    if (spec.video) {
        arguments << QStringLiteral("-f") << QStringLiteral("lavfi") << QStringLiteral("-i")
                  << QStringLiteral("testsrc2=size=%1x%2:rate=%3:duration=%4")
                             .arg(spec.width)
                             .arg(spec.height)
                             .arg(spec.fps)
                             .arg(seconds) +
                         (videoFilter.isEmpty() ? QString() : u',' + videoFilter);
    }
    if (spec.audio) {
        arguments
            << QStringLiteral("-f") << QStringLiteral("lavfi") << QStringLiteral("-i")
            << QStringLiteral("sine=frequency=1000:sample_rate=48000:duration=%1").arg(seconds);
        if (spec.video)
            arguments << QStringLiteral("-ac") << QStringLiteral("2");
    }
    // "file:" keeps any name (a leading dash, a colon) from reading as an option
    // or a protocol.
    arguments << spec.codecArguments << QStringLiteral("file:") + path;
    const ProgramResult result = RunProgram(QStringLiteral("ffmpeg"), arguments);
    return result.exitCode == 0 && !result.crashed;
}

QJsonObject Probe(const QString &path) {
    const ProgramResult result =
        RunProgram(QStringLiteral("ffprobe"),
                   {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-show_streams"),
                    QStringLiteral("-show_format"), QStringLiteral("-of"), QStringLiteral("json"),
                    QStringLiteral("file:") + path});
    return QJsonDocument::fromJson(result.output).object();
}

QJsonObject ProbeStream(const QJsonObject &probe, const QString &type) {
    const QJsonArray streams = probe.value(QStringLiteral("streams")).toArray();
    for (const QJsonValue &stream : streams) {
        if (stream.toObject().value(QStringLiteral("codec_type")).toString() == type)
            return stream.toObject();
    }
    return {};
}
