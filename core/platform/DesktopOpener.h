#pragma once

#include <QUrl>

#include <functional>

class QObject;

// Hands a file or web address to the desktop's opener, xdg-open, and tells
// `done` whether it was opened. xdg-open is present on most desktops even
// where nothing stands behind it (no browser): it then ends with an error,
// which QDesktopServices never sees, having started it and forgotten it.
// Returns false, calling nothing, when there is no xdg-open to run; `done`
// is called on `context`'s thread, and not at all once `context` is gone.
bool OpenWithDesktop(const QUrl &url, QObject *context, std::function<void(bool opened)> done);
