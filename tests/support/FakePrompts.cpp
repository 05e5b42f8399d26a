#include "tests/support/FakePrompts.h"

#include <QDialog>
#include <QWidget>
#include <QWindow>

FakePrompts::FakePrompts() {
    SetPrompts(this);
}

FakePrompts::~FakePrompts() {
    SetPrompts(nullptr);
}

namespace {

FakePrompts::Shown record(QWidget *parent, Prompts::Icon icon, const QString &text,
                          const QString &title,
                          Prompts::Answer defaultButton = Prompts::Answer::No) {
    // On screen: shown, and exposed once the window system has placed it.
    const QWindow *window = parent ? parent->window()->windowHandle() : nullptr;
    return {icon,
            text,
            title,
            parent,
            parent && parent->isVisible() && window && window->isExposed(),
            defaultButton};
}

} // namespace

void FakePrompts::message(QWidget *parent, Icon icon, const QString &text, const QString &title) {
    shown.append(record(parent, icon, text, title));
}

bool FakePrompts::question(QWidget *parent, const QString &text, const QString &title) {
    return questionWithDefault(parent, text, title, Answer::No);
}

bool FakePrompts::questionWithDefault(QWidget *parent, const QString &text, const QString &title,
                                      Answer defaultButton) {
    shown.append(record(parent, Icon::Question, text, title, defaultButton));
    if (answers.empty())
        return false;
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
}

int FakePrompts::choice(QWidget *parent, const QString &text, const QStringList &items,
                        const QString &title) {
    shown.append(record(parent, Icon::Question, text, title));
    lastChoiceItems = items;
    if (choices.empty())
        return -1;
    const int position = choices.front();
    choices.pop_front();
    return position;
}

QStringList FakePrompts::openFiles(QWidget *, const QString &title, const QString &folder,
                                   const QString &filter) {
    ++fileDialogCount;
    lastDialogTitle = title;
    lastDialogFolder = folder;
    lastDialogFilter = filter;
    if (fileSelections.empty())
        return {};
    QStringList selection = fileSelections.front();
    fileSelections.pop_front();
    return selection;
}

QString FakePrompts::chooseFolder(QWidget *, const QString &title, const QString &startFolder) {
    ++fileDialogCount;
    lastDialogTitle = title;
    lastDialogFolder = startFolder;
    if (folderSelections.empty())
        return {};
    QString folder = folderSelections.front();
    folderSelections.pop_front();
    return folder;
}

void FakePrompts::openUrl(const QUrl &url) {
    tryOpenUrl(url);
}

bool FakePrompts::tryOpenUrl(const QUrl &url) {
    openedUrls.append(url);
    return desktopOpensUrls;
}

int FakePrompts::exec(QDialog *dialog) {
    if (!dialogHandler) {
        dialog->reject();
        return QDialog::Rejected;
    }
    return dialogHandler(dialog);
}

QStringList FakePrompts::texts() const {
    QStringList result;
    for (const Shown &entry : shown)
        result.append(entry.text);
    return result;
}

void FakePrompts::clear() {
    shown.clear();
    openedUrls.clear();
    answers.clear();
    choices.clear();
    lastChoiceItems.clear();
    fileSelections.clear();
    folderSelections.clear();
    fileDialogCount = 0;
}
