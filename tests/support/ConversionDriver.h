#pragma once

#include <QString>
#include <QStringList>

class FakePrompts;
class frmMain;

// What the user saw of one conversion run through the main window.
struct ConversionSeen {
    bool windowOpened = false;
    bool finished = false;    // the batch ran to its end
    QString errorLog;         // the error log's text, empty when none was shown
    QStringList otherDialogs; // object names of any other dialog opened
};

// Chooses Convert in the main window and plays the conversion window: lets
// the batch run to its end (or until the timeout), reads the error log when
// one opens, and closes the window. Messages shown on the way are recorded
// by the prompts as usual.
ConversionSeen ConvertThroughWindow(frmMain &window, FakePrompts &prompts, int timeoutMs = 120000);

// Adds files to the main window's list through the file dialog.
void AddFilesThroughDialog(frmMain &window, FakePrompts &prompts, const QStringList &files);
