#include "tests/support/program_fixture.h"

#include <sqlite3.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTest>
#include <QWidget>
#include <algorithm>

#include "app/form1.h"
#include "app/program.h"
#include "platform/appfolder/appfolder.h"
#include "records/schema.h"
#include "tests/support/file_bytes.h"

QString sourceDir() {
    return QStringLiteral(PIXOLET_SOURCE_DIR);
}
QString stagedProgramDir() {
    return QStringLiteral(PIXOLET_PROGRAM_DIR);
}

void useTestRuntimeFolder() {
    if (qEnvironmentVariableIsSet("XDG_RUNTIME_DIR")) return;
    const QByteArray runtime = QDir::tempPath().toUtf8() + "/pixolet-tests-runtime";
    QDir().mkpath(QString::fromUtf8(runtime));
    QFile::setPermissions(QString::fromUtf8(runtime),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", runtime);
}

namespace {

// The widget of that name in window, as findChild looks (children first, then their
// children), but not inside the other windows that window owns.
QWidget* findInWindow(const QObject* parent, const QString& name) {
    const auto ownWindow = [](const QObject* child) {
        const auto* widget = qobject_cast<const QWidget*>(child);
        return widget && widget->isWindow();
    };
    for (QObject* child : parent->children())
        if (!ownWindow(child) && child->objectName() == name)
            if (auto* widget = qobject_cast<QWidget*>(child)) return widget;
    for (QObject* child : parent->children())
        if (!ownWindow(child))
            if (QWidget* found = findInWindow(child, name)) return found;
    return nullptr;
}

}  // namespace

QWidget* findControl(const char* name) {
    const QString wanted = QLatin1String(name);
    // Windows share some control names (the tagger's "AddBtn", "Label7", the "btnHelp" and
    // "cxButton4" of several windows, ...): the controls of a modal window in front are found
    // first, then the main window's, then those of the other windows on the screen.
    QWidgetList tops = QApplication::topLevelWidgets();
    QWidget* modal = QApplication::activeModalWidget();
    std::stable_partition(tops.begin(), tops.end(), [](QWidget* top) { return top->isVisible(); });
    std::stable_partition(tops.begin(), tops.end(), [](QWidget* top) { return top == Form1; });
    std::stable_partition(tops.begin(), tops.end(), [modal](QWidget* top) { return top == modal; });
    for (QWidget* top : tops) {
        if (top->objectName() == wanted) return top;
        if (QWidget* w = findInWindow(top, wanted)) return w;
    }
    return nullptr;
}

void ProgramFixture::SetUp() {
    m_dir = std::make_unique<QTemporaryDir>();
    ASSERT_TRUE(m_dir->isValid());
    appfolder::setProgramFolderForTests(m_dir->path());
    for (const char* name : {"en_US.dic", "en_US.aff", "User.dic"})
        QFile::copy(stagedProgramDir() + '/' + QLatin1String(name), path(QLatin1String(name)));
    dialogs::install(&dialogs);
    shell::install(&shell);
}

void ProgramFixture::TearDown() {
    // A modal left open by a failing test is closed so the next test starts clean.
    while (QWidget* modal = QApplication::activeModalWidget()) modal->close();
    if (m_started) endProgram();
    dialogs::install(nullptr);
    shell::install(nullptr);
    appfolder::setProgramFolderForTests({});
    m_dir.reset();
}

QString ProgramFixture::folder() const {
    return m_dir->path() + '/';
}
QString ProgramFixture::path(const QString& relative) const {
    return folder() + relative;
}

void ProgramFixture::startProgram() {
    CreateForms();
    m_started = true;
    Form1->show();
    QApplication::processEvents();
}

void ProgramFixture::startOnCreateCard() {
    makeDatabase(QStringLiteral("DB/KeywordsDB.db"));
    startProgram();
    Form1->showCreateCard();
    Form1->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Form1));
}

bool ProgramFixture::closeProgram() {
    const bool closed = Form1->close();
    QApplication::processEvents();
    return closed;
}

void ProgramFixture::endProgram() {
    DestroyForms();
    m_started = false;
    QApplication::processEvents();
}

void ProgramFixture::writeSettings(const QString& text) {
    writeFile(path(QStringLiteral("SpellIni.ini")), text.toUtf8());
}

QString ProgramFixture::readSettings() const {
    return QString::fromUtf8(readAll(folder() + QStringLiteral("SpellIni.ini")));
}

QString ProgramFixture::makeDatabase(const QString& relativePath,
                                     const std::vector<TestRecord>& records) {
    const QString file = QDir(folder()).absoluteFilePath(relativePath);
    QDir().mkpath(QFileInfo(file).absolutePath());
    sqlite3* db = nullptr;
    EXPECT_EQ(sqlite3_open(file.toUtf8().constData(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, schema::kCreateTable.data(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(
        db,
        "INSERT INTO tblTags (\"Group\", Title, Keys, Datum, AllKeys) VALUES (?, ?, ?, "
        "'2026-01-01', ?)",
        -1, &stmt, nullptr);
    for (const TestRecord& r : records) {
        const QByteArray g = r.group.toUtf8(), t = r.title.toUtf8(), k = r.keys.toUtf8();
        sqlite3_bind_text(stmt, 1, g.constData(), g.size(), SQLITE_TRANSIENT);
        sqlite3_bind_text(stmt, 2, t.constData(), t.size(), SQLITE_TRANSIENT);
        sqlite3_bind_text(stmt, 3, k.constData(), k.size(), SQLITE_TRANSIENT);
        sqlite3_bind_blob(stmt, 4, r.allKeys.constData(), r.allKeys.size(), SQLITE_TRANSIENT);
        EXPECT_EQ(sqlite3_step(stmt), SQLITE_DONE);
        sqlite3_reset(stmt);
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return file;
}

QStringList ProgramFixture::queryFile(const QString& file, const QString& statement) {
    QStringList out;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(file.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) !=
        SQLITE_OK) {
        sqlite3_close(db);
        return out;
    }
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, statement.toUtf8().constData(), -1, &stmt, nullptr) == SQLITE_OK) {
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            const unsigned char* text = sqlite3_column_text(stmt, 0);
            out << (text ? QString::fromUtf8(reinterpret_cast<const char*>(text)) : QString());
        }
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return out;
}

void ProgramFixture::executeFile(const QString& file, const QString& statement) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file.toUtf8().constData(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, statement.toUtf8().constData(), nullptr, nullptr, nullptr),
              SQLITE_OK)
        << sqlite3_errmsg(db);
    sqlite3_close(db);
}

HeldLock::HeldLock(const QString& file) {
    EXPECT_EQ(sqlite3_open(file.toUtf8().constData(), &m_db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(m_db, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
}

HeldLock::~HeldLock() {
    sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(m_db);
}
