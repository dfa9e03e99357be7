#include "platform/spell/spell.h"

TSpellChecker::TSpellChecker(QObject* parent) : QObject(parent) {}

void TSpellChecker::setCheckAsYouType(bool on) {
    if (on == m_asYouType) return;
    m_asYouType = on;
    emit checkAsYouTypeChanged(on);
}
