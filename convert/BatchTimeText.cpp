#include "convert/BatchTimeText.h"

#include "base/Various.h"

namespace BatchTimeText {

QString Running(qint64 elapsedMs, std::optional<qint64> secondsLeft) {
    QString text = QStringLiteral("Elapsed ") + FormatDuration(elapsedMs / 1000);
    if (secondsLeft)
        text += QStringLiteral(" \u00b7 about ") + FormatDuration(*secondsLeft) +
                QStringLiteral(" left");
    return text;
}

QString Finished(qint64 elapsedMs) {
    return QStringLiteral("Finished in ") + FormatDuration(elapsedMs / 1000);
}

QString Cancelled(qint64 elapsedMs) {
    return QStringLiteral("Cancelled after ") + FormatDuration(elapsedMs / 1000);
}

} // namespace BatchTimeText
