#include "app/HelpLinks.h"

#include "core/base/Prompts.h"
#include "core/platform/ApplicationFolder.h"
#include "core/platform/FileSystem.h"

#include <QPointer>
#include <QWidget>

QUrl HelpManualUrl() {
    return QUrl::fromLocalFile(JoinPath(ApplicationFolder(), QStringLiteral("manual/index.html")));
}

QUrl FfmpegWebsiteUrl() {
    return QUrl(QStringLiteral("https://ffmpeg.org/"));
}

QString NoBrowserMessage(const QString &manualPath) {
    return JoinLines(
        {QStringLiteral("No web browser could be started to show the manual. It is at:"),
         manualPath});
}

void OpenHelpManual(QWidget *parent) {
    const QUrl manual = HelpManualUrl();
    const QPointer<QWidget> owner = parent;
    prompts().openUrlOrElse(manual, [owner, manual] {
        prompts().exclamation(owner, NoBrowserMessage(manual.toLocalFile()));
    });
}
