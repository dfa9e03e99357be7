#pragma once

#include <QString>
#include <memory>

#include "platform/files/atomic_file.h"

struct zip;

// Zip archives over libzip. Entry names are paths with "/" between their parts, as the zip
// format requires, stored in UTF-8 (with the UTF-8 flag wherever a name is not plain ASCII).
// Every error is errors::Error with a message for the user.
namespace zipfile {

// A new archive. It is written into a temporary file beside path and renamed over path only
// when it is complete, so an archive that stood there stays whole when writing fails.
// An archive of files that hold a secret is made readable by its owner only (access).
class Writer {
public:
    explicit Writer(const QString& path, files::Access access = files::Access::Normal);
    ~Writer();  // without a commit nothing changes on disk
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;

    // Adds the file at source under name, compressed with deflate; the file must exist and
    // be readable now, and is read at commit().
    void addFile(const QString& source, const QString& name);
    // Writes the archive and puts it in place.
    void commit();

private:
    QString m_path;
    files::AtomicFile m_file;
    struct zip* m_zip = nullptr;
    int m_entries = 0;
};

enum class EntryKind { File, Folder, Link, Special };

struct Entry {
    QString name;  // as stored
    qint64 size = 0;
    EntryKind kind = EntryKind::File;
};

// An archive opened for reading.
class Reader {
public:
    // Throws when the file is no zip archive or is damaged beyond reading its directory.
    explicit Reader(const QString& path);
    ~Reader();
    Reader(const Reader&) = delete;
    Reader& operator=(const Reader&) = delete;

    qint64 count() const;
    Entry entry(qint64 index) const;

    // Writes the data of entry index to the file target, through a temporary file beside it
    // that replaces target only once the data is whole and checked, with the permissions
    // that access gives; links says whether a link at target is written through. Refuses an entry
    // that states more bytes than the target's disk has free, and one whose data grows beyond what
    // it states (the disk never fills from a lying archive).
    void extract(qint64 index, const QString& target, files::Access access = files::Access::Normal,
                 files::Links links = files::Links::Replace) const;

private:
    QString m_path;
    struct zip* m_zip = nullptr;
};

// The path below a folder that an entry name stands for, with "/" between its parts: "\"
// counts as "/", empty and "." parts drop out. Empty when the name leads nowhere or would
// leave the folder: a ".." part, a leading separator, a drive letter ("C:").
QString relativePath(const QString& name);

}  // namespace zipfile
