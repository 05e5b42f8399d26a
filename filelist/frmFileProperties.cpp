#include "filelist/frmFileProperties.h"

#include "base/Prompts.h"
#include "filelist/MediaInfoDLL.h"
#include "widgets/GUIFunctions.h"
#include "widgets/WizardHeader.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QLabel *valueLabel(QWidget *parent, const QString &name) {
    auto *label = new QLabel(parent);
    label->setObjectName(name);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setWordWrap(true);
    return label;
}

QString dateText(const QDateTime &time) {
    return time.isValid() ? QLocale::system().toString(time.toLocalTime(), QLocale::LongFormat)
                          : QString();
}

} // namespace

QString FileSizeText(qint64 bytes) {
    const QLocale locale = QLocale::system();
    const QString exact = locale.toString(bytes) + (bytes == 1 ? u" byte" : u" bytes");
    if (bytes < 1024)
        return exact;
    return locale.formattedDataSize(bytes, 1, QLocale::DataSizeTraditionalFormat) + u" (" + exact +
           u')';
}

frmFileProperties::frmFileProperties(const QString &path, QWidget *parent)
    : QDialog(parent) {
    const QFileInfo file(path);
    setObjectName(QStringLiteral("frmFileProperties"));
    setWindowTitle(file.fileName() + QStringLiteral(" Properties"));
    setFont(VerdanaFont());

    header = new WizardHeader(QStringLiteral("File Properties"), file.fileName(), this);

    auto *form = new QFormLayout;
    lblNameValue = valueLabel(this, QStringLiteral("lblNameValue"));
    lblNameValue->setText(file.fileName());
    lblFolderValue = valueLabel(this, QStringLiteral("lblFolderValue"));
    lblFolderValue->setText(QDir::toNativeSeparators(file.absolutePath()));
    lblSizeValue = valueLabel(this, QStringLiteral("lblSizeValue"));
    lblSizeValue->setText(file.isDir() ? QString() : FileSizeText(file.size()));
    lblCreatedValue = valueLabel(this, QStringLiteral("lblCreatedValue"));
    lblCreatedValue->setText(dateText(file.birthTime()));
    lblModifiedValue = valueLabel(this, QStringLiteral("lblModifiedValue"));
    lblModifiedValue->setText(dateText(file.lastModified()));
    lblAccessedValue = valueLabel(this, QStringLiteral("lblAccessedValue"));
    lblAccessedValue->setText(dateText(file.lastRead()));
    form->addRow(QStringLiteral("Name:"), lblNameValue);
    form->addRow(QStringLiteral("Folder:"), lblFolderValue);
    if (!file.isDir())
        form->addRow(QStringLiteral("Size:"), lblSizeValue);
    // Not every file system records when a file was created.
    if (!lblCreatedValue->text().isEmpty())
        form->addRow(QStringLiteral("Created:"), lblCreatedValue);
    form->addRow(QStringLiteral("Modified:"), lblModifiedValue);
    form->addRow(QStringLiteral("Accessed:"), lblAccessedValue);

    txtMediaInfo = new QPlainTextEdit(this);
    txtMediaInfo->setObjectName(QStringLiteral("txtMediaInfo"));
    txtMediaInfo->setReadOnly(true);
    txtMediaInfo->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtMediaInfo->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    // A folder is not examined: the library would read every file in it.
    const QString report = file.isDir() ? QString() : MediaInfoReport(path);
    txtMediaInfo->setPlainText(
        report.isEmpty() ? QStringLiteral("No media information is available.") : report.trimmed());

    cmdClose = new QPushButton(QStringLiteral("&Close"), this);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    cmdClose->setDefault(true);
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::accept);
    auto *body = WizardBody(this, header);
    body->addLayout(form);
    body->addWidget(new QLabel(QStringLiteral("Media information:"), this));
    body->addWidget(txtMediaInfo, 1);
    body->addLayout(ButtonRow({cmdClose}));
    resize(560, 520);
}

qint32 ShowFileProperties(const QString &path, QWidget *owner) {
    const QFileInfo file(path);
    if (path.isEmpty() || !file.exists())
        return FilePropertiesFileNotFound;
    if (!file.isReadable())
        return FilePropertiesAccessDenied;
    frmFileProperties properties(path, owner);
    prompts().exec(&properties);
    return FilePropertiesShown;
}
