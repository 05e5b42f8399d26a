#include "tests/support/ConversionDriver.h"

#include "app/WindowControls.h"
#include "app/convert/frmError.h"
#include "app/convert/frmProcessing.h"
#include "app/frmMain.h"
#include "tests/support/FakePrompts.h"

#include <QAction>
#include <QElapsedTimer>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTest>

ConversionSeen ConvertThroughWindow(frmMain &window, FakePrompts &prompts,
                                    const WhileConverting &during, int timeoutMs) {
    ConversionSeen seen;
    const auto previous = prompts.dialogHandler;
    prompts.dialogHandler = [&](QDialog *dialog) {
        if (auto *errors = qobject_cast<frmError *>(dialog)) {
            seen.errorLog = errors->txtErrors->toPlainText();
            return int(QDialog::Accepted);
        }
        auto *conversion = qobject_cast<frmProcessing *>(dialog);
        if (!conversion) {
            seen.otherDialogs << dialog->objectName();
            return int(QDialog::Rejected);
        }
        seen.windowOpened = true;
        conversion->show();
        QElapsedTimer clock;
        clock.start();
        while (!conversion->isFinished() && clock.elapsed() < timeoutMs) {
            if (const pid_t group = conversion->processGroup())
                seen.processGroup = group;
            if (during && during(*conversion)) {
                seen.cancelled = true;
                break;
            }
            QTest::qWait(10);
        }
        seen.finished = conversion->isFinished();
        seen.fileAtEnd = conversion->progress().currentFile();
        if (!seen.finished)
            prompts.answers.push_front(true); // yes, cancel
        conversion->close();
        seen.currentFile = conversion->lblCurrentFile->text();
        seen.libraryNote = conversion->lblLibraryNote->text();
        seen.cleanedUp = conversion->isCleanedUp();
        return conversion->result();
    };
    Child<QAction>(window, "mnuFile_Convert")->trigger();
    prompts.dialogHandler = previous;
    return seen;
}

void AddFilesThroughDialog(frmMain &window, FakePrompts &prompts, const QStringList &files) {
    prompts.fileSelections.push_back(files);
    Child<QAction>(window, "mnuFile_AddVideos")->trigger();
}
