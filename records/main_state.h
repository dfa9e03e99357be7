#pragma once

#include <QObject>
#include <QString>
#include <cstdint>

// The stored text of the AI service's key when the user has set none.
inline constexpr const char* kNoAPIKey = "No";

// The main window's values that the other windows read and change: the text limits, the AI
// service's key and request counter, the batch summary's annotation style and the colour of
// the record grid's focused row. The program block owns the one object and hands it to every
// window; a window that shows one of the values on its own controls does so in its own slot,
// on the value's change signal, so that no window writes another window's controls.
class MainState : public QObject {
    Q_OBJECT
public:
    // The focused row's colour until the Settings window sets another: the platform's colour
    // value, red in the lowest 8 bits.
    static constexpr int kDefaultFocusedRowColor = 14081998;

    explicit MainState(QObject* parent = nullptr);

    // The text limits: title characters, description characters and the number of keywords.
    int TitleMax() const { return m_titleMax; }
    int DescriptionMax() const { return m_descriptionMax; }
    int KeywordsMax() const { return m_keywordsMax; }
    void setLimits(int titleMax, int descriptionMax, int keywordsMax);
    void setTitleMax(int titleMax) { setLimits(titleMax, m_descriptionMax, m_keywordsMax); }
    void setDescriptionMax(int descriptionMax) {
        setLimits(m_titleMax, descriptionMax, m_keywordsMax);
    }
    void setKeywordsMax(int keywordsMax) { setLimits(m_titleMax, m_descriptionMax, keywordsMax); }

    // The AI service's key as the settings file keeps it: kNoAPIKey when none is set.
    const QString& APIKey() const { return m_apiKey; }
    void setAPIKey(const QString& key);

    // Successful requests to the AI service.
    int AICounter() const { return m_aiCounter; }
    void setAICounter(int counter);

    // The annotation style of the batch summary; the colour is the platform's colour value.
    std::uint8_t AnnotationFontSize() const { return m_annotationFontSize; }
    const QString& AnnotationFontStyle() const { return m_annotationFontStyle; }
    int AnnotationFontColor() const { return m_annotationFontColor; }
    void setAnnotationStyle(std::uint8_t fontSize, const QString& fontStyle, int fontColor);
    void setAnnotationFontSize(std::uint8_t fontSize) {
        setAnnotationStyle(fontSize, m_annotationFontStyle, m_annotationFontColor);
    }
    void setAnnotationFontStyle(const QString& fontStyle) {
        setAnnotationStyle(m_annotationFontSize, fontStyle, m_annotationFontColor);
    }
    void setAnnotationFontColor(int fontColor) {
        setAnnotationStyle(m_annotationFontSize, m_annotationFontStyle, fontColor);
    }

    // The highlight of the record grid's focused row, as a platform colour value.
    int FocusedRowColor() const { return m_focusedRowColor; }
    void setFocusedRowColor(int color);

signals:
    // Each follows its setter, also when the value stayed the same: a value set again is shown
    // again (Apply in the Settings window relabels the counters whatever they showed).
    void limitsChanged();
    void apiKeyChanged();
    void aiCounterChanged(int counter);
    void annotationStyleChanged();
    void focusedRowColorChanged(int color);

private:
    int m_titleMax = 0;
    int m_descriptionMax = 0;
    int m_keywordsMax = 0;
    QString m_apiKey;
    int m_aiCounter = 0;
    std::uint8_t m_annotationFontSize = 0;
    QString m_annotationFontStyle;
    int m_annotationFontColor = 0;
    int m_focusedRowColor = kDefaultFocusedRowColor;
};
