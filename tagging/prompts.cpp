#include "tagging/prompts.h"

#include <QFile>
#include <QHash>
#include <algorithm>

#include "platform/errors/errors.h"
#include "platform/text/text.h"
#include "tagging/word_lists.h"

// The templates in resources/prompts hold one prompt line per text line. "{name}" within a
// line is replaced by a value; a line that holds nothing but "{name}" of a block stands for
// the block's own lines, or for no line at all when the block is off. Values are put in
// as they are, never scanned for further placeholders.
namespace prompts {
namespace {

const QString kLineBreak = QStringLiteral("\r\n");

using Values = QHash<QString, QString>;

QStringList templateLines(const QString& name) {
    QFile file(QStringLiteral(":/prompts/%1.txt").arg(name));
    if (!file.open(QIODevice::ReadOnly))
        throw errors::Error(QStringLiteral("The prompt text \"%1\" is missing.").arg(name));
    return text::splitLines(QString::fromUtf8(file.readAll()));
}

bool isNameChar(QChar c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

// The placeholder name when the line is "{name}" alone, else empty.
QString blockName(const QString& line) {
    if (line.size() < 3 || line.front() != u'{' || line.back() != u'}') return {};
    const QString name = line.mid(1, line.size() - 2);
    return std::all_of(name.begin(), name.end(), isNameChar) ? name : QString();
}

QString substitute(const QString& line, const Values& values) {
    QString out;
    const qsizetype n = line.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (line[i] == u'{') {
            qsizetype j = i + 1;
            while (j < n && isNameChar(line[j])) ++j;
            if (j < n && j > i + 1 && line[j] == u'}') {
                auto value = values.constFind(line.mid(i + 1, j - i - 1));
                if (value != values.constEnd()) {
                    out += *value;
                    i = j;
                    continue;
                }
            }
        }
        out += line[i];
    }
    return out;
}

// A template with its values and blocks filled in; every line ends with CR LF.
QString expand(const QString& name, const Values& values, const Values& blocks = {}) {
    QString out;
    for (const QString& line : templateLines(name)) {
        auto block = blocks.constFind(blockName(line));
        if (block != blocks.constEnd()) {
            out += *block;
            continue;
        }
        out += substitute(line, values) + kLineBreak;
    }
    return out;
}

// Lines joined, each followed by CR LF.
QString asLines(const QStringList& lines) {
    QString out;
    for (const QString& line : lines) out += line + kLineBreak;
    return out;
}

// The Adobe list: the items as lines, trimmed as one text, the inner line breaks made ", ".
QString adobeList(const QStringList& items) {
    return text::trim(asLines(items)).replace(kLineBreak, QStringLiteral(", "));
}

QString countText(int from, int to) {
    if (to == 0 || to == from) return QStringLiteral("EXACTLY %1").arg(from);
    return QStringLiteral("between %1 and %2").arg(from).arg(to);
}

}  // namespace

QString commaText(const QStringList& items) {
    if (items.size() == 1 && items.front().isEmpty()) return QStringLiteral("\"\"");
    QString out;
    for (qsizetype i = 0; i < items.size(); ++i) {
        const QString& item = items[i];
        if (i > 0) out += u',';
        const bool quoted = std::any_of(item.begin(), item.end(), [](QChar c) {
            return c.unicode() <= 32 || c == u'"' || c == u',';
        });
        if (!quoted) {
            out += item;
            continue;
        }
        out += u'"' + QString(item).replace(QStringLiteral("\""), QStringLiteral("\"\"")) + u'"';
    }
    return out;
}

QString bannedList(const QString& blacklistCommaText, const QString& dictionaryText,
                   const QString& excludeText) {
    QString list = blacklistCommaText;
    auto append = [&](const QString& item) {
        if (!list.isEmpty()) list += QStringLiteral(", ");
        list += item;
    };
    for (const QString& line : text::splitLines(dictionaryText)) {
        const auto entry = wordlists::parseCorrection(line);
        if (entry && !entry->word.isEmpty()) append(u'"' + entry->word + u'"');
    }
    if (!excludeText.isEmpty()) append(excludeText);
    return list;
}

QString BuildStandardPrompt(const PromptSettings& s) {
    const QString conceptNote = text::trim(s.conceptNote);
    Values blocks = {
        {QStringLiteral("deepVisionBlock"),
         s.deepVision ? expand(QStringLiteral("standard/deep_vision"), {}) : QString()},
        {QStringLiteral("conceptBlock"), conceptNote.isEmpty()
                                             ? QString()
                                             : expand(QStringLiteral("standard/concept"),
                                                      {{QStringLiteral("concept"), conceptNote}})},
        {QStringLiteral("includeBlock"),
         s.includeText.isEmpty() ? QString()
                                 : expand(QStringLiteral("standard/include"),
                                          {{QStringLiteral("includeText"), s.includeText}})},
        {QStringLiteral("excludeBlock"),
         s.excludeText.isEmpty() ? QString()
                                 : expand(QStringLiteral("standard/exclude"),
                                          {{QStringLiteral("excludeText"), s.excludeText}})},
        {QStringLiteral("categoryBlock"),
         s.detectCategories
             ? expand(QStringLiteral("standard/categories"),
                      {{QStringLiteral("adobeList"), adobeList(s.adobeCategories)},
                       {QStringLiteral("primaryList"), commaText(s.shutterPrimary)},
                       {QStringLiteral("secondaryList"), commaText(s.shutterSecondary)}})
             : QString()},
        {QStringLiteral("peopleBlock"),
         s.includePeople ? expand(QStringLiteral("standard/people"), {}) : QString()},
    };
    return expand(QStringLiteral("standard/prompt"),
                  {{QStringLiteral("titleMax"), QString::number(s.titleMax)},
                   {QStringLiteral("descriptionMax"), QString::number(s.descriptionMax)},
                   {QStringLiteral("countText"), countText(s.keysFrom, s.keysTo)}},
                  blocks);
}

QString BuildGettyPrompt(const PromptSettings& s) {
    const QString rangeText =
        QStringLiteral("between %1 and %2 keywords. Priority: Accuracy over quantity.")
            .arg(s.keysFrom)
            .arg(s.keysTo);
    Values blocks = {
        {QStringLiteral("dictionaryLines"), asLines(text::splitLines(s.gettyDictionary))},
        {QStringLiteral("deepVisionBlock"),
         s.deepVision ? expand(QStringLiteral("getty/deep_vision"), {}) : QString()},
        {QStringLiteral("peopleRules"), expand(s.includePeople ? QStringLiteral("getty/people")
                                                               : QStringLiteral("getty/no_people"),
                                               {})},
    };
    return expand(QStringLiteral("getty/prompt"),
                  {{QStringLiteral("bannedList"),
                    bannedList(s.gettyBlacklist, s.gettyDictionary, s.excludeText)},
                   {QStringLiteral("titleMax"), QString::number(s.titleMax)},
                   {QStringLiteral("descriptionMax"), QString::number(s.descriptionMax)},
                   {QStringLiteral("concept"), text::trim(s.conceptNote)},
                   {QStringLiteral("includeText"), s.includeText},
                   {QStringLiteral("rangeText"), rangeText}},
                  blocks);
}

QString ReadGettyDictionaryText() {
    const auto lines = wordlists::readLines(wordlists::dictionaryFile());
    return lines ? asLines(*lines) : QString();
}

QString ReadGettyBlacklistCommaText() {
    const auto lines = wordlists::readLines(wordlists::blacklistFile());
    return lines ? commaText(*lines) : QString();
}

}  // namespace prompts
