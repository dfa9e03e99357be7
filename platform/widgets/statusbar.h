#pragma once

#include <QLabel>
#include <QStatusBar>
#include <vector>

// A status bar of text panels, addressed by index: fixed panels, and at most one that stretches.
class TStatusBar : public QStatusBar {
    Q_OBJECT
public:
    explicit TStatusBar(QWidget* parent = nullptr);
    // Adds a panel; width is its design width, minWidth its smallest width.
    void addPanel(int width, Qt::Alignment alignment, const QString& text, int minWidth = 0);
    // Adds a panel that takes the room the fixed panels leave, never less than its design
    // width, and grows with the window. Its tooltip is its whole text, for a text longer
    // than even that room.
    void addStretchingPanel(int width, Qt::Alignment alignment, const QString& text);
    int panelCount() const { return static_cast<int>(m_panels.size()); }
    QString panelText(int index) const;
    void setPanelText(int index, const QString& text);
    QLabel* panel(int index) const;

private:
    QLabel* makePanel(Qt::Alignment alignment, const QString& text);

    std::vector<QLabel*> m_panels;
    QLabel* m_stretching = nullptr;
};
