#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <optional>

namespace files {

enum class Access {
    Normal,     // the permissions a new file gets from the user's umask
    OwnerOnly,  // readable and writable by its owner only (files that hold a secret)
};

// What a write does with a symbolic link in place of its file.
enum class Links {
    // The link itself is replaced by the new file; what it leads to stays untouched. For
    // every folder that others may have put files into: the temporary folder, a folder of
    // pictures received from elsewhere, a place chosen in a file dialog.
    Replace,
    // The link is written through: the file it leads to is replaced and the link stays. Only
    // for the files of the program folder, where a link is the user's own arrangement (the
    // settings or the databases kept on another disk).
    Follow,
};

// A file replaced whole, all or nothing: the bytes go into a temporary file beside it
// (".<name>.pixolet-tmp-XXXXXX", a name no file of the user's has), every write, the flush
// to disk and the close are checked, and only commit() renames the temporary file over the
// old one. On any failure, and when the object goes without a commit, the temporary file is
// removed and the old file stays whole; errors are errors::Error with the path and the
// system's message ("Unable to write to ..."). The first write into a folder in a run removes
// the temporary files that interrupted writes of earlier runs left there, and nothing else.
//
// A path that is (or, with Links::Follow, leads to) a folder, a device, a pipe or anything
// else but a regular file is refused; with Links::Replace a link, wherever it leads, is
// replaced.
class AtomicFile {
public:
    explicit AtomicFile(const QString& path, Access access = Access::Normal,
                        Links links = Links::Replace);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // The temporary file, for a library that writes a file by its name; it may also replace
    // the file whole by a rename of its own.
    const QString& temporaryPath() const { return m_temporary; }

    void write(const char* data, qsizetype size);
    void write(const QByteArray& data) { write(data.constData(), data.size()); }

    // Flushes the temporary file to disk, gives it the permissions of the file it replaces
    // (or of a new file), and renames it over the target.
    void commit();

private:
    [[noreturn]] void fail(int error) const;

    QString m_path;       // as the caller named it, for messages
    QString m_target;     // the file that is replaced
    QString m_temporary;  // beside the target
    Access m_access;
    int m_fd = -1;
    bool m_committed = false;
};

// Replaces the file at path with data through an AtomicFile.
void writeAtomically(const QString& path, const QByteArray& data, Access access = Access::Normal,
                     Links links = Links::Replace);

// Whether a file name is one of the temporary files that AtomicFile makes (".", a file name,
// ".pixolet-tmp-" and six letters or digits), or one that a library writing by name makes
// beside it (a dot and six more letters or digits).
bool isTemporaryName(const QString& name);

// Makes sure folder is a folder of the user's own: created readable by its owner only when it
// is missing, closed to others when it is open to them. Throws errors::Error ("Unable to use
// the folder ...: it is a symbolic link", "... it is not a folder", "... it belongs to
// another user", or the system's message) when it cannot be made one, for a folder in a place
// that others can write to, where someone else may have put a folder or a link first.
void ensurePrivateFolder(const QString& folder);

// Whether folder exists and is the user's own folder (not a link, not another user's).
bool isOwnFolder(const QString& folder);

// Opens path for reading into file when it is a regular file or a symbolic link to one. A
// device or a pipe is never waited on or read without end: the file is opened without
// blocking and its kind asked of the open descriptor, so nothing can be swapped in between.
// Otherwise false, with why (when given) the system's message, "Is a directory" or "Not a
// regular file".
bool openRegularFile(QFile& file, const QString& path, QString* why = nullptr);

// The content of path when it is a regular file or a symbolic link to one; nothing for a
// missing file, a folder, a device, a pipe (see openRegularFile) or a file that cannot be
// read.
std::optional<QByteArray> readRegularFile(const QString& path);

// The whole content of a regular file (see openRegularFile), read at once; throws
// errors::Error ("Cannot open file ..." or "Cannot read file ...", with the path and the
// reason) when it cannot.
QByteArray readWholeFile(const QString& path);

}  // namespace files
