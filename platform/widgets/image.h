#pragma once

#include <QFrame>
#include <QImage>

// Where a picture of a size is shown in an area: shrunk to fit it, keeping its proportions,
// never enlarged, and centred.
QRect fittedInto(QSize picture, const QRect& area);

// An image control: shows its picture scaled down to fit, centred, on its background colour.
// Every assignment of a picture, an empty one included, is reported by pictureAssigned.
class TcxImage : public QFrame {
    Q_OBJECT
public:
    explicit TcxImage(QWidget* parent = nullptr);

    // The picture; a null image is no picture.
    const QImage& picture() const { return m_picture; }
    void setPicture(const QImage& picture);
    // Takes the picture away (an assignment of no picture).
    void clear() { setPicture(QImage()); }

signals:
    void pictureAssigned();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage m_picture;
};
