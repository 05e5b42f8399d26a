#pragma once

class QString;
class QTreeWidget;

// What adding files needs of the window that shows the file list: the list
// itself, the settings file that remembers the last folder, and the progress
// display of an add (a text, a bar and a "(Cancel)" link).
class FileListView {
public:
    virtual ~FileListView() = default;

    virtual QTreeWidget *fileRows() const = 0;
    virtual QString settingsPath() const = 0;

    // Shows `text` and the bar, out of `maximum` steps.
    virtual void showAddProgress(const QString &text, int maximum) = 0;
    virtual void setAddProgress(int done) = 0;
    virtual void hideAddProgress() = 0;
};
