#pragma once

#include <QWidget>

#include <cstdint>

class QToolButton;

namespace kaldex::ui {

/**
 * A vertical pair of arrow buttons holding a position between a minimum and
 * a maximum (16-bit values). An arrow moves the position one step and never
 * wraps around; every click is reported, also at either end.
 */
class SpinControl : public QWidget {
    Q_OBJECT
public:
    enum class Direction { Up, Down };

    explicit SpinControl(QWidget *parent = nullptr);

    void setMinimum(int16_t value);
    void setMaximum(int16_t value);
    void setPosition(int16_t value);
    int16_t minimum() const { return minimum_; }
    int16_t maximum() const { return maximum_; }
    int16_t position() const { return position_; }

    /** What a click on an arrow does; public so that keys and tests can press. */
    void step(Direction direction);

    QToolButton *upButton() const { return up_; }
    QToolButton *downButton() const { return down_; }

signals:
    void clicked(kaldex::ui::SpinControl::Direction direction);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    int16_t minimum_ = 0;
    int16_t maximum_ = 100;
    int16_t position_ = 0;
    QToolButton *up_;
    QToolButton *down_;
};

}  // namespace kaldex::ui
