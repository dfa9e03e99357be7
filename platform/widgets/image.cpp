#include "platform/widgets/image.h"

#include <QPainter>

TcxImage::TcxImage(QWidget* parent) : QFrame(parent) {
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
}

void TcxImage::setPicture(const QImage& picture) {
    m_picture = picture;
    update();
    emit pictureAssigned();
}

void TcxImage::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    if (m_picture.isNull()) return;
    const QRect area = contentsRect();
    QSize size = m_picture.size();
    if (size.width() > area.width() || size.height() > area.height())
        size.scale(area.size(), Qt::KeepAspectRatio);
    QRect target(QPoint(0, 0), size);
    target.moveCenter(area.center());
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, m_picture);
}
