#pragma once

#include "core/base/Prompts.h"

// The real prompts: QMessageBox, QInputDialog, QFileDialog, xdg-open and
// QDesktopServices. A message's text can be selected and copied.
class QtPrompts final : public Prompts {
public:
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
    void openUrlOrElse(const QUrl &url, const std::function<void()> &failed) override;
    int exec(QDialog *dialog) override;
};
