#pragma once

#include <QString>
#include <optional>

namespace ini {
class IniFile;
}

// The settings file of the program folder, read and written key by key. Each window that
// keeps settings there has one value type of its own with load and save, and its section and
// key names in one place.
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
qint64 readInt64(const ini::IniFile& file, const Key& key, qint64 def);
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

}  // namespace settings
