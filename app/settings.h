#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <optional>

namespace ini {
class IniFile;
}

// The settings file and the main window's settings in it. Each window that keeps settings
// there has one value type of its own with load and save, and its section and key names in
// one place.
namespace settings {

inline constexpr const char* kFileName = "SpellIni.ini";

// The settings file of the program folder. It may hold the AI service's key, whichever way
// the key came into it, so every write leaves it readable and writable by its owner only.
ini::IniFile openFile(const QString& programFolder);

// One key of the settings file: its section and its name.
struct Key {
    const char* section;
    const char* name;
};

// Reading and writing by key, with the INI object's rules: a text's default only when the
// key is absent; an integer's default also when its text is not an integer; every write
// reaches the file at once and throws when it cannot.
bool exists(const ini::IniFile& file, const Key& key);
QString readText(const ini::IniFile& file, const Key& key, const QString& def);
int readInteger(const ini::IniFile& file, const Key& key, int def);
// The stored integer, or none when the key is absent or its text is not an integer.
std::optional<int> storedInteger(const ini::IniFile& file, const Key& key);
void writeText(ini::IniFile& file, const Key& key, const QString& value);
void writeInteger(ini::IniFile& file, const Key& key, qint64 value);

// A window's outer bounds, unscaled: the keys Width, Height, Left and Top of its section.
// Read only when Width is stored; a width or height that is not an integer is left to the
// window, which keeps its own.
struct WindowBounds {
    std::optional<int> width;
    std::optional<int> height;
    int left = 10;
    int top = 10;
};
std::optional<WindowBounds> loadBounds(const ini::IniFile& file, const char* section);
// Writes the width and height that are set, then left and top.
void saveBounds(ini::IniFile& file, const char* section, const WindowBounds& bounds);

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
    QString apiKey = QStringLiteral("No");  // "No": no key stored
    QString databaseFileName;               // Database/FileName as stored; empty: the default
    std::optional<WindowBounds> bounds;
    TextLimits limits;
    std::optional<int> ribbonLayout;  // as stored; the window takes only 0, 1 and 2
    SpellSwitches spell;
    AnnotationStyle annotation;
    int aiCounter = 0;
    std::optional<qint64> activeRecord;

    static MainWindow load(const ini::IniFile& file);
    // Writes every key the value carries: the bounds, the active record and the ribbon
    // layout when set, the API key unless it is "No", and the rest always; never the text
    // limits. Each write reaches the file at once; a failing write throws and
    // leaves the keys before it written.
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
