#include "platform/widgets/anchors.h"

#include <QEvent>
#include <QWidget>

Anchors::Anchors(QWidget* parent, QSize designSize)
    : QObject(parent), m_parent(parent), m_design(designSize) {
    parent->installEventFilter(this);
    if (parent->width() < designSize.width() || parent->height() < designSize.height())
        parent->setMinimumSize(0, 0);
}

void Anchors::place(QWidget* child, QRect design, int edges) {
    m_items.push_back({child, design, edges});
    child->setGeometry(design);
}

bool Anchors::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_parent && event->type() == QEvent::Resize) apply();
    return QObject::eventFilter(watched, event);
}

void Anchors::apply() {
    const int dw = m_parent->width() - m_design.width();
    const int dh = m_parent->height() - m_design.height();
    for (const Item& item : m_items) {
        QRect r = item.design;
        const bool l = item.edges & Left, rt = item.edges & Right;
        const bool t = item.edges & Top, b = item.edges & Bottom;
        if (l && rt)
            r.setWidth(std::max(0, r.width() + dw));
        else if (rt)
            r.moveLeft(r.left() + dw);
        if (t && b)
            r.setHeight(std::max(0, r.height() + dh));
        else if (b)
            r.moveTop(r.top() + dh);
        item.child->setGeometry(r);
    }
}
