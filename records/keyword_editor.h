#pragma once

// The keyword editor: title, description and keywords fields with their live counters, the
// add-and-check field and the red marking of a word in the keywords field. The main window's
// Create card and the AI tagger each bind one editor to their own controls; the limits are
// the main window's TitleMax, DescriptionMax and KeywordsMax, read whenever a rule runs.

#include <QObject>
#include <QString>

class QLabel;
class TcxTextEdit;
class TcxMemo;
class TcxRichEdit;
class MainState;

// Gives the whole rich edit its default character attributes and then every occurrence of
// word red bold type, in one repaint; the caret stays where it was, without a selection. An
// empty word changes nothing.
void HighlightKeyword(TcxRichEdit* edit, const QString& word);

// Key-press rule of the batch title and batch tags fields: refuses ',', ':' and ';'.
void BatchFieldKeyPress(QChar& key) noexcept;

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

    // Binds the rules to the controls' events, each under the default exception handler. The
    // editor owns the keywords field's key-press, click, double-click and exit hooks and the
    // add-and-check field's key-press and key-up hooks. limits holds the main window's
    // TitleMax, DescriptionMax and KeywordsMax.
    KeywordEditor(const Fields& fields, const MainState& limits, QObject* parent);

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
    void DescriptionTextChanged();
    void KeywordsTextChanged();

    Fields m_fields;
    const MainState& m_limits;
    // The texts the counters last saw: a change of character attributes alone changes no value.
    QString m_description;
    QString m_keywords;
};
