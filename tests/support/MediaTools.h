#pragma once

#include <QJsonObject>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// Running programs and making and reading media files for tests: clips come
// from ffmpeg's test sources, nothing binary is kept in the repository.

struct ProgramResult {
    int exitCode = -1;
    bool crashed = false;
    bool timedOut = false;
    QByteArray output; // standard output and error, merged
};

ProgramResult RunProgram(const QString &program, const QStringList &arguments,
                         int timeoutMs = 120000);

// Where and with what environment RunProgram starts a program.
struct ProgramOptions {
    QString workingDirectory; // empty: the test's own
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    int timeoutMs = 120000;
};

ProgramResult RunProgram(const QString &program, const QStringList &arguments,
                         const ProgramOptions &options);

struct ClipSpec {
    double seconds = 2.0;
    int width = 320;
    int height = 240;
    int fps = 25;
    bool video = true;
    bool audio = true;
    // Encoder arguments for the output; empty picks the container's default.
    QStringList codecArguments;
};

// Makes a clip with testsrc2 and a 1 kHz tone; returns false on failure.
// `videoFilter` goes after the test picture ("noise=..." for a picture that
// takes every bit an encoder offers).
bool MakeClip(const QString &path, const ClipSpec &spec = {}, const QString &videoFilter = {});

// ffprobe -show_streams -show_format of a file, as JSON.
QJsonObject Probe(const QString &path);
// The first stream of the given type ("video", "audio") or an empty object.
QJsonObject ProbeStream(const QJsonObject &probe, const QString &type);
