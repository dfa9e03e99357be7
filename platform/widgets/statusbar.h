#pragma once

#include <QLabel>
#include <QStatusBar>
#include <vector>

// A status bar of fixed text panels, addressed by index.
class TStatusBar : public QStatusBar {
    Q_OBJECT
public:
    explicit TStatusBar(QWidget* parent = nullptr);
    // Adds a panel; width is its design width, minWidth its smallest width.
    void addPanel(int width, Qt::Alignment alignment, const QString& text, int minWidth = 0);
    int panelCount() const { return static_cast<int>(m_panels.size()); }
    QString panelText(int index) const;
    void setPanelText(int index, const QString& text);
    QLabel* panel(int index) const;

private:
    std::vector<QLabel*> m_panels;
};
