#include "tagging/reply_parsing.h"

#include <QLocale>
#include <set>
#include <string>

#include "platform/text/text.h"

namespace reply {
namespace {

// Upper-cases the letters a to z only, so that names compare alike in every locale.
QString asciiUpper(QString s) {
    for (QChar& c : s)
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z')) c = QChar(c.unicode() - 'a' + 'A');
    return s;
}

QString comparable(const QString& name) {
    QString s = name;
    s.remove(QLatin1Char('_'));
    return asciiUpper(s);
}

QString memberName(const std::string& key) {
    return QString::fromUtf8(key.data(), qsizetype(key.size()));
}

}  // namespace

QString ExtractJsonObjectText(const QString& text) {
    const qsizetype first = text.indexOf(QLatin1Char('{'));
    const qsizetype last = text.lastIndexOf(QLatin1Char('}'));
    if (first < 0 || last <= first) return {};
    return text.mid(first, last - first + 1);
}

std::optional<Json> ParseJsonObject(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    // The outermost object's members are depth 1; a name seen there before is dropped
    // with its value, so that the first one counts.
    std::set<std::string> seen;
    const Json::parser_callback_t firstNameCounts = [&seen](int depth, Json::parse_event_t event,
                                                            Json& parsed) {
        if (event != Json::parse_event_t::key || depth != 1) return true;
        return seen.insert(parsed.get<std::string>()).second;
    };
    Json doc = Json::parse(utf8.constBegin(), utf8.constEnd(), firstNameCounts, false);
    if (doc.is_discarded() || !doc.is_object()) return std::nullopt;
    return doc;
}

QString JsonValueText(const Json& value) {
    if (value.is_string()) return memberName(value.get_ref<const std::string&>());
    if (value.is_array() || value.is_object() || value.is_discarded()) return {};
    return QString::fromStdString(value.dump());
}

QString FindJsonField(const Json& obj, const QString& key, const QString& alias) {
    if (!obj.is_object()) return {};
    const QString k = comparable(key);
    const QString a = comparable(alias);
    for (auto it = obj.begin(); it != obj.end(); ++it) {
        QString n = comparable(memberName(it.key()));
        n.remove(QLatin1Char(' '));
        if (n == k || n == a) return JsonValueText(it.value());
    }
    if (k.contains(QLatin1String("ADOBE"))) {
        for (auto it = obj.begin(); it != obj.end(); ++it)
            if (asciiUpper(memberName(it.key())).contains(QLatin1String("ADOBE")))
                return JsonValueText(it.value());
    }
    if (k.contains(QLatin1String("SHUTTER"))) {
        const bool one = k.contains(QLatin1Char('1'));
        const bool two = k.contains(QLatin1Char('2'));
        for (auto it = obj.begin(); it != obj.end(); ++it) {
            const QString u = asciiUpper(memberName(it.key()));
            if (!u.contains(QLatin1String("SHUTTER"))) continue;
            if ((one && u.contains(QLatin1Char('1'))) || (two && u.contains(QLatin1Char('2'))))
                return JsonValueText(it.value());
        }
    }
    return {};
}

QString JoinedKeywords(const Json& obj) {
    if (!obj.is_object()) return {};
    const auto found = obj.find("keywords");
    if (found == obj.end() || !found->is_array()) return {};
    QStringList words;
    for (const Json& element : *found) words << JsonValueText(element);
    return words.join(QLatin1String(", "));
}

TagFields ReadTagFields(const Json& obj) {
    TagFields f;
    f.title = FindJsonField(obj, QStringLiteral("title"), QStringLiteral("Title"));
    f.description =
        FindJsonField(obj, QStringLiteral("description"), QStringLiteral("Description"));
    f.adobeCategory =
        FindJsonField(obj, QStringLiteral("adobe_category"), QStringLiteral("Adobe_Category"));
    f.shutterCategory1 =
        FindJsonField(obj, QStringLiteral("shutterstock_category_1"), QStringLiteral("Shutter1"));
    f.shutterCategory2 =
        FindJsonField(obj, QStringLiteral("shutterstock_category_2"), QStringLiteral("Shutter2"));
    f.keywords = JoinedKeywords(obj);
    return f;
}

std::optional<TagFields> ParseTaggingAnswer(const QString& answerText) {
    const std::optional<Json> obj = ParseJsonObject(ExtractJsonObjectText(answerText));
    if (!obj) return std::nullopt;
    return ReadTagFields(*obj);
}

ComboChoice SelectComboItemByText(const QStringList& items, const QString& value) {
    const QLocale locale;
    const QString needle = locale.toLower(text::trim(value));
    // A name of blanks only is no name: it would match every item, or stand in the box as a
    // blank category that the upload files would carry.
    if (needle.isEmpty()) return {};
    for (qsizetype i = 0; i < items.size(); ++i)
        if (locale.toLower(items[i]).contains(needle)) return {int(i), false};
    return {-1, true};
}

}  // namespace reply
