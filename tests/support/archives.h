#pragma once

// Files and zip archives for the backup tests, made and read without the program's own code.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <zip.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <optional>
#include <vector>

#include "tests/support/file_bytes.h"

// Every file below folder, as "/"-separated paths relative to it, sorted.
inline QStringList filesBelow(const QString& folder) {
    QStringList found;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) found << QDir(folder).relativeFilePath(it.next());
    found.sort();
    return found;
}

// Entry names in archive order, by libzip itself.
inline QStringList entryNames(const QString& archive) {
    int code = 0;
    zip_t* z = zip_open(QFile::encodeName(archive).constData(), ZIP_RDONLY, &code);
    if (!z) return {QStringLiteral("<no archive: %1>").arg(code)};
    QStringList names;
    for (zip_int64_t i = 0; i < zip_get_num_entries(z, 0); ++i)
        names << QString::fromUtf8(zip_get_name(z, static_cast<zip_uint64_t>(i), 0));
    zip_discard(z);
    return names;
}

// The data of the entry of that name, by libzip itself; "<no entry>" when there is none.
inline QByteArray entryData(const QString& archive, const QString& name) {
    int code = 0;
    zip_t* z = zip_open(QFile::encodeName(archive).constData(), ZIP_RDONLY, &code);
    if (!z) return "<no archive>";
    QByteArray data("<no entry>");
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat(z, name.toUtf8().constData(), 0, &st) == 0) {
        if (zip_file_t* f = zip_fopen(z, name.toUtf8().constData(), 0)) {
            data = QByteArray(static_cast<qsizetype>(st.size), Qt::Uninitialized);
            if (zip_fread(f, data.data(), st.size) != static_cast<zip_int64_t>(st.size))
                data = "<unreadable>";
            zip_fclose(f);
        }
    }
    zip_discard(z);
    return data;
}

// Entry names in archive order as Info-ZIP's unzip lists them, or else Python's zipfile;
// nothing when neither is installed.
inline std::optional<QStringList> entryNamesByOtherTool(const QString& archive) {
    QProcess p;
    if (const QString unzip = QStandardPaths::findExecutable("unzip"); !unzip.isEmpty())
        p.start(unzip, {"-Z1", archive});
    else if (const QString python = QStandardPaths::findExecutable("python3"); !python.isEmpty())
        p.start(python, {"-c",
                         "import sys, zipfile\n"
                         "for n in zipfile.ZipFile(sys.argv[1]).namelist():\n"
                         "    sys.stdout.buffer.write((n + '\\n').encode('utf-8'))\n",
                         archive});
    else
        return std::nullopt;
    if (!p.waitForFinished() || p.exitCode() != 0)
        return QStringList{"<failed: " + QString::fromLocal8Bit(p.readAllStandardError()) + ">"};
    return QString::fromUtf8(p.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
}

// An archive as another tool writes it: raw names, optional Unix modes.
struct RawEntry {
    QByteArray name;
    QByteArray data;
    mode_t mode = 0;  // 0: no Unix attributes
};

inline void writeRawArchive(const QString& path, const std::vector<RawEntry>& entries) {
    int code = 0;
    zip_t* z = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    ASSERT_NE(z, nullptr);
    for (const RawEntry& e : entries) {
        zip_source_t* s = zip_source_buffer(z, e.data.constData(), e.data.size(), 0);
        ASSERT_NE(s, nullptr);
        const zip_int64_t i = zip_file_add(z, e.name.constData(), s, ZIP_FL_ENC_RAW);
        ASSERT_GE(i, 0) << zip_strerror(z);
        if (e.mode) {
            ASSERT_EQ(zip_file_set_external_attributes(z, static_cast<zip_uint64_t>(i), 0,
                                                       ZIP_OPSYS_UNIX, e.mode << 16),
                      0);
        }
    }
    ASSERT_EQ(zip_close(z), 0) << zip_strerror(z);
}
