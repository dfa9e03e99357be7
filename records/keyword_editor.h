#pragma once

// The keyword editor: title, description and keywords fields with their live counters, the
// add-and-check field and the red marking of a word in the keywords field. The main window's
// Create card and the AI tagger each bind one editor to their own controls; the limits are
// the main window's TitleMax, DescriptionMax and KeywordsMax, read whenever a rule runs.

#include <QList>
#include <QObject>
#include <QString>

class QLabel;
class TcxTextEdit;
class TcxMemo;
class TcxRichEdit;

// The text format of a keyword list: keywords separated by ", ".
namespace KeywordList {

// The number of keywords in a list. ';' counts as ','; the text is split at every ',' and
// every piece counts, empty ones too; blanks belong to the keywords. A piece that begins with
// a double quote runs to its closing quote (a doubled quote stands for one, commas inside do
// not split, no closing quote runs to the end); what follows the closing quote up to the next
// comma is one more keyword. An empty text holds none.
int count(const QString& text);

// The list with word appended: the word alone on an empty list, after a blank when the list
// ends with ',', after ", " otherwise.
QString append(const QString& list, const QString& word);

}  // namespace KeywordList

// Where word occurs in text, left to right: the start of each occurrence. The letters A to Z
// match in either case, every other character only itself; a search goes on after the end of
// the occurrence it found, so occurrences never overlap. An empty word occurs nowhere.
QList<int> KeywordOccurrences(const QString& text, const QString& word);

// Gives the whole rich edit its default character attributes and then every occurrence of
// word red bold type, in one repaint; the caret stays where it was, without a selection. An
// empty word changes nothing.
void HighlightKeyword(TcxRichEdit* edit, const QString& word);

// Key-press rule of the batch title and batch tags fields: refuses ',', ':' and ';'.
void BatchFieldKeyPress(QChar& key);

class KeywordEditor : public QObject {
    Q_OBJECT
public:
    struct Fields {
        TcxTextEdit* title = nullptr;
        TcxMemo* description = nullptr;
        TcxRichEdit* keywords = nullptr;
        TcxTextEdit* addAndCheck = nullptr;
        QLabel* titleLeft = nullptr;        // characters left in the title
        QLabel* descriptionLeft = nullptr;  // characters left in the description
        QLabel* keywordCount = nullptr;     // number of keywords
    };

    // Binds the rules to the controls' events. The editor owns the keywords field's key-press,
    // click, double-click and exit hooks and the add-and-check field's key-press and key-up
    // hooks.
    KeywordEditor(const Fields& fields, QObject* parent);

    // The rules, one per control event.
    void TitleChange();           // title text changed: characters left
    void DescriptionChange();     // description text changed: characters left
    void KeywordsValueChanged();  // keywords text changed: number of keywords
    void KeywordsKeyPress(QChar& key);
    void KeywordsClick();
    void KeywordsDblClick();
    void KeywordsExit();
    void CheckEditKeyPress(QChar& key);
    void CheckEditKeyUp(int& key, Qt::KeyboardModifiers shift);
    void CheckEditChange();

    const Fields& fields() const { return m_fields; }

private:
    // The number the keyword counter shows.
    int shownCount() const;

    Fields m_fields;
    // The texts the counters last saw: a change of character attributes alone changes no value.
    QString m_description;
    QString m_keywords;
};
