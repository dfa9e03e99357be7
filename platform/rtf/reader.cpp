#include <QHash>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <array>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/rtf/codepage.h"
#include "platform/rtf/rtf.h"
#include "platform/rtf/units.h"

namespace rtf {

namespace {

// Where the text of a group goes.
enum class Dest : unsigned char { Body, FontTable, ColorTable, Skip };

// Character formatting of a group. Font -1 is the document's default font (\deff);
// size 0 is the edit's own size; colour -1 is none given.
struct CharProps {
    int font = -1;
    int halfPoints = 0;
    int fg = -1;
    int bg = -1;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    bool operator==(const CharProps&) const = default;
};

struct State {
    CharProps chars;
    Qt::Alignment align = Qt::AlignLeft;
    Dest dest = Dest::Body;
    int uc = 1;  // bytes of fallback after each \u
};

struct Font {
    QString name;
    int codepage = 0;  // 0: the document's code page
};

// clang-format off
enum class Word {
    Unknown,
    // header and tables
    Rtf, Ansi, Mac, Pc, Pca, AnsiCpg, Deff, FontTbl, ColorTbl, FCharset, Cpg, Red, Green, Blue,
    SkipDest,
    // body
    Par, Sect, Row, Cell, Page, Line, Tab, Plain, Pard, Bold, Italic, Underline, UlNone, Strike,
    Font, FontSize, Fg, Bg, Ql, Qc, Qr, Qj, U, Uc, Bin,
    Char,  // a word that stands for one character
};
// clang-format on

struct Entry {
    std::string_view name;
    Word word;
    char16_t character = 0;  // of Word::Char
};

Entry lookup(std::string_view name) {
    // Sorted by name.
    static constexpr std::array kWords = std::to_array<Entry>({
        {"annotation", Word::SkipDest},
        {"ansi", Word::Ansi},
        {"ansicpg", Word::AnsiCpg},
        {"atnauthor", Word::SkipDest},
        {"author", Word::SkipDest},
        {"b", Word::Bold},
        {"bin", Word::Bin},
        {"blue", Word::Blue},
        {"bullet", Word::Char, 0x2022},
        {"cb", Word::Bg},
        {"cell", Word::Cell},
        {"cf", Word::Fg},
        {"chcbpat", Word::Bg},
        {"colorschememapping", Word::SkipDest},
        {"colortbl", Word::ColorTbl},
        {"column", Word::Page},
        {"cpg", Word::Cpg},
        {"datastore", Word::SkipDest},
        {"deff", Word::Deff},
        {"do", Word::SkipDest},
        {"emdash", Word::Char, 0x2014},
        {"emspace", Word::Char, 0x2003},
        {"endash", Word::Char, 0x2013},
        {"enspace", Word::Char, 0x2002},
        {"f", Word::Font},
        {"fcharset", Word::FCharset},
        {"filetbl", Word::SkipDest},
        {"fldinst", Word::SkipDest},
        {"fonttbl", Word::FontTbl},
        {"footer", Word::SkipDest},
        {"footerf", Word::SkipDest},
        {"footerl", Word::SkipDest},
        {"footerr", Word::SkipDest},
        {"footnote", Word::SkipDest},
        {"fs", Word::FontSize},
        {"generator", Word::SkipDest},
        {"green", Word::Green},
        {"header", Word::SkipDest},
        {"headerf", Word::SkipDest},
        {"headerl", Word::SkipDest},
        {"headerr", Word::SkipDest},
        {"highlight", Word::Bg},
        {"i", Word::Italic},
        {"info", Word::SkipDest},
        {"latentstyles", Word::SkipDest},
        {"ldblquote", Word::Char, 0x201C},
        {"line", Word::Line},
        {"listoverridetable", Word::SkipDest},
        {"listtable", Word::SkipDest},
        {"lquote", Word::Char, 0x2018},
        {"mac", Word::Mac},
        {"nonshppict", Word::SkipDest},
        {"object", Word::SkipDest},
        {"page", Word::Page},
        {"par", Word::Par},
        {"pard", Word::Pard},
        {"pc", Word::Pc},
        {"pca", Word::Pca},
        {"pict", Word::SkipDest},
        {"plain", Word::Plain},
        {"qc", Word::Qc},
        {"qj", Word::Qj},
        {"ql", Word::Ql},
        {"qmspace", Word::Char, 0x2005},
        {"qr", Word::Qr},
        {"rdblquote", Word::Char, 0x201D},
        {"red", Word::Red},
        {"revtbl", Word::SkipDest},
        {"row", Word::Row},
        {"rquote", Word::Char, 0x2019},
        {"rsidtbl", Word::SkipDest},
        {"rtf", Word::Rtf},
        {"sect", Word::Sect},
        {"shp", Word::SkipDest},
        {"shppict", Word::SkipDest},
        {"strike", Word::Strike},
        {"striked", Word::Strike},
        {"stylesheet", Word::SkipDest},
        {"tab", Word::Tab},
        {"tc", Word::SkipDest},
        {"themedata", Word::SkipDest},
        {"u", Word::U},
        {"uc", Word::Uc},
        {"ul", Word::Underline},
        {"uld", Word::Underline},
        {"uldash", Word::Underline},
        {"uldashd", Word::Underline},
        {"uldashdd", Word::Underline},
        {"uldb", Word::Underline},
        {"ulhwave", Word::Underline},
        {"ulldash", Word::Underline},
        {"ulnone", Word::UlNone},
        {"ulth", Word::Underline},
        {"ulthd", Word::Underline},
        {"ulthdash", Word::Underline},
        {"ulthdashd", Word::Underline},
        {"ulthdashdd", Word::Underline},
        {"ulthldash", Word::Underline},
        {"ululdbwave", Word::Underline},
        {"ulw", Word::Underline},
        {"ulwave", Word::Underline},
        {"userprops", Word::SkipDest},
        {"xe", Word::SkipDest},
        {"xmlnstbl", Word::SkipDest},
    });
    static_assert(std::is_sorted(kWords.begin(), kWords.end(),
                                 [](const Entry& a, const Entry& b) { return a.name < b.name; }));
    const auto it = std::lower_bound(kWords.begin(), kWords.end(), name,
                                     [](const Entry& e, std::string_view n) { return e.name < n; });
    return it != kWords.end() && it->name == name ? *it : Entry{name, Word::Unknown};
}

constexpr int kMaxDepth = 1000;  // deeper groups share the state of the last one kept
constexpr int kMaxHalfPoints = 3276;

bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
int hexValue(char c) {
    if (isDigit(c)) return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Drops the characters that would break the document's own structure (controls,
// paragraph and object marks) and replaces surrogate halves without their partner.
void sanitize(QString& text) {
    const qsizetype n = text.size();
    QChar* c = text.data();
    qsizetype out = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t u = c[i].unicode();
        if ((u < 0x20 && u != '\t') || u == QChar::ParagraphSeparator ||
            u == QChar::ObjectReplacementCharacter || u == 0xFDD0 || u == 0xFDD1)
            continue;
        if (QChar::isHighSurrogate(u) && i + 1 < n && QChar::isLowSurrogate(c[i + 1].unicode())) {
            c[out++] = c[i++];
            c[out++] = c[i];
            continue;
        }
        c[out++] = QChar::isSurrogate(u) ? QChar(QChar::ReplacementCharacter) : c[i];
    }
    text.truncate(out);
}

class Reader {
public:
    Reader(const char* begin, const char* end, QTextDocument* document)
        : m_p(begin),
          m_end(end),
          m_cursor(document),
          m_defaultFamily(document->defaultFont().family()),
          m_defaultHalfPoints(halfPointsOf(pointsOf(document->defaultFont()))) {
        m_stack.reserve(64);
        m_stack.emplace_back();
    }

