#include "app/settings.h"

#include <QFileInfo>

#include "platform/appfolder/appfolder.h"
#include "platform/ini/ini.h"

namespace settings {
namespace {

// The main window's keys. Its bounds are the keys of section "MainForm".
constexpr const char* kBoundsSection = "MainForm";
constexpr Key kTitleMax{"TextMax", "Title"};
constexpr Key kDescriptionMax{"TextMax", "Description"};
constexpr Key kKeywordsMax{"TextMax", "Keywords"};
constexpr Key kRibbonLayout{"Ribbon", "Layout"};
constexpr Key kSpellAsYouType{"SpellCheck", "SpellAsYouType"};
constexpr std::array<Key, 6> kSpellFields = {{{"SpellCheck", "SpellTitle"},
                                              {"SpellCheck", "SpellDesc"},
                                              {"SpellCheck", "SpellKeys"},
                                              {"SpellCheck", "SpellSummary"},
                                              {"SpellCheck", "SpellBatchTitle"},
                                              {"SpellCheck", "SpellBatchKeys"}}};
constexpr Key kFontSize{"Annotation", "FontSize"};
constexpr Key kFontStyle{"Annotation", "FontStyle"};
constexpr Key kFontColor{"Annotation", "FontColor"};
constexpr Key kCounter{"AISettings", "Counter"};
constexpr Key kGeminiKey{"AISettings", "GeminiKey"};
constexpr Key kFileNameKey{"Database", "FileName"};
constexpr Key kActiveRecord{"ActiveRecord", "ID"};

// The main window's switches: on only for the exact text "True".
bool readSwitch(const ini::IniFile& file, const Key& key) {
    return readText(file, key, QStringLiteral("True")) == QLatin1String("True");
}
void writeSwitch(ini::IniFile& file, const Key& key, bool on) {
    writeText(file, key, on ? QStringLiteral("True") : QStringLiteral("False"));
}

}  // namespace

MainWindow MainWindow::load(const ini::IniFile& file) {
    MainWindow s;
    if (exists(file, kGeminiKey)) s.apiKey = readText(file, kGeminiKey, {});
    if (exists(file, kFileNameKey)) s.databaseFileName = readText(file, kFileNameKey, {});

    s.bounds = loadBounds(file, kBoundsSection);

    s.limits.title = readText(file, kTitleMax, s.limits.title);
    s.limits.description = readText(file, kDescriptionMax, s.limits.description);
    s.limits.keywords = readText(file, kKeywordsMax, s.limits.keywords);

    s.ribbonLayout = storedInteger(file, kRibbonLayout);

    s.spell.asYouType = readSwitch(file, kSpellAsYouType);
    for (std::size_t i = 0; i < kSpellFields.size(); ++i)
        s.spell.fields[i] = readSwitch(file, kSpellFields[i]);

    s.annotation.fontSize =
        static_cast<std::uint8_t>(readInteger(file, kFontSize, s.annotation.fontSize) & 0xFF);
    s.annotation.fontStyle = readText(file, kFontStyle, s.annotation.fontStyle);
    s.annotation.fontColor = readInteger(file, kFontColor, s.annotation.fontColor);
    s.aiCounter = readInteger(file, kCounter, s.aiCounter);

    // An ID that is not a number reads as 0, the value the window's field starts with.
    if (exists(file, kActiveRecord)) s.activeRecord = readInt64(file, kActiveRecord, 0);
    return s;
}

void MainWindow::save(ini::IniFile& file, const StoppedStart* stopped) const {
    // Whether a key goes into the file: always after a complete start; after one that stopped
    // early, when the start applied its group or the value changed since.
    const auto wanted = [stopped](KeyGroup group, const auto& now, const auto& atStop) {
        return !stopped || group < stopped->firstUnapplied || !(now == atStop);
    };
    const MainWindow& was = stopped ? stopped->atStop : *this;

    if (bounds) {
        const WindowBounds& now = *bounds;
        const WindowBounds before = was.bounds.value_or(WindowBounds{});
        const auto put = [&](const char* key, int value, const std::optional<int>& old) {
            if (wanted(KeyGroup::Bounds, std::optional<int>(value), old))
                writeInteger(file, {kBoundsSection, key}, value);
        };
        if (now.width) put("Width", *now.width, before.width);
        if (now.height) put("Height", *now.height, before.height);
        put("Left", now.left, before.left);
        put("Top", now.top, before.top);
    }
    if (activeRecord && wanted(KeyGroup::ActiveRecord, activeRecord, was.activeRecord))
        writeInteger(file, kActiveRecord, *activeRecord);
    if (ribbonLayout && wanted(KeyGroup::Ribbon, ribbonLayout, was.ribbonLayout))
        writeInteger(file, kRibbonLayout, *ribbonLayout);
    if (wanted(KeyGroup::Spell, spell.asYouType, was.spell.asYouType))
        writeSwitch(file, kSpellAsYouType, spell.asYouType);
    for (std::size_t i = 0; i < kSpellFields.size(); ++i)
        if (wanted(KeyGroup::Spell, spell.fields[i], was.spell.fields[i]))
            writeSwitch(file, kSpellFields[i], spell.fields[i]);
    if (wanted(KeyGroup::Annotation, annotation.fontSize, was.annotation.fontSize))
        writeInteger(file, kFontSize, annotation.fontSize);
    if (wanted(KeyGroup::Annotation, annotation.fontStyle, was.annotation.fontStyle))
        writeText(file, kFontStyle, annotation.fontStyle);
    if (wanted(KeyGroup::Annotation, annotation.fontColor, was.annotation.fontColor))
        writeInteger(file, kFontColor, annotation.fontColor);
    if (wanted(KeyGroup::Counter, aiCounter, was.aiCounter))
        writeInteger(file, kCounter, aiCounter);
    if (apiKey != QLatin1String(kNoAPIKey) && wanted(KeyGroup::ApiKey, apiKey, was.apiKey))
        writeText(file, kGeminiKey, apiKey);
    if (wanted(KeyGroup::Database, databaseFileName, was.databaseFileName))
        writeText(file, kFileNameKey, databaseFileName);
}

QString databasePath(const QString& storedFileName, const QString& programFolder) {
    if (storedFileName.isEmpty())
        return programFolder + appfolder::nativeRelative(QStringLiteral("DB\\KeywordsDB.db"));
    const QString path = appfolder::nativeRelative(storedFileName);
    return appfolder::isAbsoluteStored(storedFileName) ? path : programFolder + path;
}

QString storedDatabaseFileName(const QString& openDatabase) {
    return QStringLiteral("DB\\") + QFileInfo(openDatabase).fileName();
}

}  // namespace settings
