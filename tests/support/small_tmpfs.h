#pragma once

#include <QString>

// A small tmpfs of the test's own, for writes on a real full file system. It is mounted in
// a mount namespace private to the calling thread, so no other process sees it and it goes
// when the test program ends, whatever happens; only root may mount, so elsewhere
// mounted() is false and why() says what failed.
class SmallTmpfs {
public:
    explicit SmallTmpfs(const char* size = "3m");
    ~SmallTmpfs();
    SmallTmpfs(const SmallTmpfs&) = delete;
    SmallTmpfs& operator=(const SmallTmpfs&) = delete;

    bool mounted() const { return m_mounted; }
    const QString& why() const { return m_why; }
    // The mount point, with no trailing separator.
    const QString& path() const { return m_path; }

    // Fills the file system to its last byte with the file "filler"; removeFiller() frees it.
    void fill();
    void removeFiller();

private:
    QString m_path;
    QString m_why;
    bool m_mounted = false;
};
