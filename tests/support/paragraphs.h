#pragma once

#include <QString>
#include <QStringList>
#include <QTextBlock>
#include <QTextDocument>

// A rich-text document as the tests compare it.

inline QString styleOf(const QTextCharFormat& format) {
    QString style;
    if (format.fontWeight() > QFont::Medium) style += 'B';
    if (format.fontItalic()) style += 'I';
    if (format.fontUnderline()) style += 'U';
    return style.isEmpty() ? QStringLiteral("R") : style;
}

// One entry per paragraph: its runs as "style:text", joined by '|'; an empty paragraph
// shows its own style. The last entry is the paragraph after the document's last break.
inline QStringList paragraphs(const QTextDocument* document) {
    QStringList out;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        QString line, last;
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QString style = styleOf(fragment.charFormat());
            if (style != last) {
                if (!line.isEmpty()) line += '|';
                line += style + ':';
                last = style;
            }
            line += fragment.text();
        }
        out << (line.isEmpty() ? styleOf(block.charFormat()) + ':' : line);
    }
    return out;
}
