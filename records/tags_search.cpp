#include "records/tags_search.h"

#include <QStringList>

#include "platform/text/text.h"
#include "records/schema.h"

TagsSearch tagsSearch(const QString& input) {
    const QString trimmed = text::trim(input);
    const QString separators = QStringLiteral(" ;:,.");
    TagsSearch result;
    QStringList conditions;
    int number = 0;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= trimmed.size(); ++i) {
        if (i < trimmed.size() && !separators.contains(trimmed[i])) continue;
        const QString piece = trimmed.mid(start, i - start);
        if (!piece.isEmpty()) {
            const QString name = QStringLiteral("word") + QString::number(number);
            conditions << QStringLiteral("Keys LIKE :") + name;
            result.params.emplace_back(name, QLatin1Char('%') + piece + QLatin1Char('%'));
        }
        ++number;
        start = i + 1;
    }
    result.sql = conditions.isEmpty() ? QString(schema::kListingAtStart)
                                      : QStringLiteral("SELECT * FROM tblTags WHERE ") +
                                            conditions.join(QStringLiteral(" AND "));
    return result;
}
