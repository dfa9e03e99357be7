#include "tagging/tagger_settings.h"

#include <cmath>

#include "platform/ini/ini.h"

namespace tagger {
namespace {

const QString kWindow = QStringLiteral("frmAITagger");
const QString kPrompt = QStringLiteral("AISettings");

const QString kWidth = QStringLiteral("Width");
const QString kHeight = QStringLiteral("Height");
const QString kLeft = QStringLiteral("Left");
const QString kTop = QStringLiteral("Top");
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

Settings Settings::load(const ini::IniFile& file, QSize windowSize) {
    Settings s;
    if (file.valueExists(kWindow, kWidth)) {
        s.boundsStored = true;
        const int width = file.readInteger(kWindow, kWidth, windowSize.width());
        const int height = file.readInteger(kWindow, kHeight, windowSize.height());
        const int left = file.readInteger(kWindow, kLeft, 10);
        const int top = file.readInteger(kWindow, kTop, 10);
        s.bounds = QRect(left, top, width, height);
    }
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
    file.writeInteger(kWindow, kWidth, bounds.width());
    file.writeInteger(kWindow, kHeight, bounds.height());
    file.writeInteger(kWindow, kLeft, bounds.left());
    file.writeInteger(kWindow, kTop, bounds.top());
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
