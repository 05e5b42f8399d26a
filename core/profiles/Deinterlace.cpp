#include "core/profiles/Deinterlace.h"

QStringList DeinterlaceItems() {
    return {QStringLiteral("Automatic"), QStringLiteral("Always"), QStringLiteral("Never")};
}

QString DeinterlaceText(Deinterlace choice) {
    return DeinterlaceItems().value(int(choice));
}

std::optional<Deinterlace> ParseDeinterlace(const QString &text) {
    const QStringList items = DeinterlaceItems();
    for (qsizetype i = 0; i < items.size(); ++i) {
        if (items[i].compare(text.trimmed(), Qt::CaseInsensitive) == 0)
            return Deinterlace(i);
    }
    return std::nullopt;
}
