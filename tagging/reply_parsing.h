#pragma once

#include <QString>
#include <QStringList>
#include <nlohmann/json.hpp>
#include <optional>

// Reading the model's answer: the JSON object inside the answer text, its members found by
// a tolerant name lookup, and how a category box takes a category name from it.
namespace reply {

// Objects keep their members in the order of the reply.
using Json = nlohmann::ordered_json;

// The text from the first "{" to the last "}", both included; the empty text when there
// is no "{" or no "}" after it. Braces are not balanced: whatever lies between is kept.
QString ExtractJsonObjectText(const QString& text);

// The object that text holds; none when text does not parse or is not an object. When
// the object names a member twice, the first one counts.
std::optional<Json> ParseJsonObject(const QString& text);

// A member's value as text: a string's content; a number, true, false or null in its JSON
// form; an array or an object gives the empty text.
QString JsonValueText(const Json& value);

// The text of the member of obj (its own members only, not those of nested objects) that
// key or alias name, found in three passes; the empty text when none matches. Names are
// compared with "_" removed and the letters a to z upper-cased; a member's name also loses
// its blanks:
//  1. the first member whose name matches key or alias;
//  2. only for a key containing "ADOBE": the first member whose name contains "ADOBE";
//  3. only for a key containing "SHUTTER": the first member whose name contains "SHUTTER"
//     and the key's "1" or "2" (a "SHUTTER" member without that digit is passed over).
QString FindJsonField(const Json& obj, const QString& key, const QString& alias);

// The texts of the elements of the first member named exactly "keywords" (case counts),
// in order, joined with ", "; the empty text when that member is missing or not an array.
QString JoinedKeywords(const Json& obj);

// What one reply proposes for an image.
struct TagFields {
    QString title;
    QString description;
    QString keywords;  // joined with ", "
    QString adobeCategory;
    QString shutterCategory1;
    QString shutterCategory2;
};

TagFields ReadTagFields(const Json& obj);
// The fields of the JSON object inside an answer text; none when the answer holds no
// object that parses.
std::optional<TagFields> ParseTaggingAnswer(const QString& answerText);

// What a category box must do with a category name from a reply.
struct ComboChoice {
    int index = -1;         // the item to select; -1: no selection
    bool unlisted = false;  // no item holds the name: the box shows it as it came, no item
                            // chosen; its list never grows, so it stays the agency's own
};

// The box's items in list order and the reply's name: an empty name (or one of blanks
// only) selects nothing; otherwise the first item whose lower-cased text (by the user's
// locale) contains the trimmed, lower-cased name is selected; when none does, the name is
// unlisted.
ComboChoice SelectComboItemByText(const QStringList& items, const QString& value);

}  // namespace reply
