#include "platform/widgets/statusbar.h"

TStatusBar::TStatusBar(QWidget* parent) : QStatusBar(parent) {
    setSizeGripEnabled(true);
}

void TStatusBar::addPanel(int width, Qt::Alignment alignment, const QString& text, int minWidth) {
    auto* label = new QLabel(text, this);
    label->setObjectName(QStringLiteral("%1Panel%2").arg(objectName()).arg(m_panels.size()));
    label->setAlignment(alignment | Qt::AlignVCenter);
    label->setMinimumWidth(minWidth > 0 ? minWidth : width);
    label->resize(width, label->height());
    label->setFrameShape(QFrame::StyledPanel);
    label->setContentsMargins(4, 0, 4, 0);
    // The last panel takes what is left, like the platform's status bar.
    addWidget(label, 0);
    label->setFixedWidth(width);
    m_panels.push_back(label);
}

QString TStatusBar::panelText(int index) const {
    return m_panels.at(index)->text();
}

void TStatusBar::setPanelText(int index, const QString& text) {
    m_panels.at(index)->setText(text);
}

QLabel* TStatusBar::panel(int index) const {
    return m_panels.at(index);
}
