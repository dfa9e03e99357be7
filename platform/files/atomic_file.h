#pragma once

#include <QByteArray>
#include <QString>

namespace files {

enum class Access {
    Normal,     // the permissions a new file gets from the user's umask
    OwnerOnly,  // readable and writable by its owner only (files that hold a secret)
};

// Replaces the file at path with data, all or nothing: the bytes go into a temporary file
// beside it ("<name>.XXXXXX"), every write, the flush to disk and the close are checked,
// and only then is the temporary file renamed over the old one. On any failure the
// temporary file is removed, the old file stays whole and errors::Error is thrown with
// the path and the system's message. Stale temporary files that an interrupted earlier
// write of the same file left behind are removed first.
void writeAtomically(const QString& path, const QByteArray& data, Access access = Access::Normal);

// Whether name is one of the temporary files that writeAtomically makes for target
// (the target's file name, a dot and six letters or digits).
bool isTemporaryOf(const QString& target, const QString& name);

}  // namespace files
