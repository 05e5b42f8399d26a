#pragma once

#include "core/base/Prompts.h"

#include <QList>
#include <QUrl>

#include <deque>
#include <functional>

// Records every prompt instead of showing it, and answers from queues that
// the test fills. Installed for the lifetime of the object.
class FakePrompts final : public Prompts {
public:
    struct Shown {
        Icon icon;
        QString text;
        QString title;
        QWidget *parent;      // for comparison only: it may be gone since
        bool parentVisible;   // the parent was on screen (shown and exposed) when it was shown
        Answer defaultButton; // of a question; No for the others
    };

    FakePrompts();
    ~FakePrompts() override;
    FakePrompts(const FakePrompts &) = delete;
    FakePrompts &operator=(const FakePrompts &) = delete;

    void message(QWidget *parent, Icon icon, const QString &text, const QString &title) override;
    bool question(QWidget *parent, const QString &text, const QString &title) override;
    bool questionWithDefault(QWidget *parent, const QString &text, const QString &title,
                             Answer defaultButton) override;
    int choice(QWidget *parent, const QString &text, const QStringList &items,
               const QString &title) override;
    QStringList openFiles(QWidget *parent, const QString &title, const QString &folder,
                          const QString &filter) override;
    QString chooseFolder(QWidget *parent, const QString &title,
                         const QString &startFolder) override;
    void openUrl(const QUrl &url) override;
    bool tryOpenUrl(const QUrl &url) override;
    int exec(QDialog *dialog) override;

    // Everything shown so far (messages, questions and choices), oldest first.
    QList<Shown> shown;
    QList<QUrl> openedUrls;       // every address handed over, opened or not
    bool desktopOpensUrls = true; // false: no program could be started for an address
    QStringList lastChoiceItems;  // the items of the last choice offered
    // Arguments of the last file or folder dialog.
    QString lastDialogTitle, lastDialogFolder, lastDialogFilter;
    int fileDialogCount = 0;

    // Answers, taken front first. An empty queue answers No / cancel.
    std::deque<bool> answers;
    std::deque<int> choices; // positions chosen; an empty queue cancels
    std::deque<QStringList> fileSelections;
    std::deque<QString> folderSelections;
    // Plays the user in a modal dialog; without one, the dialog is rejected.
    std::function<int(QDialog *)> dialogHandler;

    // The texts shown, and a one-line summary for failure messages.
    QStringList texts() const;
    void clear();
};
