#include "records/main_state.h"

MainState::MainState(QObject* parent) : QObject(parent) {}

void MainState::setLimits(int titleMax, int descriptionMax, int keywordsMax) {
    m_titleMax = titleMax;
    m_descriptionMax = descriptionMax;
    m_keywordsMax = keywordsMax;
    emit limitsChanged();
}

void MainState::setAPIKey(const QString& key) {
    m_apiKey = key;
    emit apiKeyChanged();
}

void MainState::setAICounter(int counter) {
    m_aiCounter = counter;
    emit aiCounterChanged(counter);
}

void MainState::setAnnotationStyle(std::uint8_t fontSize, const QString& fontStyle, int fontColor) {
    m_annotationFontSize = fontSize;
    m_annotationFontStyle = fontStyle;
    m_annotationFontColor = fontColor;
    emit annotationStyleChanged();
}

void MainState::setFocusedRowColor(int color) {
    m_focusedRowColor = color;
    emit focusedRowColorChanged(color);
}
