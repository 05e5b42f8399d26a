#include "core/filelist/MediaTags.h"

#include <QRegularExpression>
#include <QStringList>

namespace {

// Words that name a release rather than a title (a resolution, a codec, a
// source); the title ends before the first of them.
bool isReleaseWord(const QString &word) {
    static const QRegularExpression release(
        QStringLiteral("^(\\d{3,4}[pi]|[hx]\\.?26[45]|hevc|xvid|divx|hdtv|pdtv|sdtv|web-?dl|"
                       "web-?rip|hdrip|blu-?ray|brrip|bdrip|dvdrip)(-.*)?$"),
        QRegularExpression::CaseInsensitiveOption);
    return release.match(word).hasMatch();
}

// "Some.Show_Name" reads as "Some Show Name" when the name has no blanks;
// separators at the ends go, and release words end the text.
QString cleanWords(QString text) {
    if (!text.contains(u' '))
        text.replace(u'.', u' ').replace(u'_', u' ');
    QStringList words = text.split(u' ', Qt::SkipEmptyParts);
    for (qsizetype i = 0; i < words.size(); ++i) {
        if (isReleaseWord(words[i])) {
            words = words.mid(0, i);
            break;
        }
    }
    QString joined = words.join(u' ');
    static const QRegularExpression edges(QStringLiteral("^[\\s\\-–—:,]+|[\\s\\-–—:,\\[(]+$"));
    return joined.remove(edges);
}

} // namespace

std::optional<EpisodeName> ParseEpisodeName(const QString &baseName) {
    // Show, then the episode's number in one of three forms, then the title.
    static const QRegularExpression forms[] = {
        QRegularExpression(QStringLiteral("^(.*?)[\\s._\\-\\[(]*\\bs(\\d{1,2})[\\s._]?e(\\d{1,3})"
                                          "(?:-?e\\d{1,3})*\\b[\\])]?(.*)$"),
                           QRegularExpression::CaseInsensitiveOption),
        QRegularExpression(
            QStringLiteral("^(.*?)[\\s._\\-\\[(]+(\\d{1,2})x(\\d{2,3})\\b[\\])]?(.*)$"),
            QRegularExpression::CaseInsensitiveOption),
        QRegularExpression(QStringLiteral("^(.*?)\\s+-\\s+(\\d)(\\d{2})\\b(.*)$")),
    };
    for (const QRegularExpression &form : forms) {
        const QRegularExpressionMatch match = form.match(baseName.trimmed());
        if (!match.hasMatch())
            continue;
        EpisodeName name;
        name.show = cleanWords(match.captured(1));
        if (name.show.isEmpty())
            continue;
        name.season = match.captured(2).toInt();
        name.episode = match.captured(3).toInt();
        const QString rest = match.captured(4);
        name.title =
            isReleaseWord(cleanWords(rest).section(u' ', 0, 0)) ? QString() : cleanWords(rest);
        return name;
    }
    return std::nullopt;
}

QString TitleFromName(const QString &baseName) {
    const QString title = cleanWords(baseName.trimmed());
    return title.isEmpty() ? baseName : title;
}

MediaTags ResolveMediaTags(const QString &baseName, const MediaDescription &description) {
    const std::optional<EpisodeName> episode = ParseEpisodeName(baseName);
    MediaTags tags;
    tags.kind = description.kind != MediaKind::Automatic ? description.kind
                : episode                                ? MediaKind::TvShow
                                                         : MediaKind::Movie;
    if (tags.kind == MediaKind::TvShow) {
        tags.show = !description.show.isEmpty() ? description.show
                    : episode                   ? episode->show
                                                : QString();
        tags.season = description.season ? description.season
                      : episode          ? std::optional<int>(episode->season)
                                         : std::nullopt;
        tags.episode = description.episode ? description.episode
                       : episode           ? std::optional<int>(episode->episode)
                                           : std::nullopt;
    }
    if (!description.title.isEmpty())
        tags.title = description.title;
    else if (tags.kind == MediaKind::TvShow && episode && !episode->title.isEmpty())
        tags.title = episode->title;
    else if (tags.kind == MediaKind::TvShow && episode)
        tags.title = QStringLiteral("%1 S%2E%3")
                         .arg(episode->show)
                         .arg(episode->season, 2, 10, QChar(u'0'))
                         .arg(episode->episode, 2, 10, QChar(u'0'));
    else
        tags.title = TitleFromName(baseName);
    return tags;
}

QString MediaKindWord(MediaKind kind) {
    switch (kind) {
    case MediaKind::Automatic:
        return QStringLiteral("auto");
    case MediaKind::Movie:
        return QStringLiteral("movie");
    case MediaKind::TvShow:
        return QStringLiteral("tv");
    case MediaKind::MusicVideo:
        return QStringLiteral("music-video");
    }
    return {};
}

std::optional<MediaKind> MediaKindFromWord(const QString &word) {
    for (const MediaKind kind :
         {MediaKind::Automatic, MediaKind::Movie, MediaKind::TvShow, MediaKind::MusicVideo}) {
        if (word.compare(MediaKindWord(kind), Qt::CaseInsensitive) == 0)
            return kind;
    }
    return std::nullopt;
}

QString MediaKindText(MediaKind kind) {
    switch (kind) {
    case MediaKind::Automatic:
        return QStringLiteral("Automatic");
    case MediaKind::Movie:
        return QStringLiteral("Movie");
    case MediaKind::TvShow:
        return QStringLiteral("TV Show");
    case MediaKind::MusicVideo:
        return QStringLiteral("Music Video");
    }
    return {};
}
