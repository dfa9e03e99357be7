#include "tagging/handover.h"

#include <QTextCursor>
#include <QTextDocument>

#include "platform/errors/errors.h"

namespace handover {

void appendTaggerEntry(QTextDocument* document, const TaggerEntry& entry, Closing closing,
                       const std::function<void()>& beforeTitle) {
    summary::Writer writer(document);
    QTextCursor group(document);
    group.beginEditBlock();
    const auto endGroup = errors::finally([&] { group.endEditBlock(); });

    summary::appendSeparator(writer);
    if (beforeTitle) beforeTitle();
    summary::appendEntryBody(writer, entry.texts);

    const struct {
        const char* label;
        const std::optional<QString>& name;
    } lines[] = {{"Adobe Category: ", entry.adobe},
                 {"Shutterstock Primary: ", entry.shutterPrimary},
                 {"Shutterstock Secondary: ", entry.shutterSecondary}};
    for (const auto& line : lines) {
        if (!line.name) continue;
        writer.setStyle(summary::Style::Regular);
        writer.appendEmptyLine();
        writer.setStyle(summary::Style::Bold);
        writer.writeAtEnd(QLatin1String(line.label));
        writer.setStyle(summary::Style::Regular);
        writer.writeAtEnd(*line.name);
    }
    if (closing == Closing::Always || entry.shutterSecondary) {
        writer.setStyle(summary::Style::Regular);
        writer.appendEmptyLine();
    }
}

}  // namespace handover