    // Replaces the document's content. Clearing inside the edit block lets a shown
    // edit lay the new content out lazily, as it does for setPlainText, instead of
    // all at once when the block ends.
    void run() {
        m_cursor.beginEditBlock();
        m_cursor.document()->clear();
        while (m_p < m_end && !m_done) {
            switch (*m_p) {
                case '{':
                    ++m_p;
                    openGroup();
                    break;
                case '}':
                    ++m_p;
                    closeGroup();
                    break;
                case '\\':
                    ++m_p;
                    control();
                    break;
                case '\r':
                case '\n':
                    ++m_p;
                    break;
                default: {
                    const char* start = m_p;
                    while (m_p < m_end && *m_p != '{' && *m_p != '}' && *m_p != '\\' &&
                           *m_p != '\r' && *m_p != '\n')
                        ++m_p;
                    bytes(start, m_p - start);
                    break;
                }
            }
        }
        finish();
        m_cursor.endEditBlock();
    }

private:
    State& top() { return m_stack.back(); }

    // ---- groups

    void openGroup() {
        m_skip = 0;
        if (m_stack.size() >= kMaxDepth) {
            ++m_overflow;
            return;
        }
        m_stack.push_back(m_stack.back());
    }

    void closeGroup() {
        m_skip = 0;
        if (m_overflow > 0) {
            --m_overflow;
            return;
        }
        if (m_stack.size() <= 1) return;
        const Dest dest = top().dest;
        m_stack.pop_back();
        if (dest == Dest::FontTable && (!m_fontName.isEmpty() || !m_fontText.isEmpty()))
            commitFont();
        if (dest == Dest::ColorTable && top().dest != Dest::ColorTable && m_colorGiven)
            commitColor();
        if (m_stack.size() == 1) m_done = true;  // the document's own group has ended
    }

