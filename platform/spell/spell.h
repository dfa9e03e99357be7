#pragma once

#include <QObject>

// The spell checker that marks misspelt words as one types.
class TSpellChecker : public QObject {
    Q_OBJECT
public:
    explicit TSpellChecker(QObject* parent = nullptr);

    // Checking as one types in every control it serves.
    bool checkAsYouType() const { return m_asYouType; }
    void setCheckAsYouType(bool on);

signals:
    void checkAsYouTypeChanged(bool on);

private:
    bool m_asYouType = true;
};
