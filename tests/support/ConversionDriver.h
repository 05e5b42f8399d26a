#pragma once

#include "tests/support/TestEnvironment.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <sys/types.h>

class FakePrompts;
class frmMain;
class frmProcessing;

// What the user saw of one conversion run through the main window.
struct ConversionSeen {
    bool windowOpened = false;
    bool finished = false;    // the batch ran to its end
    bool cancelled = false;   // the test cancelled it (answering Yes)
    QString errorLog;         // the error log's text, empty when none was shown
    QStringList otherDialogs; // object names of any other dialog opened
    QString currentFile;      // lblCurrentFile when the window closed
    QString libraryNote;      // what the window said at the end about the library hand-off
    int fileAtEnd = 0;        // the file the window was at when it closed
    pid_t processGroup = 0;   // the batch's process group while it ran
    bool cleanedUp = false;   // the window removed its working files
};

// Called every few milliseconds while the batch runs; returns true to cancel
// the conversion at that moment.
using WhileConverting = std::function<bool(frmProcessing &)>;

// Chooses Convert in the main window and plays the conversion window: lets
// the batch run to its end (or until the timeout, or until `during` asks to
// cancel), reads the error log when one opens, and closes the window.
// Messages shown on the way are recorded by the prompts as usual.
ConversionSeen ConvertThroughWindow(frmMain &window, FakePrompts &prompts,
                                    const WhileConverting &during = {},
                                    int timeoutMs = kPatienceMs);

// Adds files to the main window's list through the file dialog.
void AddFilesThroughDialog(frmMain &window, FakePrompts &prompts, const QStringList &files);