    void setDest(Dest dest) {
        if (top().dest != Dest::Skip) top().dest = dest;
    }

    // ---- tokens

    void control() {
        if (m_p >= m_end) return;
        const char c = *m_p;
        if (!isLetter(c)) {
            ++m_p;
            symbol(c);
            return;
        }
        const char* start = m_p;
        while (m_p < m_end && isLetter(*m_p)) ++m_p;
        const std::string_view name(start, std::size_t(m_p - start));
        bool hasValue = false;
        bool negative = false;
        long long value = 0;
        if (m_p + 1 < m_end && *m_p == '-' && isDigit(m_p[1])) {
            negative = true;
            ++m_p;
        }
        while (m_p < m_end && isDigit(*m_p)) {
            hasValue = true;
            if (value < 100000000000LL) value = value * 10 + (*m_p - '0');
            ++m_p;
        }
        if (m_p < m_end && *m_p == ' ') ++m_p;
        if (negative) value = -value;
        value = std::clamp(value, -2147483648LL, 2147483647LL);
        keyword(name.size() <= 32 ? lookup(name) : Entry{name, Word::Unknown}, hasValue,
                int(value));
    }

    void symbol(char c) {
        switch (c) {
            case '\'': {
                int byte = 0;
                int digits = 0;
                while (digits < 2 && m_p < m_end && hexValue(*m_p) >= 0) {
                    byte = byte * 16 + hexValue(*m_p++);
                    ++digits;
                }
                if (digits > 0) {
                    const char b = char(byte);
                    bytes(&b, 1, true);
                }
                return;
            }
            case '\\':
            case '{':
            case '}':
                bytes(&c, 1, true);
                return;
            case '\r':
            case '\n':
                if (top().dest == Dest::Body) paragraph();
                return;
            case '~':
                character(0x00A0);
                return;
            case '_':
                character(0x2011);
                return;
            case '*':
                setDest(Dest::Skip);
                return;
            default:
                skipped();  // \- and the other symbols have no text
                return;
        }
    }

    // Counts a character of the fallback text after \u (literal and escaped bytes and
    // the control words that stand for a character); returns whether it is dropped.
    // Other control words are no text and do not count.
    bool skipped() {
        if (m_skip <= 0 || top().dest != Dest::Body) return false;
        --m_skip;
        return true;
    }

