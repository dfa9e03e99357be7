#include "platform/ribbon/ribbon.h"

TdxRibbon::TdxRibbon(QWidget* parent) : QWidget(parent) {
    setFixedHeight(154);
}

void TdxRibbon::setRibbonLayout(Layout layout) {
    if (layout == m_layout) return;
    m_layout = layout;
    emit layoutChanged();
}
