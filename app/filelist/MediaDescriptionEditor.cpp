#include "app/filelist/MediaDescriptionEditor.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>

namespace {

QLineEdit *textBox(QWidget *parent, const QString &name, const QString &text) {
    auto *box = new QLineEdit(text, parent);
    box->setObjectName(name);
    box->setClearButtonEnabled(true);
    return box;
}

QLineEdit *numberBox(QWidget *parent, const QString &name, const std::optional<int> &number) {
    QLineEdit *box = textBox(parent, name, number ? QString::number(*number) : QString());
    box->setValidator(new QIntValidator(0, 9999, box));
    box->setMaximumWidth(80);
    return box;
}

std::optional<int> numberIn(const QLineEdit *box) {
    bool ok = false;
    const int number = box->text().trimmed().toInt(&ok);
    return ok ? std::optional<int>(number) : std::nullopt;
}

} // namespace

MediaDescriptionEditor::MediaDescriptionEditor(const QString &baseName,
                                               const MediaDescription &description, QWidget *parent)
    : QWidget(parent)
    , m_baseName(baseName) {
    setObjectName(QStringLiteral("MediaDescriptionEditor"));
    cmbKind = new QComboBox(this);
    cmbKind->setObjectName(QStringLiteral("cmbKind"));
    for (const MediaKind kind :
         {MediaKind::Automatic, MediaKind::Movie, MediaKind::TvShow, MediaKind::MusicVideo})
        cmbKind->addItem(MediaKindText(kind), int(kind));
    cmbKind->setCurrentIndex(cmbKind->findData(int(description.kind)));
    txtTitle = textBox(this, QStringLiteral("txtTitle"), description.title);
    txtShow = textBox(this, QStringLiteral("txtShow"), description.show);
    txtSeason = numberBox(this, QStringLiteral("txtSeason"), description.season);
    txtEpisode = numberBox(this, QStringLiteral("txtEpisode"), description.episode);

    auto *form = new QFormLayout(this);
    form->setContentsMargins(0, 0, 0, 0);
    form->addRow(QStringLiteral("&Kind:"), cmbKind);
    form->addRow(QStringLiteral("&Title:"), txtTitle);
    form->addRow(QStringLiteral("S&how:"), txtShow);
    // A row of a layout gets no buddy from addRow: its label would show the
    // "&" rather than underline the access key.
    auto *seasonLabel = new QLabel(QStringLiteral("Se&ason:"), this);
    seasonLabel->setBuddy(txtSeason);
    auto *episodeLabel = new QLabel(QStringLiteral("&Episode:"), this);
    episodeLabel->setBuddy(txtEpisode);
    auto *numbers = new QHBoxLayout;
    numbers->addWidget(txtSeason);
    numbers->addSpacing(12);
    numbers->addWidget(episodeLabel);
    numbers->addWidget(txtEpisode);
    numbers->addStretch(1);
    form->addRow(seasonLabel, numbers);

    connect(cmbKind, &QComboBox::currentIndexChanged, this,
            &MediaDescriptionEditor::showAutomaticValues);
    for (QLineEdit *box : {txtTitle, txtShow, txtSeason, txtEpisode})
        connect(box, &QLineEdit::textChanged, this, &MediaDescriptionEditor::showAutomaticValues);
    showAutomaticValues();
}

MediaDescription MediaDescriptionEditor::description() const {
    MediaDescription description;
    description.kind = MediaKind(cmbKind->currentData().toInt());
    description.title = txtTitle->text().trimmed();
    description.show = txtShow->text().trimmed();
    description.season = numberIn(txtSeason);
    description.episode = numberIn(txtEpisode);
    return description;
}

void MediaDescriptionEditor::showAutomaticValues() {
    const MediaTags tags = ResolveMediaTags(m_baseName, description());
    if (cmbKind->currentIndex() == 0)
        cmbKind->setItemText(0, QStringLiteral("Automatic (%1)").arg(MediaKindText(tags.kind)));
    txtTitle->setPlaceholderText(tags.title);
    txtShow->setPlaceholderText(tags.show);
    txtSeason->setPlaceholderText(tags.season ? QString::number(*tags.season) : QString());
    txtEpisode->setPlaceholderText(tags.episode ? QString::number(*tags.episode) : QString());
    // Only a TV episode has a show, a season and an episode.
    const bool episode = tags.kind == MediaKind::TvShow;
    for (QLineEdit *box : {txtShow, txtSeason, txtEpisode})
        box->setEnabled(episode);
}