    void keyword(const Entry& entry, bool hasValue, int value) {
        const Word word = entry.word;
        State& s = top();
        const bool on = !hasValue || value != 0;
        if (word == Word::Bin) {
            const qsizetype n = hasValue ? std::max<qsizetype>(0, value) : 0;
            m_p += std::min<qsizetype>(n, m_end - m_p);
            return;
        }
        switch (word) {
            case Word::Unknown:
                return;
            case Word::Rtf:
                return;
            case Word::Ansi:
                m_codepage = 1252;
                return;
            case Word::Mac:
                m_codepage = 10000;
                return;
            case Word::Pc:
                m_codepage = 437;
                return;
            case Word::Pca:
                m_codepage = 850;
                return;
            case Word::AnsiCpg:
                if (value > 0) m_codepage = value;
                return;
            case Word::Deff:
                m_defaultFont = value;
                return;
            case Word::FontTbl:
                setDest(Dest::FontTable);
                return;
            case Word::ColorTbl:
                setDest(Dest::ColorTable);
                return;
            case Word::SkipDest:
                setDest(Dest::Skip);
                return;
            case Word::FCharset:
                if (s.dest == Dest::FontTable) m_fontCharset = value;
                return;
            case Word::Cpg:
                if (s.dest == Dest::FontTable) m_fontCpg = value;
                return;
            case Word::Red:
                colorPart(16, value);
                return;
            case Word::Green:
                colorPart(8, value);
                return;
            case Word::Blue:
                colorPart(0, value);
                return;
            default:
                break;
        }
        if (s.dest == Dest::FontTable && word == Word::Font) {
            if (!m_fontName.isEmpty() || !m_fontText.isEmpty()) commitFont();
            m_fontNumber = value;
            return;
        }
        if (s.dest == Dest::FontTable && word == Word::U) {
            decodeFontName();
            if (hasValue && value >= -32768 && value <= 65535) m_fontText += QChar(char16_t(value));
            m_skip = s.uc;
            return;
        }
        if (s.dest != Dest::Body) return;
        switch (word) {
            case Word::Par:
            case Word::Sect:
            case Word::Row:
                paragraph();
                return;
            case Word::Page:
                if (m_blockHasText || !m_text.isEmpty() || !m_bytes.isEmpty()) paragraph();
                return;
            case Word::Line:
                character(QChar::LineSeparator);
                return;
            case Word::Tab:
            case Word::Cell:
                character('\t');
                return;
            case Word::Plain:
                s.chars = CharProps();
                return;
            case Word::Pard:
                s.align = Qt::AlignLeft;
                return;
            case Word::Bold:
                s.chars.bold = on;
                return;
            case Word::Italic:
                s.chars.italic = on;
                return;
            case Word::Underline:
                s.chars.underline = on;
                return;
            case Word::UlNone:
                s.chars.underline = false;
                return;
            case Word::Strike:
                s.chars.strike = on;
                return;
            case Word::Font:
                s.chars.font = hasValue ? value : -1;
                return;
            case Word::FontSize:
                s.chars.halfPoints = value > 0 ? std::min(value, kMaxHalfPoints) : 0;
                return;
            case Word::Fg:
                s.chars.fg = hasValue ? value : -1;
                return;
            case Word::Bg:
                s.chars.bg = hasValue ? value : -1;
                return;
            case Word::Ql:
                s.align = Qt::AlignLeft;
                return;
            case Word::Qc:
                s.align = Qt::AlignHCenter;
                return;
            case Word::Qr:
                s.align = Qt::AlignRight;
                return;
            case Word::Qj:
                s.align = Qt::AlignJustify;
                return;
            case Word::Uc:
                s.uc = std::max(0, value);
                return;
            case Word::U:
                m_skip = 0;  // a character of its own, never the fallback of the one before
                if (hasValue && value >= -32768 && value <= 65535) character(char16_t(value));
                m_skip = s.uc;
                return;
            case Word::Char:
                character(entry.character);
                return;
            default:
                return;
        }
    }

    // Bytes of text in the document's or the font's code page; escaped ones count as
    // one fallback character each, literal ones one per byte.
    void bytes(const char* data, qsizetype size, bool escaped = false) {
        switch (top().dest) {
            case Dest::Skip:
                return;
            case Dest::ColorTable:
                for (qsizetype i = 0; i < size; ++i)
                    if (data[i] == ';') commitColor();
                return;
            case Dest::FontTable:
                for (qsizetype i = 0; i < size; ++i) {
                    if (m_skip > 0)
                        --m_skip;
                    else if (data[i] == ';' && !escaped)
                        commitFont();
                    else if (static_cast<unsigned char>(data[i]) >= 0x20)
                        m_fontName += data[i];
                }
                return;
            case Dest::Body:
                break;
        }
        if (m_skip > 0) {
            const qsizetype dropped = escaped ? 1 : std::min<qsizetype>(m_skip, size);
            m_skip -= int(dropped);
            data += dropped;
            size -= dropped;
            if (size <= 0) return;
        }
        beginText();
        for (qsizetype i = 0; i < size; ++i) {
            const auto b = static_cast<unsigned char>(data[i]);
            if (b >= 0x20 || b == '\t') m_bytes += char(b);
        }
    }

