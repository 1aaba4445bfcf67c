#include "ui/editor/RulerMarker.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

namespace kaldex::ui {

RulerMarker::RulerMarker(Shape shape, QWidget *parent) : QLabel(parent)
{
    // Small drawn triangles stand in for the symbol-font glyphs the markers
    // used to be; the font is not on every system.
    setCursor(Qt::SizeHorCursor);
    setAttribute(Qt::WA_TranslucentBackground);
    QPixmap picture(10, 12);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath triangle;
    if (shape == Shape::Down) {
        triangle.moveTo(0.5, 0.5);
        triangle.lineTo(8.5, 0.5);
        triangle.lineTo(4.5, 7.5);
    } else {
        triangle.moveTo(4.5, 1.5);
        triangle.lineTo(8.5, 8.5);
        triangle.lineTo(0.5, 8.5);
    }
    triangle.closeSubpath();
    painter.fillPath(triangle, QColor(64, 64, 64));
    painter.end();
    setPixmap(picture);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void RulerMarker::mousePressEvent(QMouseEvent *event)
{
    emit pressed(event->position().toPoint().x());
}

void RulerMarker::mouseMoveEvent(QMouseEvent *event)
{
    emit moved(event->position().toPoint().x());
}

void RulerMarker::mouseReleaseEvent(QMouseEvent *)
{
    emit released();
}

}  // namespace kaldex::ui
