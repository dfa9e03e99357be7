#include "tagging/tagger_settings.h"

#include <cmath>

#include "platform/ini/ini.h"

namespace tagger {
namespace {

constexpr const char* kWindow = "frmAITagger";
const QString kPrompt = QStringLiteral("AISettings");

const QString kAgencyIndex = QStringLiteral("AgencyIndex");
const QString kAgenticChecked = QStringLiteral("AgenticChecked");
const QString kTemperature = QStringLiteral("Temperature");
const QString kPeopleCheck = QStringLiteral("PeopleCheck");
const QString kCategoryCheck = QStringLiteral("CategoryCheck");
const QString kKeysFrom = QStringLiteral("KeysFrom");
const QString kKeysTo = QStringLiteral("KeysTo");
const QString kImageColumnWidth = QStringLiteral("ImageColumnWidth");

bool readSwitch(const ini::IniFile& file, const QString& key, bool def) {
    return file.readInteger(kPrompt, key, def ? 1 : 0) != 0;
}

}  // namespace

Settings Settings::load(const ini::IniFile& file) {
    Settings s;
    // The numbers stay as stored until the window fits them on a screen: a rectangle made of
    // them could overflow.
    s.bounds = settings::loadBounds(file, kWindow);
    s.agencyIndex = file.readInteger(kPrompt, kAgencyIndex, s.agencyIndex);
    s.agenticChecked = readSwitch(file, kAgenticChecked, s.agenticChecked);
    const double temperature = file.readFloat(kPrompt, kTemperature, s.temperature);
    // "nan" and "inf" parse as numbers but are no temperature.
    if (std::isfinite(temperature)) s.temperature = temperature;
    s.peopleCheck = readSwitch(file, kPeopleCheck, s.peopleCheck);
    s.categoryCheck = readSwitch(file, kCategoryCheck, s.categoryCheck);
    s.keysFrom = file.readInteger(kPrompt, kKeysFrom, s.keysFrom);
    s.keysTo = file.readInteger(kPrompt, kKeysTo, s.keysTo);
    s.imageColumnWidth = file.readInteger(kPrompt, kImageColumnWidth, s.imageColumnWidth);
    return s;
}

void Settings::save(ini::IniFile& file) const {
    if (bounds) settings::saveBounds(file, kWindow, *bounds);
    file.writeInteger(kPrompt, kAgencyIndex, agencyIndex);
    file.writeBool(kPrompt, kAgenticChecked, agenticChecked);
    file.writeFloat(kPrompt, kTemperature, temperature);
    file.writeBool(kPrompt, kPeopleCheck, peopleCheck);
    file.writeBool(kPrompt, kCategoryCheck, categoryCheck);
    file.writeInteger(kPrompt, kKeysFrom, keysFrom);
    file.writeInteger(kPrompt, kKeysTo, keysTo);
    file.writeInteger(kPrompt, kImageColumnWidth, imageColumnWidth);
}

}  // namespace tagger