    void character(char16_t c) {
        if (top().dest != Dest::Body || skipped()) return;
        beginText();
        decodeBytes();
        m_text += QChar(c);
    }

    // ---- the document

    // Text is about to be added: a change of character formatting ends the run.
    void beginText() {
        if (!(top().chars == m_run)) {
            flushText();
            m_run = top().chars;
        }
        m_lastAlign = top().align;
    }

    void decodeBytes() {
        if (m_bytes.isEmpty()) return;
        decoderFor(m_run.font).append(m_text, m_bytes.constData(), m_bytes.size());
        m_bytes.clear();
    }

    void flushText() {
        decodeBytes();
        if (m_text.isEmpty()) return;
        sanitize(m_text);
        if (m_text.isEmpty()) return;
        ensureBlock();
        m_cursor.insertText(m_text, charFormat(m_run));
        m_blockHasText = true;
        m_text.clear();
    }

    void ensureBlock() {
        if (!m_needBlock) return;
        m_cursor.insertBlock(m_plainBlock, m_plainChars);
        m_needBlock = false;
        m_blockHasText = false;
    }

    void paragraph() {
        flushText();
        ensureBlock();
        endBlock(top().align, top().chars);
        m_needBlock = true;
    }

    // Blocks begin with plain formats, so only what differs is set.
    void endBlock(Qt::Alignment align, const CharProps& chars) {
        if (align != Qt::AlignLeft || !m_firstBlockDone) {
            QTextBlockFormat format;
            format.setAlignment(align);
            m_cursor.setBlockFormat(format);
        }
        m_firstBlockDone = true;
        if (!m_blockHasText && !(chars == CharProps()))
            m_cursor.setBlockCharFormat(charFormat(chars));
    }

    void finish() {
        flushText();
        if (!m_needBlock) endBlock(m_lastAlign, m_run);
    }

    const QTextCharFormat& charFormat(const CharProps& props) {
        if (m_formatBuilt && props == m_formatProps) return m_format;
        m_formatBuilt = true;
        m_formatProps = props;
        QTextCharFormat& format = m_format = QTextCharFormat();
        if (props.bold) format.setFontWeight(QFont::Bold);
        if (props.italic) format.setFontItalic(true);
        if (props.underline) format.setFontUnderline(true);
        if (props.strike) format.setFontStrikeOut(true);
        // The document's own font is left to the document, so that text in it keeps the
        // edit's exact size (RTF has half-points, the edits may count pixels).
        const auto font = m_fonts.constFind(props.font >= 0 ? props.font : m_defaultFont);
        if (font != m_fonts.constEnd() && !font->name.isEmpty() && font->name != m_defaultFamily)
            format.setFontFamilies({font->name});
        if (props.halfPoints > 0 && props.halfPoints != m_defaultHalfPoints)
            format.setFontPointSize(props.halfPoints / 2.0);
        if (const auto color = colorAt(props.fg, true)) format.setForeground(*color);
        if (const auto color = colorAt(props.bg, false)) format.setBackground(*color);
        return format;
    }

    std::optional<QColor> colorAt(int index, bool zeroIsEntry) const {
        if (index < 0 || (index == 0 && !zeroIsEntry) || index >= int(m_colors.size()))
            return std::nullopt;
        if (!m_colors[index]) return std::nullopt;
        return QColor::fromRgb(*m_colors[index]);
    }

    codepage::Decoder& decoderFor(int fontNumber) {
        int cp = 0;
        const auto font = m_fonts.constFind(fontNumber >= 0 ? fontNumber : m_defaultFont);
        if (font != m_fonts.constEnd()) cp = font->codepage;
        return decoder(cp > 0 ? cp : m_codepage);
    }

