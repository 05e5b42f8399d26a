#pragma once

#include <QUrl>

// The addresses behind Help and the About window. The manual ships with the
// application, so Help works without a network; Mobivert has no support
// mailbox or website of its own to offer.
QUrl HelpManualUrl();
QUrl FfmpegWebsiteUrl();

class QWidget;

// Shows the manual in the browser; where none can be started, says so over
// `parent` and names the manual's file.
void OpenHelpManual(QWidget *parent);
QString NoBrowserMessage(const QString &manualPath);
