#include <QHash>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>

#include "platform/rtf/codepage.h"
#include "platform/rtf/rtf.h"
#include "platform/rtf/units.h"

namespace rtf {

namespace {

// Character formatting as RTF carries it, resolved against the document's default
// font. Colours are colour-table indexes, 0 for none.
struct Run {
    int font = -1;
    int halfPoints = -1;
    int fg = 0;
    int bg = 0;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
};

enum class Align { Left, Center, Right, Justify };

Align alignmentOf(const QTextBlock& block) {
    const Qt::Alignment a = block.blockFormat().alignment() & Qt::AlignHorizontal_Mask;
    if (a & Qt::AlignJustify) return Align::Justify;
    if (a & Qt::AlignHCenter) return Align::Center;
    if (a & Qt::AlignRight) return Align::Right;
    return Align::Left;
}

// A character as an escape: \\, \{ and \} for the three that RTF reserves, \'hh where
// Windows-1252 holds the character, else \uN with '?' for readers without Unicode.
void escape(QByteArray& out, char16_t c) {
    static const char hex[] = "0123456789abcdef";
    if (c == '\\' || c == '{' || c == '}') {
        out += '\\';
        out += char(c);
    } else if (const int byte = codepage::toWindows1252(c); byte >= 0) {
        const char escaped[] = {'\\', '\'', hex[byte >> 4], hex[byte & 15]};
        out.append(escaped, 4);
    } else {
        out += "\\u" + QByteArray::number(int(qint16(c))) + '?';
    }
}

class Writer {
public:
    explicit Writer(const QTextDocument& document)
        : m_defaultFamily(document.defaultFont().family()),
          m_defaultPoints(pointsOf(document.defaultFont())) {
        fontIndex(m_defaultFamily);  // the default font is \f0
        m_body.reserve(document.characterCount() + 1024);
        m_body += "\\viewkind4\\uc1\\pard";
        m_space = true;
        for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
            writeBlock(block);
        m_body += "}\r\n";
    }

    QByteArray result() const {
        QByteArray out;
        out.reserve(m_body.size() + 512);
        out += "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl";
        for (qsizetype i = 0; i < m_fonts.size(); ++i) {
            out += "{\\f" + QByteArray::number(i) + "\\fnil\\fcharset0 ";
            out += m_fonts[i];
            out += ";}";
        }
        out += "}\r\n{\\colortbl ;";
        for (const QRgb rgb : m_colors) {
            out += "\\red" + QByteArray::number(qRed(rgb)) + "\\green" +
                   QByteArray::number(qGreen(rgb)) + "\\blue" + QByteArray::number(qBlue(rgb)) +
                   ';';
        }
        out += "}\r\n";
        out += m_body;
        return out;
    }

private:
    void writeBlock(const QTextBlock& block) {
        const Align align = alignmentOf(block);
        if (align != m_align) {
            static const char* const words[] = {"ql", "qc", "qr", "qj"};
            word(words[int(align)]);
            m_align = align;
        }
        bool empty = true;
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.isValid() || fragment.length() == 0) continue;
            empty = false;
            switchTo(runOf(fragment.charFormat()));
            text(fragment.text());
        }
        // An empty paragraph keeps its own formatting, which applies to what is typed
        // into it.
        if (empty) switchTo(runOf(block.charFormat()));
        word("par");
        m_body += "\r\n";
        m_space = false;
    }

    Run runOf(const QTextCharFormat& format) {
        Run run;
        const QStringList families = format.property(QTextFormat::FontFamilies).toStringList();
        run.font = fontIndex(families.isEmpty() || families.first().isEmpty() ? m_defaultFamily
                                                                              : families.first());
        double points = m_defaultPoints;
        if (format.hasProperty(QTextFormat::FontPointSize) && format.fontPointSize() > 0)
            points = format.fontPointSize();
        else if (format.hasProperty(QTextFormat::FontPixelSize) &&
                 format.intProperty(QTextFormat::FontPixelSize) > 0)
            points = format.intProperty(QTextFormat::FontPixelSize) * 0.75;
        run.halfPoints = halfPointsOf(points);
        run.bold = format.fontWeight() >= QFont::DemiBold;
        run.italic = format.fontItalic();
        const auto underline = format.underlineStyle();
        run.underline =
            format.fontUnderline() || (underline != QTextCharFormat::NoUnderline &&
                                       underline != QTextCharFormat::SpellCheckUnderline);
        run.strike = format.fontStrikeOut();
        run.fg = colorIndex(format.foreground());
        run.bg = colorIndex(format.background());
        return run;
    }

