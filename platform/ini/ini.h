#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

#include "platform/files/atomic_file.h"

namespace ini {

// A settings file read and written key by key. Opening never fails: a missing file
// reads as a file without keys and is created by the first write; so does a path that is no
// regular file (a folder, a pipe, a device; a link to a regular file is read and written
// through), which is never opened for reading and which writes refuse. Section and key
// names are compared without case. Every write reaches the disk at once, through a temporary
// file that replaces the old one, so a failed write never leaves a truncated file.
//
// The file is read by the program's reading rule (byte-order mark, else UTF-8, else
// Windows-1252). Every line that a write does not change goes back byte for byte, line
// break included. A line that a write changes or adds ends with CR LF and is encoded as the
// file is, so that the file stays in one encoding: UTF-8 (also for a new file), UTF-16 of
// the file's byte order, or Windows-1252; a Windows-1252 file that is to hold a character
// the code page lacks becomes UTF-8 as a whole (every line keeps its text and its break).
class IniFile {
public:
    // A file that holds a secret is written with files::Access::OwnerOnly; a file of the
    // program folder may be a link of the user's to write through (files::Links::Follow).
    explicit IniFile(const QString& path, files::Access access = files::Access::Normal,
                     files::Links links = files::Links::Replace);

    const QString& path() const { return m_path; }

    bool valueExists(const QString& section, const QString& key) const;
    // The stored text; the default only when the key is absent.
    QString readString(const QString& section, const QString& key, const QString& def) const;
    // The default when the key is absent or its text is not an integer.
    int readInteger(const QString& section, const QString& key, int def) const;
    // The same for 64-bit values, such as the database's record IDs.
    qint64 readInt64(const QString& section, const QString& key, qint64 def) const;
    // "1"/"0" switches (also "True"/"False"); the default for other text.
    bool readBool(const QString& section, const QString& key, bool def) const;
    // A number with '.' as the decimal separator, whatever the locale.
    double readFloat(const QString& section, const QString& key, double def) const;

    // Throw errors::Error when the file cannot be written, and without writing anything
    // when the section, the key or the value holds a line break (CR or LF): each setting
    // is one line.
    void writeString(const QString& section, const QString& key, const QString& value);
    void writeInteger(const QString& section, const QString& key, int value);
    void writeInt64(const QString& section, const QString& key, qint64 value);
    void writeBool(const QString& section, const QString& key, bool value);
    void writeFloat(const QString& section, const QString& key, double value);

private:
    enum class Encoding { Utf8, Utf16LE, Utf16BE, Windows1252 };
    struct Line {
        QString text;    // decoded, without its line break
        QString brk;     // "\r\n", "\n", "\r", or "" for a last line without a break
        QByteArray raw;  // the bytes of text and break in the file
    };

    int findSection(const QString& section) const;           // line of "[section]", or -1
    int findKey(int sectionLine, const QString& key) const;  // line of the key, or -1
    // The text after the key's '=', or none when the key is absent.
    std::optional<QString> value(const QString& section, const QString& key) const;
    void read(const QByteArray& bytes);
    QByteArray encode(const QString& text) const;
    Line newLine(const QString& text);
    void save() const;

    QString m_path;
    files::Access m_access;
    files::Links m_links;
    Encoding m_encoding = Encoding::Utf8;
    QByteArray m_bom;  // the byte-order mark the file began with
    QList<Line> m_lines;
};

}  // namespace ini