    codepage::Decoder& decoder(int cp) {
        cp = codepage::known(cp);
        for (codepage::Decoder& d : m_decoders)
            if (d.codepage() == cp) return d;
        return m_decoders.emplace_back(cp);
    }

    // ---- font and colour tables

    int fontCodepage() const {
        return m_fontCpg > 0 ? m_fontCpg : codepage::forCharset(m_fontCharset);
    }

    void decodeFontName() {
        const int cp = fontCodepage();
        decoder(cp > 0 ? cp : m_codepage)
            .append(m_fontText, m_fontName.constData(), m_fontName.size());
        m_fontName.clear();
    }

    void commitFont() {
        decodeFontName();
        Font font;
        font.codepage = fontCodepage();
        font.name = m_fontText;
        sanitize(font.name);
        font.name = font.name.trimmed();
        if (m_fontNumber >= 0) m_fonts.insert(m_fontNumber, font);
        m_fontText.clear();
        m_fontNumber = -1;
        m_fontCharset = -1;
        m_fontCpg = 0;
    }

    void colorPart(int shift, int value) {
        if (top().dest != Dest::ColorTable) return;
        const QRgb v = QRgb(std::clamp(value, 0, 255));
        m_color = (m_color & ~(QRgb(0xFF) << shift)) | (v << shift);
        m_colorGiven = true;
    }

    void commitColor() {
        if (m_colors.size() < 100000) {
            if (m_colorGiven)
                m_colors.emplace_back(m_color);
            else
                m_colors.emplace_back(std::nullopt);
        }
        m_color = 0;
        m_colorGiven = false;
    }

    const char* m_p;
    const char* const m_end;
    QTextCursor m_cursor;
    std::vector<State> m_stack;
    int m_overflow = 0;
    bool m_done = false;
    int m_skip = 0;

    int m_codepage = 1252;
    int m_defaultFont = 0;
    std::vector<codepage::Decoder> m_decoders;
    QHash<int, Font> m_fonts;
    QByteArray m_fontName;  // bytes of the entry's name not yet decoded
    QString m_fontText;
    int m_fontNumber = -1;
    int m_fontCharset = -1;  // none given
    int m_fontCpg = 0;
    std::vector<std::optional<QRgb>> m_colors;
    QRgb m_color = 0;
    bool m_colorGiven = false;

    const QString m_defaultFamily;
    const int m_defaultHalfPoints;
    const QTextBlockFormat m_plainBlock;
    const QTextCharFormat m_plainChars;
    bool m_firstBlockDone = false;
    bool m_formatBuilt = false;
    CharProps m_formatProps;
    QTextCharFormat m_format;

    CharProps m_run;
    QByteArray m_bytes;
    QString m_text;
    bool m_needBlock = false;
    bool m_blockHasText = false;
    Qt::Alignment m_lastAlign = Qt::AlignLeft;
};

// Where an RTF document begins, or -1 when the bytes hold none.
qsizetype rtfStart(const QByteArray& bytes) {
    qsizetype i = 0;
    if (bytes.startsWith("\xEF\xBB\xBF")) i = 3;
    while (i < bytes.size() &&
           (bytes[i] == ' ' || bytes[i] == '\t' || bytes[i] == '\r' || bytes[i] == '\n'))
        ++i;
    return QByteArrayView(bytes).sliced(i).startsWith("{\\rtf") ? i : -1;
}

QString plainText(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError()) return text;
    text.clear();
    codepage::Decoder(1252).append(text, bytes.constData(), bytes.size());
    return text;
}

}  // namespace

void read(const QByteArray& rtf, QTextDocument* document) {
    const bool undo = document->isUndoRedoEnabled();
    document->setUndoRedoEnabled(false);
    const qsizetype start = rtfStart(rtf);
    if (start < 0) {
        document->setPlainText(plainText(rtf));
    } else {
        Reader(rtf.constData() + start, rtf.constData() + rtf.size(), document).run();
    }
    document->setUndoRedoEnabled(undo);
    document->setModified(false);
}

}  // namespace rtf
