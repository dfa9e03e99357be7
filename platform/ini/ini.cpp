#include "platform/ini/ini.h"

#include <QFile>

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

}  // namespace

IniFile::IniFile(const QString& path) : m_path(path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return;
    QString content = text::decodeFile(file.readAll());
    content.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    content.replace(QLatin1Char(0x0D), QLatin1Char(0x0A));
    m_lines = content.split('\n');
    if (!m_lines.isEmpty() && m_lines.last().isEmpty()) m_lines.removeLast();
}

int IniFile::findSection(const QString& section) const {
    QString name;
    for (int i = 0; i < m_lines.size(); ++i)
        if (isSectionLine(m_lines[i], &name) && name.compare(section, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

int IniFile::findKey(int sectionLine, const QString& key) const {
    if (sectionLine < 0) return -1;
    for (int i = sectionLine + 1; i < m_lines.size() && !isSectionLine(m_lines[i]); ++i)
        if (keyOf(m_lines[i]).compare(key, Qt::CaseInsensitive) == 0 && !keyOf(m_lines[i]).isNull())
            return i;
    return -1;
}

bool IniFile::valueExists(const QString& section, const QString& key) const {
    return findKey(findSection(section), key) >= 0;
}

QString IniFile::readString(const QString& section, const QString& key, const QString& def) const {
    const int line = findKey(findSection(section), key);
    if (line < 0) return def;
    const QString& text = m_lines[line];
    return text.mid(text.indexOf('=') + 1);
}

int IniFile::readInteger(const QString& section, const QString& key, int def) const {
    if (!valueExists(section, key)) return def;
    try {
        return text::strToInt(readString(section, key, QString()));
    } catch (const errors::ConvertError&) {
        return def;
    }
}

bool IniFile::readBool(const QString& section, const QString& key, bool def) const {
    if (!valueExists(section, key)) return def;
    const QString text = readString(section, key, QString()).trimmed();
    if (text == QLatin1String("1") || text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
        return true;
    if (text == QLatin1String("0") ||
        text.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
        return false;
    return def;
}

double IniFile::readFloat(const QString& section, const QString& key, double def) const {
    if (!valueExists(section, key)) return def;
    bool ok = false;
    const double value = readString(section, key, QString()).trimmed().toDouble(&ok);
    return ok ? value : def;
}

void IniFile::writeString(const QString& section, const QString& key, const QString& value) {
    const QString line = key + '=' + value;
    int sectionLine = findSection(section);
    if (sectionLine < 0) {
        m_lines << ('[' + section + ']') << line;
    } else {
        const int keyLine = findKey(sectionLine, key);
        if (keyLine >= 0) {
            m_lines[keyLine] = keyOf(m_lines[keyLine]) + '=' + value;
        } else {
            // After the section's last setting, before any blank lines that close it.
            int end = sectionLine + 1;
            while (end < m_lines.size() && !isSectionLine(m_lines[end])) ++end;
            int insertAt = end;
            while (insertAt > sectionLine + 1 && m_lines[insertAt - 1].trimmed().isEmpty())
                --insertAt;
            m_lines.insert(insertAt, line);
        }
    }
    save();
}

void IniFile::writeInteger(const QString& section, const QString& key, int value) {
    writeString(section, key, QString::number(value));
}

void IniFile::writeBool(const QString& section, const QString& key, bool value) {
    writeString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void IniFile::writeFloat(const QString& section, const QString& key, double value) {
    writeString(section, key, QString::number(value, 'g', 15));
}

void IniFile::save() const {
    QByteArray bytes;
    for (const QString& line : m_lines) bytes += line.toUtf8() + "\r\n";
    files::writeAtomically(m_path, bytes);
}

}  // namespace ini
