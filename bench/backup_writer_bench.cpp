// How often a backup taken while another process writes the database holds a damaged copy
// of it. A child process changes records in a loop (each change one transaction) while the
// parent writes backups of the program folder one after another; the database of each
// archive is extracted and checked with "PRAGMA quick_check". Run by hand:
//   cmake -S . -B build -G Ninja -DPIXOLET_BENCH=ON
//   cmake --build build --target backup_writer_bench
//   build/bench/backup_writer_bench [runs] [delete|wal]
// The journal mode is the database's: "delete" (the program's own) or "wal" (another program
// may have switched the file to it).
#include <signal.h>
#include <sqlite3.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "bench/make_bench_db.h"
#include "platform/errors/errors.h"
#include "platform/zip/zip.h"
#include "records/backup_archive.h"

namespace {

const char* const kEntry = "DB/KeywordsDB.db";

bool exec(sqlite3* db, const char* statement) {
    return sqlite3_exec(db, statement, nullptr, nullptr, nullptr) == SQLITE_OK;
}

// The child: rewrites the summaries of a fiftieth of the records and adds one, again and
// again, until it is stopped.
[[noreturn]] void writeForever(const QByteArray& database) {
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    sqlite3* db = nullptr;
    if (sqlite3_open(database.constData(), &db) != SQLITE_OK) ::_exit(2);
    sqlite3_busy_timeout(db, 5000);
    for (long round = 0;; ++round) {
        char statement[512];
        std::snprintf(statement, sizeof statement,
                      "BEGIN; UPDATE tblTags SET AllKeys = randomblob(500 + abs(random()) %% "
                      "4000) WHERE ID %% 50 = %ld; INSERT INTO tblTags (\"Group\", Title, Keys, "
                      "AllKeys) VALUES ('Bench', 'Written', 'x', randomblob(3000)); COMMIT;",
                      round % 50);
        if (!exec(db, statement)) exec(db, "ROLLBACK");
    }
}

// Whether the database in archive passes quick_check; the reason when it does not.
QString checkArchivedDatabase(const QString& archive, const QString& scratch) {
    const zipfile::Reader reader(archive);
    for (qint64 i = 0; i < reader.count(); ++i) {
        if (reader.entry(i).name != QLatin1String(kEntry)) continue;
        const QString target = scratch + "/checked.db";
        QFile::remove(target);
        reader.extract(i, target);
        sqlite3* db = nullptr;
        QString verdict = QStringLiteral("cannot open");
        if (sqlite3_open_v2(QFile::encodeName(target).constData(), &db, SQLITE_OPEN_READONLY,
                            nullptr) == SQLITE_OK) {
            sqlite3_stmt* stmt = nullptr;
            if (sqlite3_prepare_v2(db, "PRAGMA quick_check", -1, &stmt, nullptr) != SQLITE_OK) {
                verdict = QString::fromUtf8(sqlite3_errmsg(db));
            } else {
                const int rc = sqlite3_step(stmt);
                verdict = rc == SQLITE_ROW ? QString::fromUtf8(reinterpret_cast<const char*>(
                                                 sqlite3_column_text(stmt, 0)))
                                           : QString::fromUtf8(sqlite3_errmsg(db));
            }
            sqlite3_finalize(stmt);
        }
        sqlite3_close(db);
        QFile::remove(target);
        return verdict == QLatin1String("ok") ? QString() : verdict.section('\n', 0, 0);
    }
    return QStringLiteral("no entry %1").arg(QLatin1String(kEntry));
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    const QByteArray mode = argc > 2 ? QByteArray(argv[2]) : QByteArray("delete");
    if (mode != "delete" && mode != "wal") {
        std::fprintf(stderr, "journal mode: delete or wal\n");
        return 1;
    }

    // The program folder: a database of about 25 MB in "DB" and the settings file.
    const QString folder = QStringLiteral(PIXOLET_BENCH_DATA_DIR "/backup-writer/");
    QDir(folder).removeRecursively();
    QDir().mkpath(folder + "DB");
    const QString database = folder + kEntry;
    QFile::copy(bench::cachedBenchDatabase(QStringLiteral(PIXOLET_BENCH_DATA_DIR),
                                           {.records = 6000, .summaryBytes = 2048}),
                database);
    QFile settings(folder + "SpellIni.ini");
    if (!settings.open(QIODevice::WriteOnly)) return 1;
    settings.write("[Database]\r\nFileName=DB\\KeywordsDB.db\r\n");
    settings.close();
    {
        sqlite3* db = nullptr;
        sqlite3_open(QFile::encodeName(database).constData(), &db);
        exec(db, mode == "wal" ? "PRAGMA journal_mode = WAL" : "PRAGMA journal_mode = DELETE");
        sqlite3_close(db);
    }

    const pid_t writer = ::fork();
    if (writer < 0) return 1;
    if (writer == 0) writeForever(QFile::encodeName(database));

    QCoreApplication app(argc, argv);
    ::usleep(300 * 1000);  // the writer is under way
    QTemporaryDir scratch;
    int damaged = 0, notMade = 0;
    std::vector<double> ms;
    QStringList reasons;
    for (int run = 0; run < runs; ++run) {
        const QString archive = scratch.path() + "/Backup.zip";
        QElapsedTimer timer;
        timer.start();
        try {
            backup::CreateBackupArchive(folder, archive);
        } catch (const errors::Error& e) {
            ++notMade;
            reasons << QStringLiteral("not made: ") + e.message();
            continue;
        }
        ms.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        const QString verdict = checkArchivedDatabase(archive, scratch.path());
        if (!verdict.isEmpty()) {
            ++damaged;
            reasons << QStringLiteral("damaged: ") + verdict;
        }
    }
    ::kill(writer, SIGTERM);
    ::waitpid(writer, nullptr, 0);

    std::sort(ms.begin(), ms.end());
    std::printf(
        "journal mode %s, %d backups during writes: %d damaged copies, %d not made, "
        "%d whole",
        mode.constData(), runs, damaged, notMade, runs - damaged - notMade);
    if (!ms.empty()) std::printf(", median %.0f ms a backup", ms[ms.size() / 2]);
    std::printf("\n");
    reasons.removeDuplicates();
    for (const QString& reason : reasons) std::printf("  %s\n", qPrintable(reason));
    return 0;
}
