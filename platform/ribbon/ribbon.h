#pragma once

#include <QWidget>

// The ribbon: tabs of captioned command groups above the window's client area.
class TdxRibbon : public QWidget {
    Q_OBJECT
public:
    enum class Layout { Default = 0, Classic = 1, Simplified = 2 };

    explicit TdxRibbon(QWidget* parent = nullptr);

    Layout ribbonLayout() const { return m_layout; }
    void setRibbonLayout(Layout layout);

signals:
    void layoutChanged();

private:
    Layout m_layout = Layout::Default;
};
