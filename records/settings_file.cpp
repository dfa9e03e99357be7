#include "records/settings_file.h"

#include "platform/errors/errors.h"
#include "platform/files/atomic_file.h"
#include "platform/ini/ini.h"
#include "platform/text/text.h"

namespace settings {
namespace {

QString section(const Key& key) {
    return QLatin1String(key.section);
}
QString name(const Key& key) {
    return QLatin1String(key.name);
}

}  // namespace

ini::IniFile openFile(const QString& programFolder) {
    return ini::IniFile(programFolder + QLatin1String(kFileName), files::Access::OwnerOnly,
                        files::Links::Follow);
}

bool exists(const ini::IniFile& file, const Key& key) {
    return file.valueExists(section(key), name(key));
}

QString readText(const ini::IniFile& file, const Key& key, const QString& def) {
    return file.readString(section(key), name(key), def);
}

qint64 readInt64(const ini::IniFile& file, const Key& key, qint64 def) {
    return file.readInt64(section(key), name(key), def);
}

int readInteger(const ini::IniFile& file, const Key& key, int def) {
    return file.readInteger(section(key), name(key), def);
}

std::optional<int> storedInteger(const ini::IniFile& file, const Key& key) {
    if (!exists(file, key)) return std::nullopt;
    try {
        return text::strToInt(readText(file, key, {}));
    } catch (const errors::ConvertError&) {
        return std::nullopt;
    }
}

void writeText(ini::IniFile& file, const Key& key, const QString& value) {
    file.writeString(section(key), name(key), value);
}

void writeInteger(ini::IniFile& file, const Key& key, qint64 value) {
    writeText(file, key, QString::number(value));
}

std::optional<WindowBounds> loadBounds(const ini::IniFile& file, const char* boundsSection) {
    if (!exists(file, {boundsSection, "Width"})) return std::nullopt;
    WindowBounds bounds;
    bounds.width = storedInteger(file, {boundsSection, "Width"});
    bounds.height = storedInteger(file, {boundsSection, "Height"});
    bounds.left = readInteger(file, {boundsSection, "Left"}, bounds.left);
    bounds.top = readInteger(file, {boundsSection, "Top"}, bounds.top);
    return bounds;
}

void saveBounds(ini::IniFile& file, const char* boundsSection, const WindowBounds& bounds) {
    if (bounds.width) writeInteger(file, {boundsSection, "Width"}, *bounds.width);
    if (bounds.height) writeInteger(file, {boundsSection, "Height"}, *bounds.height);
    writeInteger(file, {boundsSection, "Left"}, bounds.left);
    writeInteger(file, {boundsSection, "Top"}, bounds.top);
}

}  // namespace settings
