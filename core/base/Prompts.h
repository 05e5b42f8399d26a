#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class QDialog;
class QUrl;
class QWidget;

// Every message box, file picker, modal dialog and hand-off to the desktop
// goes through this seam, so that tests can see what the user would see and
// answer it without a click. The application installs QtPrompts; tests
// install a recording fake.
class Prompts {
public:
    enum class Icon { Information, Exclamation, Critical, Question };
    enum class Answer { Yes, No };

    virtual ~Prompts() = default;

    static inline const QString DefaultTitle = QStringLiteral("Mobivert");

    // A message with an OK button.
    virtual void message(QWidget *parent, Icon icon, const QString &text, const QString &title) = 0;
    // A question with Yes and No; true for Yes. No is the default button.
    virtual bool question(QWidget *parent, const QString &text, const QString &title) = 0;
    // The same with the given default button (the one Enter presses);
    // prompts that show no buttons may ignore it.
    virtual bool questionWithDefault(QWidget *parent, const QString &text, const QString &title,
                                     Answer /*defaultButton*/) {
        return question(parent, text, title);
    }
    // A choice of one item of a list, with OK and Cancel; the position of
    // the item chosen, or -1 when cancelled.
    virtual int choice(QWidget *parent, const QString &text, const QStringList &items,
                       const QString &title) = 0;

    // The file-open dialog with multiple selection; empty when cancelled.
    virtual QStringList openFiles(QWidget *parent, const QString &title, const QString &folder,
                                  const QString &filter) = 0;
    // The folder chooser; empty when cancelled.
    virtual QString chooseFolder(QWidget *parent, const QString &title,
                                 const QString &startFolder) = 0;
    // Hands a file, folder, web or mail address to the desktop.
    virtual void openUrl(const QUrl &url) = 0;
    // The same; false when the desktop could start nothing to open it.
    virtual bool tryOpenUrl(const QUrl &url) {
        openUrl(url);
        return true;
    }
    // The same; `failed` is called, maybe later, when nothing could open it
    // (an opener without a browser behind it).
    virtual void openUrlOrElse(const QUrl &url, const std::function<void()> &failed) {
        if (!tryOpenUrl(url))
            failed();
    }
    // Runs a dialog modally and returns its result code.
    virtual int exec(QDialog *dialog) = 0;

    // Shorthands with the application's title.
    void information(QWidget *parent, const QString &text, const QString &title = DefaultTitle) {
        message(parent, Icon::Information, text, title);
    }
    void exclamation(QWidget *parent, const QString &text, const QString &title = DefaultTitle) {
        message(parent, Icon::Exclamation, text, title);
    }
    void critical(QWidget *parent, const QString &text, const QString &title = DefaultTitle) {
        message(parent, Icon::Critical, text, title);
    }
    bool ask(QWidget *parent, const QString &text, const QString &title = DefaultTitle) {
        return question(parent, text, title);
    }
    bool askDefaultYes(QWidget *parent, const QString &text, const QString &title = DefaultTitle) {
        return questionWithDefault(parent, text, title, Answer::Yes);
    }
    int choose(QWidget *parent, const QString &text, const QStringList &items,
               const QString &title = DefaultTitle) {
        return choice(parent, text, items, title);
    }
};

// The prompts in use. Starts as QtPrompts; SetPrompts swaps it (tests).
Prompts &prompts();
void SetPrompts(Prompts *replacement); // nullptr restores QtPrompts

// Two-line messages join their lines with a carriage return and line feed.
inline QString JoinLines(const QStringList &lines) {
    return lines.join(QStringLiteral("\r\n"));
}
