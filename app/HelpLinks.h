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

// Hands an address to the desktop (browser or mail program); the result is
// not examined and nothing is reported.
void OpenAddress(const QUrl &url);
void OpenHelpManual();
