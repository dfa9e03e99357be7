#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <optional>

#include "records/main_state.h"
#include "records/settings_file.h"

// The main window's settings in the settings file (records/settings_file.h).
namespace settings {

// The text limits as the file stores them: decimal text, converted strictly when the window
// takes them (text::strToInt), so that a value that is no integer stops the start-up there.
// The main window never writes them.
struct TextLimits {
    QString title = QStringLiteral("80");
    QString description = QStringLiteral("200");
    QString keywords = QStringLiteral("50");
};

// The spell-check switches: "As you type", then the six fields in the order of the switches
// CheckBox1 to CheckBox6 (title, description, keywords, batch summary, batch title, batch
// searching tags). Stored as "True" or "False"; only the exact text "True" is on.
struct SpellSwitches {
    bool asYouType = true;
    std::array<bool, 6> fields = {true, true, true, true, true, true};
};

// The annotation style of the batch summary.
struct AnnotationStyle {
    std::uint8_t fontSize = 10;  // only the low 8 bits of the stored integer count
    QString fontStyle = QStringLiteral("Regular");
    int fontColor = 0;  // the platform's colour value: red in the lowest 8 bits
};

// The groups of the main window's keys in the order the start-up applies them: the API key
// is taken first, then the database is opened, then the bounds, the text limits (never
// written), the ribbon layout, the switches, the annotation style, the AI counter and, last,
// the active record.
enum class KeyGroup {
    ApiKey,
    Database,
    Bounds,
    Limits,
    Ribbon,
    Spell,
    Annotation,
    Counter,
    ActiveRecord,
    None
};

struct MainWindow;

// A start-up that stopped early: the first group it did not apply, and the window's values
// when it stopped.
struct StoppedStart;

// The main window's keys. load reads them in the order the start-up takes them: the API key
// and the database first, then the bounds, limits, ribbon layout, switches, annotation style,
// AI counter and, last, the active record. save writes them in the order the close does.
// Keys that are read only when present are optional here; the absent ones keep the
// defaults below.
struct MainWindow {
    QString apiKey = QLatin1String(kNoAPIKey);  // none stored
    QString databaseFileName;                   // Database/FileName as stored; empty: the default
    std::optional<WindowBounds> bounds;
    TextLimits limits;
    std::optional<int> ribbonLayout;  // as stored; the window takes only 0, 1 and 2
    SpellSwitches spell;
    AnnotationStyle annotation;
    int aiCounter = 0;
    std::optional<qint64> activeRecord;

    static MainWindow load(const ini::IniFile& file);
    // Writes every key the value carries: the bounds, the active record and the ribbon
    // layout when set, the API key unless none is set (kNoAPIKey), and the rest always; never
    // the text limits. Each write reaches the file at once; a failing write throws and leaves
    // the keys before it written.
    //
    // After a start-up that stopped early, a key of a group the start never applied is
    // written only when its value differs from the one the window held when the start
    // stopped (the user changed it during the run); the others keep what the file holds.
    void save(ini::IniFile& file, const StoppedStart* stopped = nullptr) const;
};

struct StoppedStart {
    KeyGroup firstUnapplied = KeyGroup::None;
    MainWindow atStop;
};

// The database to open at start: the program folder's "DB\KeywordsDB.db", or the stored
// file name (absolute when it holds ':' or starts with '/', otherwise relative to the
// program folder). Backslashes are path separators.
QString databasePath(const QString& storedFileName, const QString& programFolder);
// What the close stores for the database open now: "DB\" and its file name.
QString storedDatabaseFileName(const QString& openDatabase);

}  // namespace settings
