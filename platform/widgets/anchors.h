#pragma once

#include <QLatin1String>
#include <QObject>
#include <QRect>
#include <QSize>
#include <vector>

class QWidget;

// Gives a control (or action) its name and returns it, so that it can be made and named
// in one expression.
template <typename T>
T* named(T* object, const char* name) {
    object->setObjectName(QLatin1String(name));
    return object;
}

// Places child controls by their design rectangles and keeps the anchored edges at the
// same distance from the parent's edges when the parent is resized.
class Anchors : public QObject {
    Q_OBJECT
public:
    enum Edge { Left = 1, Top = 2, Right = 4, Bottom = 8, TopLeft = Left | Top, All = 15 };

    // parent's design client size; children are placed relative to it.
    Anchors(QWidget* parent, QSize designSize);

    // Places child at its design rectangle and remembers its anchors.
    void place(QWidget* child, QRect design, int edges = TopLeft);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void apply();
    struct Item {
        QWidget* child;
        QRect design;
        int edges;
    };
    QWidget* m_parent;
    QSize m_design;
    std::vector<Item> m_items;
};
