// A backup of a program folder with a 100 MB database, beside Info-ZIP's "zip -r -6" of the
// same files on the same machine, run in turn. Run by hand:
//   cmake -S . -B build -G Ninja -DPIXOLET_BENCH=ON && cmake --build build --target backup_bench
//   build/bench/backup_bench [runs]
// "backup_bench backup FOLDER ZIP" writes one backup and nothing else, to time the program's
// backup as a whole process against the zip command from outside.
// "backup_bench restore [ENTRIES [FOLDER]]" restores an archive of that many small databases
// in the one folder "DB" (10000 unless given) into an empty program folder, and again over
// them, in a new folder below FOLDER (the build's bench-data unless given; a tmpfs such as
// /dev/shm leaves out the disk's flushes).
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <zip.h>

#include "bench/make_bench_db.h"
#include "records/backup_archive.h"

namespace {

// The program folder: the dictionaries of the staged program, small settings and word lists,
// and a database of about 100 MB in "DB".
QString prepareFolder() {
    const QString folder = QStringLiteral(PIXOLET_BENCH_DATA_DIR "/backup-folder/");
    QDir().mkpath(folder + "DB");
    const QString database = bench::cachedBenchDatabase(QStringLiteral(PIXOLET_BENCH_DATA_DIR),
                                                        {.records = 24000, .summaryBytes = 2048});
    const QString copy = folder + "DB/KeywordsDB.db";
    if (QFileInfo(copy).size() != QFileInfo(database).size()) {
        QFile::remove(copy);
        QFile::copy(database, copy);
    }
    for (const char* name : {"en_US.dic", "en_US.aff"})
        if (!QFileInfo::exists(folder + name))
            QFile::copy(QStringLiteral(PIXOLET_PROGRAM_DIR "/") + name, folder + name);
    const struct {
        const char* name;
        const char* text;
    } small[] = {{"SpellIni.ini", "[Database]\r\nFileName=DB\\KeywordsDB.db\r\n"},
                 {"User.dic", ""},
                 {"GettyDict.txt", "colour -> color\n"},
                 {"GettyBlackList.txt", "banned\n"}};
    for (const auto& s : small) {
        QFile f(folder + s.name);
        if (!f.exists() && f.open(QIODevice::WriteOnly)) f.write(s.text);
    }
    return folder;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Restores an archive of many small entries in one folder, into an empty program folder and
// then over the files of the first run.
int benchRestore(int entries, const QString& below) {
    QDir().mkpath(below);
    QTemporaryDir dir(below + QStringLiteral("/restore-XXXXXX"));
    const QString archive = dir.filePath(QStringLiteral("Backup.zip"));
    int code = 0;
    zip_t* z = zip_open(QFile::encodeName(archive).constData(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    if (!z) return 1;
    static const char data[] = "a small database";
    for (int i = 0; i < entries; ++i) {
        const QByteArray name = QStringLiteral("DB/%1.db").arg(i, 5, 10, QLatin1Char('0')).toUtf8();
        zip_source_t* s = zip_source_buffer(z, data, sizeof data - 1, 0);
        if (!s || zip_file_add(z, name.constData(), s, ZIP_FL_ENC_UTF_8) < 0) return 1;
    }
    if (zip_close(z) != 0) return 1;
    const QString folder = dir.filePath(QStringLiteral("Pixolet/"));
    for (const char* round : {"into an empty folder", "over the restored files"}) {
        QElapsedTimer timer;
        timer.start();
        const backup::RestoreResult result = backup::ExtractBackupArchive(archive, folder);
        std::printf("restore of %d entries in one folder, %s: %.0f ms (%d extracted)\n", entries,
                    round, static_cast<double>(timer.nsecsElapsed()) / 1e6, result.extracted);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc == 4 && QByteArray(argv[1]) == "backup") {
        try {
            backup::CreateBackupArchive(QString::fromLocal8Bit(argv[2]) + '/',
                                        QString::fromLocal8Bit(argv[3]));
        } catch (const std::exception& e) {
            std::fprintf(stderr, "%s\n", e.what());
            return 1;
        }
        return 0;
    }
    if (argc >= 2 && QByteArray(argv[1]) == "restore") {
        return benchRestore(
            argc > 2 ? std::atoi(argv[2]) : 10000,
            argc > 3 ? QString::fromLocal8Bit(argv[3]) : QStringLiteral(PIXOLET_BENCH_DATA_DIR));
    }
    const int runs = argc > 1 ? std::atoi(argv[1]) : 5;
    const QString zip = QStandardPaths::findExecutable(QStringLiteral("zip"));
    if (zip.isEmpty()) {
        std::fprintf(stderr, "zip is not installed (apt-get install zip)\n");
        return 1;
    }
    const QString folder = prepareFolder();
    qint64 bytes = 0;
    for (const backup::BackupEntry& e : backup::backupEntries(folder))
        bytes += QFileInfo(e.source).size();
    std::printf("program folder %s: %.1f MB in %zu files\n", qPrintable(folder), bytes / 1e6,
                backup::backupEntries(folder).size());

    const QString ours = QStringLiteral(PIXOLET_BENCH_DATA_DIR "/backup-ours.zip");
    const QString theirs = QStringLiteral(PIXOLET_BENCH_DATA_DIR "/backup-zip.zip");
    std::vector<double> oursMs, theirsMs;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        backup::CreateBackupArchive(folder, ours);
        oursMs.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);

        QFile::remove(theirs);  // zip would otherwise update the archive it finds
        QProcess process;
        process.setWorkingDirectory(folder);
        timer.restart();
        process.start(zip, {"-r", "-6", "-q", theirs, "SpellIni.ini", "en_US.dic", "en_US.aff",
                            "User.dic", "GettyDict.txt", "GettyBlackList.txt", "DB"});
        process.waitForFinished(-1);
        theirsMs.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        if (process.exitCode() != 0) {
            std::fprintf(stderr, "zip failed: %s\n", process.readAllStandardError().constData());
            return 1;
        }
    }
    std::printf("%-22s %10s %10s %12s\n", "", "median ms", "min ms", "archive MB");
    std::printf("%-22s %10.0f %10.0f %12.1f\n", "CreateBackupArchive", median(oursMs),
                *std::min_element(oursMs.begin(), oursMs.end()), QFileInfo(ours).size() / 1e6);
    std::printf("%-22s %10.0f %10.0f %12.1f\n", "zip -r -6", median(theirsMs),
                *std::min_element(theirsMs.begin(), theirsMs.end()),
                QFileInfo(theirs).size() / 1e6);
    return 0;
}
