#include "app/widgets/QtPrompts.h"

#include "app/widgets/GUIFunctions.h"
#include "core/platform/DesktopOpener.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QFileDialog>
#include <QHeaderView>
#include <QInputDialog>
#include <QMessageBox>
#include <QScreen>
#include <QTreeView>
#include <QUrl>

namespace {

QMessageBox::Icon toMessageBoxIcon(Prompts::Icon icon) {
    switch (icon) {
    case Prompts::Icon::Information:
        return QMessageBox::Information;
    case Prompts::Icon::Exclamation:
        return QMessageBox::Warning;
    case Prompts::Icon::Critical:
        return QMessageBox::Critical;
    case Prompts::Icon::Question:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

// Message texts use CR LF between lines; Qt wants a plain line feed.
QString forDisplay(QString text) {
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

QtPrompts &realPrompts() {
    static QtPrompts real;
    return real;
}

Prompts *&current() {
    static Prompts *active = &realPrompts();
    return active;
}

} // namespace

Prompts &prompts() {
    return *current();
}

void SetPrompts(Prompts *replacement) {
    current() = replacement ? replacement : &realPrompts();
}

void QtPrompts::message(QWidget *parent, Icon icon, const QString &text, const QString &title) {
    QMessageBox box(toMessageBoxIcon(icon), title, forDisplay(text), QMessageBox::Ok, parent);
    // A path or an error is there to be copied.
    box.setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    box.exec();
}

bool QtPrompts::question(QWidget *parent, const QString &text, const QString &title) {
    return questionWithDefault(parent, text, title, Answer::No);
}

bool QtPrompts::questionWithDefault(QWidget *parent, const QString &text, const QString &title,
                                    Answer defaultButton) {
    QMessageBox box(QMessageBox::Question, title, forDisplay(text),
                    QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(defaultButton == Answer::Yes ? QMessageBox::Yes : QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

int QtPrompts::choice(QWidget *parent, const QString &text, const QStringList &items,
                      const QString &title) {
    bool chosen = false;
    const QString item =
        QInputDialog::getItem(parent, title, forDisplay(text), items, 0, false, &chosen);
    return chosen ? int(items.indexOf(item)) : -1;
}

QStringList QtPrompts::openFiles(QWidget *parent, const QString &title, const QString &folder,
                                 const QString &filter) {
    QFileDialog dialog(parent, title, folder, filter);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setViewMode(QFileDialog::Detail);
    // Qt's own dialog (where the desktop offers none) is wide enough for the
    // name, and gives the size, type and date what they need in full.
    if (auto *view = dialog.findChild<QTreeView *>(QStringLiteral("treeView"))) {
        QHeaderView *header = view->header();
        header->setStretchLastSection(false);
        header->setSectionResizeMode(QHeaderView::ResizeToContents);
        header->setSectionResizeMode(0, QHeaderView::Stretch);
    }
    const QScreen *screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    dialog.resize(StartingWindowSize(QSize(880, 540), dialog.minimumSizeHint(),
                                     screen->availableGeometry().size()));
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles() : QStringList();
}

QString QtPrompts::chooseFolder(QWidget *parent, const QString &title, const QString &startFolder) {
    return QFileDialog::getExistingDirectory(parent, title, startFolder);
}

void QtPrompts::openUrl(const QUrl &url) {
    tryOpenUrl(url);
}

bool QtPrompts::tryOpenUrl(const QUrl &url) {
    return QDesktopServices::openUrl(url);
}

void QtPrompts::openUrlOrElse(const QUrl &url, const std::function<void()> &failed) {
    const auto opened = [failed](bool yes) {
        if (!yes)
            failed();
    };
    if (!OpenWithDesktop(url, qApp, opened) && !QDesktopServices::openUrl(url))
        failed();
}

int QtPrompts::exec(QDialog *dialog) {
    return dialog->exec();
}
