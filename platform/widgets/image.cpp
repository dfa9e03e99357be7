#include "platform/widgets/image.h"

#include <QPainter>

QRect fittedInto(QSize picture, const QRect& area) {
    if (picture.width() > area.width() || picture.height() > area.height())
        picture.scale(area.size(), Qt::KeepAspectRatio);
    QRect target(QPoint(0, 0), picture);
    target.moveCenter(area.center());
    return target;
}

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
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(fittedInto(m_picture.size(), contentsRect()), m_picture);
}
