#pragma once

#include "tests/support/ConversionDriver.h"
#include "tests/support/TestFiles.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <sys/types.h>

// A temporary application folder: a copy of the build's Profiles/ (which a
// test may spoil) and Components/ with the real components, in use while
// the object lives. replaceConverter() puts a shell script in the
// converter's place, with REAL_CONVERTER standing for the real one.
class ApplicationFolderCopy final {
public:
    ApplicationFolderCopy();
    ~ApplicationFolderCopy();
    ApplicationFolderCopy(const ApplicationFolderCopy &) = delete;
    ApplicationFolderCopy &operator=(const ApplicationFolderCopy &) = delete;

    bool isValid() const { return m_valid; }
    QString path() const { return m_folder.path(); }
    QString profile(const QString &device) const; // Profiles/<device>.ini
    bool replaceConverter(const QString &script);

private:
    QTemporaryDir m_folder;
    bool m_valid = false;
};

// Every file and folder below a folder whose name is exactly `name`.
QStringList FindNamed(const QString &folder, const QString &name);

// A converted file that ffprobe reads whole: a video and an audio stream and
// a duration within a tenth of a second of `seconds`. Empty when it is
// complete, otherwise what is wrong.
QString IncompleteOutput(const QString &path, double seconds);

// The processes of the batch's group that run the converter copy.
QList<pid_t> ConverterProcesses(pid_t processGroup);

// Whether the process has a handler for the signal. Mobivert installs its
// SIGTERM handler once its window is up, which makes it a sign of being ready.
bool CatchesSignal(pid_t pid, int signal);
