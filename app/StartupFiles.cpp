#include "app/StartupFiles.h"

#include "app/FileListController.h"
#include "app/filelist/VideoFileAdder.h"
#include "app/frmMain.h"
#include "core/base/Prompts.h"
#include "core/platform/FileSystem.h"
#include "core/platform/PathBytes.h"

#include <QFileInfo>

StartupArguments ReadStartupArguments(const QStringList &arguments) {
    StartupArguments result;
    if (arguments == QStringList{QStringLiteral("/debug")})
        return result;
    for (const QString &argument : arguments) {
        // Some file managers pass file: URLs even for %F.
        const QString path =
            argument.startsWith(u"file://") ? PathFromFileUrl(PathToBytes(argument)) : argument;
        if (!path.isEmpty() && IsRegularFile(path))
            result.files.append(QFileInfo(path).absoluteFilePath());
        else
            result.notFiles.append(PathForDisplay(argument) + u": " +
                                   SourceFileProblem(path.isEmpty() ? argument : path));
    }
    return result;
}

QString NotFilesMessage(const QStringList &notFiles) {
    QStringList lines{notFiles.size() == 1 ? QStringLiteral("This could not be added:")
                                           : QStringLiteral("These could not be added:")};
    for (const QString &argument : notFiles)
        lines.append(argument);
    return JoinLines(lines);
}

void AddStartupFiles(frmMain &main, const QStringList &arguments) {
    const StartupArguments startup = ReadStartupArguments(arguments);
    if (!startup.files.isEmpty())
        main.fileList().adder().AddDroppedFiles(startup.files);
    if (!startup.notFiles.isEmpty())
        prompts().exclamation(&main, NotFilesMessage(startup.notFiles));
}
