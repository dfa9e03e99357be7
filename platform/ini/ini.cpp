#include "platform/ini/ini.h"

#include <QDir>
#include <QStringDecoder>
#include <QStringEncoder>
#include <optional>

#include "platform/errors/errors.h"
#include "platform/files/atomic_file.h"
#include "platform/text/text.h"

namespace ini {
namespace {

bool isSectionLine(const QString& line, QString* name = nullptr) {
    const QString t = line.trimmed();
    if (t.size() < 2 || !t.startsWith('[')) return false;
    const int close = t.indexOf(']');
    if (close < 0) return false;
    if (name) *name = t.mid(1, close - 1).trimmed();
    return true;
}

// The key of a "key=value" line, or a null string for other lines.
QString keyOf(const QString& line) {
    const int eq = line.indexOf('=');
    if (eq < 0) return {};
    const QString t = line.left(eq).trimmed();
    if (t.startsWith(';') || t.startsWith('#')) return {};
    return t;
}

// Each setting stands on one line: a line break in a value (or a name) would end the setting
// there and make the rest lines of their own, sections and keys the program never wrote.
bool holdsLineBreak(const QString& text) {
    return text.contains(u'\r') || text.contains(u'\n');
}

}  // namespace

IniFile::IniFile(const QString& path, files::Access access, files::Links links)
    : m_path(path), m_access(access), m_links(links) {
    if (const std::optional<QByteArray> bytes = files::readRegularFile(path)) read(*bytes);
}

// The encoding by the program's reading rule (text::decodeFile); the lines split at CR LF,
// LF or a lone CR, each kept with its own bytes.
void IniFile::read(const QByteArray& bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        m_bom = bytes.left(3);
    } else if (bytes.startsWith("\xFF\xFE")) {
        m_bom = bytes.left(2);
        m_encoding = Encoding::Utf16LE;
    } else if (bytes.startsWith("\xFE\xFF")) {
        m_bom = bytes.left(2);
        m_encoding = Encoding::Utf16BE;
    } else {
        QStringDecoder utf8(QStringDecoder::Utf8);
        const QString decoded = utf8.decode(bytes);  // decoding tells whether it is UTF-8
        if (utf8.hasError()) m_encoding = Encoding::Windows1252;
    }
    const QByteArray body = bytes.mid(m_bom.size());
    const bool wide = m_encoding == Encoding::Utf16LE || m_encoding == Encoding::Utf16BE;
    const qsizetype unit = wide ? 2 : 1;
    const auto unitAt = [&](qsizetype i) -> char16_t {
        if (!wide) return static_cast<unsigned char>(body[i]);
        const auto a = static_cast<unsigned char>(body[i]);
        const auto b = static_cast<unsigned char>(body[i + 1]);
        return m_encoding == Encoding::Utf16LE ? char16_t(a | b << 8) : char16_t(a << 8 | b);
    };
    const auto decode = [&](const QByteArray& raw) -> QString {
        switch (m_encoding) {
            case Encoding::Utf8:
                return QString::fromUtf8(raw);
            case Encoding::Windows1252:
                return text::fromWindows1252(raw);
            case Encoding::Utf16LE:
            case Encoding::Utf16BE:
                break;
        }
        return QStringDecoder(m_encoding == Encoding::Utf16LE ? QStringDecoder::Utf16LE
                                                              : QStringDecoder::Utf16BE,
                              QStringDecoder::Flag::ConvertInitialBom)
            .decode(raw);
    };

    const qsizetype whole = body.size() - body.size() % unit;  // an odd last byte of UTF-16
    qsizetype start = 0;
    for (qsizetype i = 0; i < whole;) {
        const char16_t c = unitAt(i);
        if (c != u'\n' && c != u'\r') {
            i += unit;
            continue;
        }
        const qsizetype textEnd = i;
        i += unit;
        QString brk = c == u'\n' ? QStringLiteral("\n") : QStringLiteral("\r");
        if (c == u'\r' && i < whole && unitAt(i) == u'\n') {
            brk = QStringLiteral("\r\n");
            i += unit;
        }
        m_lines.append({decode(body.mid(start, textEnd - start)), brk, body.mid(start, i - start)});
        start = i;
    }
    if (start < body.size()) m_lines.append({decode(body.mid(start)), QString(), body.mid(start)});
}

QByteArray IniFile::encode(const QString& text) const {
    switch (m_encoding) {
        case Encoding::Utf8:
            return text.toUtf8();
        case Encoding::Windows1252:
            return text::toWindows1252(text);
        case Encoding::Utf16LE:
            return QStringEncoder(QStringEncoder::Utf16LE).encode(text);
        case Encoding::Utf16BE:
            break;
    }
    return QStringEncoder(QStringEncoder::Utf16BE).encode(text);
}

