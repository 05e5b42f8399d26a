#include "app/HelpLinks.h"

#include "core/base/Prompts.h"
#include "core/platform/ApplicationFolder.h"
#include "core/platform/FileSystem.h"

#include <QPointer>
#include <QWidget>

QUrl HelpManualUrl() {
    return QUrl::fromLocalFile(JoinPath(ApplicationFolder(), QStringLiteral("manual/index.html")));
}

QString SupportMailAddressText() {
    // A reserved example domain until the support mailbox exists.
    return QStringLiteral("support@mobivert.example");
}

QUrl SupportMailUrl() {
    return QUrl(QStringLiteral("mailto:") + SupportMailAddressText() +
                QStringLiteral("?subject=Mobivert%20v1.1%20support"));
}

QString WebsiteAddressText() {
    return QStringLiteral("https://www.mobivert.example/");
}

QUrl WebsiteUrl() {
    return QUrl(WebsiteAddressText());
}

QUrl FfmpegWebsiteUrl() {
    return QUrl(QStringLiteral("https://ffmpeg.org/"));
}

void OpenAddress(const QUrl &url) {
    prompts().openUrl(url);
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