    void switchTo(const Run& run) {
        if (run.font != m_run.font) word("f", run.font);
        if (run.halfPoints != m_run.halfPoints) word("fs", run.halfPoints);
        if (run.fg != m_run.fg) word("cf", run.fg);
        if (run.bg != m_run.bg) word("highlight", run.bg);
        if (run.bold != m_run.bold) run.bold ? word("b") : word("b", 0);
        if (run.italic != m_run.italic) run.italic ? word("i") : word("i", 0);
        if (run.underline != m_run.underline) run.underline ? word("ul") : word("ulnone");
        if (run.strike != m_run.strike) run.strike ? word("strike") : word("strike", 0);
        m_run = run;
    }

    void word(const char* name) {
        m_body += '\\';
        m_body += name;
        m_space = true;
    }
    void word(const char* name, int value) {
        word(name);
        m_body += QByteArray::number(value);
    }

    // A literal character needs the blank that ends a control word before it; an
    // escape ends it by itself.
    void literal(char c) {
        if (m_space) m_body += ' ';
        m_space = false;
        m_body += c;
    }

    void text(const QString& text) {
        for (const QChar qc : text) {
            const char16_t c = qc.unicode();
            if (c >= 0x20 && c < 0x80 && c != '\\' && c != '{' && c != '}') {
                literal(char(c));
            } else if (c == '\t') {
                word("tab");
            } else if (c == QChar::LineSeparator) {
                word("line");
            } else if (c < 0x20 || c == QChar::ObjectReplacementCharacter || c == 0xFDD0 ||
                       c == 0xFDD1 || c == QChar::ParagraphSeparator) {
                // Controls and object marks have no text to keep.
            } else {
                escape(m_body, c);
                m_space = false;
            }
        }
    }
    int fontIndex(const QString& family) {
        auto it = m_fontIndex.constFind(family);
        if (it != m_fontIndex.constEnd()) return *it;
        QByteArray name;
        for (const QChar qc : family) {
            const char16_t c = qc.unicode();
            if (c < 0x20) continue;
            if (c >= 0x80 || c == '\\' || c == '{' || c == '}' || c == ';')  // ';' ends the entry
                escape(name, c);
            else
                name += char(c);
        }
        const int index = int(m_fonts.size());
        m_fonts.append(name);
        m_fontIndex.insert(family, index);
        return index;
    }

    int colorIndex(const QBrush& brush) {
        if (brush.style() == Qt::NoBrush || brush.color().alpha() == 0) return 0;
        const QRgb rgb = brush.color().rgb() & 0xFFFFFF;
        auto it = m_colorIndex.constFind(rgb);
        if (it != m_colorIndex.constEnd()) return *it;
        m_colors.append(rgb);
        const int index = int(m_colors.size());  // entry 0 is the automatic colour
        m_colorIndex.insert(rgb, index);
        return index;
    }

    const QString m_defaultFamily;
    const double m_defaultPoints;
    QList<QByteArray> m_fonts;
    QHash<QString, int> m_fontIndex;
    QList<QRgb> m_colors;
    QHash<QRgb, int> m_colorIndex;
    QByteArray m_body;
    Run m_run;
    Align m_align = Align::Left;
    bool m_space = false;  // the body ends in a control word that a literal must not touch
};

}  // namespace

QByteArray write(const QTextDocument& document) {
    return Writer(document).result();
}

}  // namespace rtf