// A line the program writes: CR LF, in the file's encoding. A character that Windows-1252
// cannot hold turns the file into UTF-8 rather than lose it.
IniFile::Line IniFile::newLine(const QString& text) {
    if (m_encoding == Encoding::Windows1252 &&
        text::fromWindows1252(text::toWindows1252(text)) != text) {
        m_encoding = Encoding::Utf8;
        for (Line& line : m_lines) line.raw = encode(line.text + line.brk);
    }
    const QString brk = QStringLiteral("\r\n");
    return {text, brk, encode(text + brk)};
}

int IniFile::findSection(const QString& section) const {
    QString name;
    for (int i = 0; i < m_lines.size(); ++i)
        if (isSectionLine(m_lines[i].text, &name) &&
            name.compare(section, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

int IniFile::findKey(int sectionLine, const QString& key) const {
    if (sectionLine < 0) return -1;
    for (int i = sectionLine + 1; i < m_lines.size() && !isSectionLine(m_lines[i].text); ++i) {
        const QString name = keyOf(m_lines[i].text);
        if (!name.isNull() && name.compare(key, Qt::CaseInsensitive) == 0) return i;
    }
    return -1;
}

bool IniFile::valueExists(const QString& section, const QString& key) const {
    return findKey(findSection(section), key) >= 0;
}

std::optional<QString> IniFile::value(const QString& section, const QString& key) const {
    const int line = findKey(findSection(section), key);
    if (line < 0) return std::nullopt;
    const QString& text = m_lines[line].text;
    return text.mid(text.indexOf('=') + 1);
}

QString IniFile::readString(const QString& section, const QString& key, const QString& def) const {
    return value(section, key).value_or(def);
}

int IniFile::readInteger(const QString& section, const QString& key, int def) const {
    const std::optional<QString> stored = value(section, key);
    if (!stored) return def;
    try {
        return text::strToInt(*stored);
    } catch (const errors::ConvertError&) {
        return def;
    }
}

qint64 IniFile::readInt64(const QString& section, const QString& key, qint64 def) const {
    const std::optional<QString> stored = value(section, key);
    if (!stored) return def;
    try {
        return text::strToInt64(*stored);
    } catch (const errors::ConvertError&) {
        return def;
    }
}

bool IniFile::readBool(const QString& section, const QString& key, bool def) const {
    const std::optional<QString> stored = value(section, key);
    if (!stored) return def;
    const QString text = stored->trimmed();
    if (text == QLatin1String("1") || text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
        return true;
    if (text == QLatin1String("0") ||
        text.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
        return false;
    return def;
}

double IniFile::readFloat(const QString& section, const QString& key, double def) const {
    const std::optional<QString> stored = value(section, key);
    if (!stored) return def;
    bool ok = false;
    const double number = stored->trimmed().toDouble(&ok);
    return ok ? number : def;
}

void IniFile::writeString(const QString& section, const QString& key, const QString& value) {
    if (holdsLineBreak(section) || holdsLineBreak(key) || holdsLineBreak(value))
        throw errors::Error(QStringLiteral("The setting \"%1\" of section \"%2\" cannot be "
                                           "written to %3: it holds a line break, and each "
                                           "setting must stay on one line.")
                                .arg(key, section, QDir::toNativeSeparators(m_path)));
    const QString line = key + '=' + value;
    int sectionLine = findSection(section);
    if (sectionLine < 0) {
        m_lines << newLine('[' + section + ']');
        m_lines << newLine(line);
    } else {
        const int keyLine = findKey(sectionLine, key);
        if (keyLine >= 0) {
            // A line that keeps its text keeps its bytes.
            const QString text = keyOf(m_lines[keyLine].text) + '=' + value;
            if (text != m_lines[keyLine].text) m_lines[keyLine] = newLine(text);
        } else {
            // After the section's last setting, before any blank lines that close it.
            int end = sectionLine + 1;
            while (end < m_lines.size() && !isSectionLine(m_lines[end].text)) ++end;
            int insertAt = end;
            while (insertAt > sectionLine + 1 && m_lines[insertAt - 1].text.trimmed().isEmpty())
                --insertAt;
            m_lines.insert(insertAt, newLine(line));
        }
    }
    save();
}

void IniFile::writeInteger(const QString& section, const QString& key, int value) {
    writeString(section, key, QString::number(value));
}

void IniFile::writeInt64(const QString& section, const QString& key, qint64 value) {
    writeString(section, key, QString::number(value));
}

void IniFile::writeBool(const QString& section, const QString& key, bool value) {
    writeString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void IniFile::writeFloat(const QString& section, const QString& key, double value) {
    writeString(section, key, QString::number(value, 'g', 15));
}

void IniFile::save() const {
    QByteArray bytes = m_bom;
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        bytes += m_lines[i].raw;
        // A last line without a break that lines were added after gets one.
        if (m_lines[i].brk.isEmpty() && i + 1 < m_lines.size())
            bytes += encode(QStringLiteral("\r\n"));
    }
    files::writeAtomically(m_path, bytes, m_access, m_links);
}

}  // namespace ini
