#pragma once

// Files the tests write and read back, whole, without the program's own code.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>

// The file's bytes; empty when it cannot be read.
inline QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The file's bytes, or "<none>" when it cannot be read, so that a missing file and an empty
// one differ.
inline QByteArray readOrNone(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<none>");
}

// Writes bytes as the whole file, making its folder first; the test fails when it cannot.
inline void writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    ASSERT_EQ(f.write(bytes), bytes.size()) << path.toStdString();
}

// The same, for a file written a day ago: what an interrupted run left behind long since.
inline void writeOldFile(const QString& path, const QByteArray& bytes) {
    writeFile(path, bytes);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite)) << path.toStdString();
    ASSERT_TRUE(
        f.setFileTime(QDateTime::currentDateTime().addDays(-1), QFileDevice::FileModificationTime));
}
