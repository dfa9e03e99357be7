#pragma once

#include <QString>
#include <QStringList>

#include "tagging/categories.h"

// The prompt texts that go with every AI request: "Standard" (Adobe Stock and Shutterstock,
// with categories) and "Getty Images" (with the Getty word lists). The fixed texts live in
// resources/prompts; every line of a prompt ends with CR LF.
namespace prompts {

// Everything a prompt is built from, as the tagger window holds it when a request starts.
// The defaults are the window's design values.
struct PromptSettings {
    int keysFrom = 39;  // keyword range
    int keysTo = 42;
    QString conceptNote;           // "Concept note", trimmed by the caller
    QString includeText;           // "Include keywords", as typed
    QString excludeText;           // "Exclude keywords", as typed
    bool detectCategories = true;  // Standard only
    bool includePeople = true;
    bool deepVision = true;
    int titleMax = 80;  // the main window's limits
    int descriptionMax = 200;
    // The category boxes' current items, in item order (Standard only).
    QStringList adobeCategories = categories::adobe();
    QStringList shutterPrimary = categories::shutterstock();
    QStringList shutterSecondary = categories::shutterstock();
    // The Getty word lists as the two readers below return them (Getty only).
    QString gettyDictionary;
    QString gettyBlacklist;
};

QString BuildStandardPrompt(const PromptSettings& settings);
QString BuildGettyPrompt(const PromptSettings& settings);

// "GettyDict.txt" of the program folder as prompt lines: its lines, untrimmed, empty ones
// kept, each followed by CR LF; empty when the file does not exist. A file that exists but
// cannot be read throws errors::Error.
QString ReadGettyDictionaryText();
// "GettyBlackList.txt" of the program folder as one comma text of its lines; empty when
// the file does not exist. Throws as above.
QString ReadGettyBlacklistCommaText();

// Items joined by "," with no blank; an item holding a blank, a control character, a comma
// or a double quote is put in double quotes with its quotes doubled; a list of one empty
// item is two double quotes.
QString commaText(const QStringList& items);

// The Getty prompt's list of banned strings: the banned words' comma text, then each
// dictionary word (the trimmed text before "->" of a line, when not empty) in double
// quotes, then the exclude text when not empty; these last two each with ", " in front
// when the list so far is not empty.
QString bannedList(const QString& blacklistCommaText, const QString& dictionaryText,
                   const QString& excludeText);

}  // namespace prompts
