#pragma once

#include <QLabel>

namespace kaldex::ui {

/** An indent marker of the ruler: reports presses, moves and releases with the X inside it. */
class RulerMarker : public QLabel {
    Q_OBJECT
public:
    enum class Shape { Down, Up };
    RulerMarker(Shape shape, QWidget *parent);

signals:
    void pressed(int x);
    void moved(int x);
    void released();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
};

}  // namespace kaldex::ui
