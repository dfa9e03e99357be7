#include "platform/widgets/statusbar.h"

TStatusBar::TStatusBar(QWidget* parent) : QStatusBar(parent) {
    setSizeGripEnabled(true);
}

QLabel* TStatusBar::makePanel(Qt::Alignment alignment, const QString& text) {
    auto* label = new QLabel(text, this);
    label->setObjectName(QStringLiteral("%1Panel%2").arg(objectName()).arg(m_panels.size()));
    label->setAlignment(alignment | Qt::AlignVCenter);
    label->setFrameShape(QFrame::StyledPanel);
    label->setContentsMargins(4, 0, 4, 0);
    m_panels.push_back(label);
    return label;
}

void TStatusBar::addPanel(int width, Qt::Alignment alignment, const QString& text, int minWidth) {
    QLabel* label = makePanel(alignment, text);
    label->setMinimumWidth(minWidth > 0 ? minWidth : width);
    label->resize(width, label->height());
    addWidget(label, 0);
    label->setFixedWidth(width);
}

void TStatusBar::addStretchingPanel(int width, Qt::Alignment alignment, const QString& text) {
    QLabel* label = makePanel(alignment, text);
    label->setMinimumWidth(width);
    // Its text, however long, never widens the window.
    label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    label->setToolTip(text);
    addWidget(label, 1);
    m_stretching = label;
}

QString TStatusBar::panelText(int index) const {
    return m_panels.at(index)->text();
}

void TStatusBar::setPanelText(int index, const QString& text) {
    QLabel* panel = m_panels.at(index);
    panel->setText(text);
    if (panel == m_stretching) panel->setToolTip(text);
}

QLabel* TStatusBar::panel(int index) const {
    return m_panels.at(index);
}
