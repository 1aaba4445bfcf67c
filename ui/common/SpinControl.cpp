#include "ui/common/SpinControl.h"

#include <QKeyEvent>
#include <QToolButton>

#include <algorithm>

namespace kaldex::ui {

SpinControl::SpinControl(QWidget *parent) : QWidget(parent), up_(new QToolButton(this)), down_(new QToolButton(this))
{
    up_->setArrowType(Qt::UpArrow);
    down_->setArrowType(Qt::DownArrow);
    for (QToolButton *button : {up_, down_}) {
        button->setFocusPolicy(Qt::NoFocus);
        button->setAutoRepeat(true);
    }
    setFocusPolicy(Qt::StrongFocus);
    connect(up_, &QToolButton::clicked, this, [this] { step(Direction::Up); });
    connect(down_, &QToolButton::clicked, this, [this] { step(Direction::Down); });
}

void SpinControl::setMinimum(int16_t value)
{
    minimum_ = value;
    maximum_ = std::max(maximum_, minimum_);
    position_ = std::clamp(position_, minimum_, maximum_);
}

void SpinControl::setMaximum(int16_t value)
{
    maximum_ = value;
    minimum_ = std::min(minimum_, maximum_);
    position_ = std::clamp(position_, minimum_, maximum_);
}

void SpinControl::setPosition(int16_t value)
{
    position_ = std::clamp(value, minimum_, maximum_);
}

void SpinControl::step(Direction direction)
{
    if (direction == Direction::Up && position_ < maximum_)
        ++position_;
    else if (direction == Direction::Down && position_ > minimum_)
        --position_;
    emit clicked(direction);
}

void SpinControl::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Up)
        step(Direction::Up);
    else if (event->key() == Qt::Key_Down)
        step(Direction::Down);
    else
        QWidget::keyPressEvent(event);
}

void SpinControl::resizeEvent(QResizeEvent *)
{
    const int half = height() / 2;
    up_->setGeometry(0, 0, width(), half);
    down_->setGeometry(0, half, width(), height() - half);
}

}  // namespace kaldex::ui
