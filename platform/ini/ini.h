#pragma once

#include <QString>
#include <QStringList>

namespace ini {

// A settings file read and written key by key. Opening never fails: a missing file
// reads as a file without keys and is created by the first write. Section and key
// names are compared without case; lines the program does not know are kept. Every
// write reaches the disk at once, through a temporary file that replaces the old one,
// so a failed write never leaves a truncated file.
class IniFile {
public:
    explicit IniFile(const QString& path);

    const QString& path() const { return m_path; }

    bool valueExists(const QString& section, const QString& key) const;
    // The stored text; the default only when the key is absent.
    QString readString(const QString& section, const QString& key, const QString& def) const;
    // The default when the key is absent or its text is not an integer.
    int readInteger(const QString& section, const QString& key, int def) const;
    // "1"/"0" switches (also "True"/"False"); the default for other text.
    bool readBool(const QString& section, const QString& key, bool def) const;
    // A number with '.' as the decimal separator, whatever the locale.
    double readFloat(const QString& section, const QString& key, double def) const;

    // Throw errors::Error when the file cannot be written.
    void writeString(const QString& section, const QString& key, const QString& value);
    void writeInteger(const QString& section, const QString& key, int value);
    void writeBool(const QString& section, const QString& key, bool value);
    void writeFloat(const QString& section, const QString& key, double value);

private:
    int findSection(const QString& section) const;           // line of "[section]", or -1
    int findKey(int sectionLine, const QString& key) const;  // line of the key, or -1
    void save() const;

    QString m_path;
    QStringList m_lines;
};

}  // namespace ini
