#include "tests/support/ConversionDriver.h"

#include "app/frmMain.h"
#include "convert/frmError.h"
#include "convert/frmProcessing.h"
#include "tests/support/FakePrompts.h"

#include <QAction>
#include <QPlainTextEdit>
#include <QTest>

ConversionSeen ConvertThroughWindow(frmMain &window, FakePrompts &prompts, int timeoutMs) {
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
        seen.finished = QTest::qWaitFor([&] { return conversion->isFinished(); }, timeoutMs);
        if (!seen.finished)
            prompts.answers.push_front(true); // yes, cancel
        conversion->close();
        return conversion->result();
    };
    window.mnuFile_Convert->trigger();
    prompts.dialogHandler = previous;
    return seen;
}

void AddFilesThroughDialog(frmMain &window, FakePrompts &prompts, const QStringList &files) {
    prompts.fileSelections.push_back(files);
    window.mnuFile_AddVideos->trigger();
}
