#pragma once

#include <QUrl>

// The addresses behind Help and the About window. The manual ships with the
// application, so Help works without a network.
QUrl HelpManualUrl();
QUrl SupportMailUrl();
QUrl WebsiteUrl();
QUrl FfmpegWebsiteUrl();

// The address the website label shows.
QString WebsiteAddressText();
QString SupportMailAddressText();

class QWidget;

// Hands an address to the desktop (browser or mail program); the result is
// not examined and nothing is reported.
void OpenAddress(const QUrl &url);
// Shows the manual in the browser; where none can be started, says so over
// `parent` and names the manual's file.
void OpenHelpManual(QWidget *parent);
QString NoBrowserMessage(const QString &manualPath);
