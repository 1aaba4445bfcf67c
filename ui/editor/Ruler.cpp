// The pocket editor's ruler: its markers follow the current paragraph's
// indents and set them when dropped.
#include "ui/editor/Ruler.h"

#include "text/Indents.h"
#include "ui/editor/RulerMarker.h"
#include "ui/editor/TextFormat.h"

#include <QPainter>
#include <QTextBlock>
#include <QTextEdit>
#include <QTextList>
#include <QTextOption>

#include <algorithm>
#include <cmath>

namespace kaldex::ui {
namespace {

// Marker places are the pixels-per-point ratio in single precision times the
// indent, and a drop divides by the same value: its rounding decides which
// indent a marker dropped on a given pixel sets.
constexpr double kScale = static_cast<float>(kPixelsPerPoint);

int truncated(double value)
{
    return static_cast<int>(std::trunc(value));
}

// Whole points from the document's pixels, which hold points times 4/3 and
// so miss a whole point by a rounding error: 28 points read back as 27.99999.
int points(double pixels)
{
    const double value = pixels / kPixelsPerPoint;
    return truncated(value + (value < 0 ? -1e-6 : 1e-6));
}

}  // namespace

Ruler::Ruler(QTextEdit *text, QWidget *parent)
    : QFrame(parent), text_(text), caption_(QStringLiteral("\t|").repeated(100))
{
    setObjectName(QStringLiteral("Ruler"));
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(11);
    setFont(font);
    firstIndent_ = new RulerMarker(RulerMarker::Shape::Down, this);
    firstIndent_->setObjectName(QStringLiteral("FirstInd"));
    firstIndent_->setGeometry(2, 2, 10, 9);
    leftIndent_ = new RulerMarker(RulerMarker::Shape::Up, this);
    leftIndent_->setObjectName(QStringLiteral("LeftInd"));
    leftIndent_->setGeometry(2, 12, 10, 11);
    line_ = new QFrame(this);
    line_->setObjectName(QStringLiteral("RulerLine"));
    line_->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    line_->setGeometry(4, 12, 579, 2);
    rightIndent_ = new RulerMarker(RulerMarker::Shape::Up, this);
    rightIndent_->setObjectName(QStringLiteral("RightInd"));
    rightIndent_->setGeometry(575, 14, 9, 12);
    line_->lower();

    for (RulerMarker *marker : {firstIndent_, leftIndent_, rightIndent_}) {
        connect(marker, &RulerMarker::pressed, this, [this, marker](int x) { grabMarker(marker, x); });
        connect(marker, &RulerMarker::moved, this, [this, marker](int x) { dragMarker(marker, x); });
    }
    connect(firstIndent_, &RulerMarker::released, this, &Ruler::dropFirstIndent);
    connect(leftIndent_, &RulerMarker::released, this, &Ruler::dropLeftIndent);
    connect(rightIndent_, &RulerMarker::released, this, &Ruler::dropRightIndent);
    // Undo, redo and formatting move no caret: the text's changes count too.
    connect(text_, &QTextEdit::cursorPositionChanged, this, &Ruler::sync);
    connect(text_, &QTextEdit::textChanged, this, &Ruler::sync);
}

void Ruler::paintEvent(QPaintEvent *event)
{
    {
        // The caption with its tabs expanded puts a "|" at every tab stop: the ticks.
        QPainter painter(this);
        painter.setFont(font());
        QTextOption option(Qt::AlignLeft | Qt::AlignTop);
        option.setWrapMode(QTextOption::NoWrap);
        option.setTabStopDistance(8 * QFontMetrics(font()).averageCharWidth());
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(QRectF(contentsRect()), caption_, option);
    }
    QFrame::paintEvent(event);
}

void Ruler::resizeEvent(QResizeEvent *event)
{
    QFrame::resizeEvent(event);
    // The line keeps its distance from both ends.
    line_->resize(clientWidth() - 2 * line_->x(), line_->height());
}

int Ruler::clientWidth() const
{
    return contentsRect().width();
}

qreal Ruler::listIndent() const
{
    // A bulleted paragraph's text starts after its list's own indent.
    const QTextCursor cursor = text_->textCursor();
    const QTextList *list = cursor.currentList();
    const int levels = cursor.blockFormat().indent() + (list ? list->format().indent() : 0);
    return levels * text_->document()->indentWidth();
}

Ruler::Indents Ruler::paragraphIndents() const
{
    const QTextBlockFormat block = text_->textCursor().blockFormat();
    const qreal others = listIndent() + block.leftMargin();
    Indents indents;
    indents.first = points(others + block.textIndent());
    indents.left = points(-block.textIndent());
    indents.right = points(block.rightMargin());
    return indents;
}

void Ruler::setParagraphIndents(const Indents &indents)
{
    // No line may start left of the text area.
    const qreal first = std::max(0, indents.first) * kPixelsPerPoint;
    const qreal others = std::max(0, indents.first + indents.left) * kPixelsPerPoint;
    QTextBlockFormat block;
    block.setLeftMargin(others - listIndent());
    block.setTextIndent(first - others);
    block.setRightMargin(std::max(0, indents.right) * kPixelsPerPoint);
    mergeFormat(*text_, block);
}

void Ruler::sync()
{
    const Indents indents = paragraphIndents();
    moveMarker(firstIndent_, truncated(indents.first * kScale) + 2);
    moveMarker(leftIndent_, truncated((indents.left + indents.first) * kScale) + 2);
    moveMarker(rightIndent_, clientWidth() - 6 - truncated((indents.right + 6) * kScale));
}

void Ruler::moveMarker(RulerMarker *marker, int x)
{
    // A marker stays on the ruler: the left ones no further left than a zero
    // indent, the right one no further right.
    const int zero = marker == rightIndent_ ? clientWidth() - 6 - truncated(6 * kScale) : 2;
    const int lowest = marker == rightIndent_ ? 0 : zero;
    const int highest = marker == rightIndent_ ? zero : clientWidth() - marker->width();
    marker->move(std::clamp(x, lowest, std::max(lowest, highest)), marker->y());
}

void Ruler::grabMarker(RulerMarker *marker, int x)
{
    grabOffset_ = marker->width() / 2;
    moveMarker(marker, marker->x() + x - grabOffset_);
    dragging_ = true;
}

void Ruler::dragMarker(RulerMarker *marker, int x)
{
    if (dragging_)
        moveMarker(marker, marker->x() + x - grabOffset_);
}

void Ruler::dropFirstIndent()
{
    // The left indent is relative to the first: both are read off the ruler
    // before either changes, so the other lines' marker stays.
    dragging_ = false;
    Indents indents = paragraphIndents();
    const int others = truncated((leftIndent_->x() + grabOffset_ - 6) / kScale);
    indents.first = truncated((firstIndent_->x() + grabOffset_ - 6) / kScale);
    indents.left = others - indents.first;
    setParagraphIndents(indents);
    sync();
}

void Ruler::dropLeftIndent()
{
    dragging_ = false;
    Indents indents = paragraphIndents();
    indents.left = truncated((leftIndent_->x() + grabOffset_ - 6) / kScale) - indents.first;
    setParagraphIndents(indents);
    sync();
}

void Ruler::dropRightIndent()
{
    dragging_ = false;
    Indents indents = paragraphIndents();
    indents.right = truncated((clientWidth() - rightIndent_->x() + grabOffset_ - 2) / kScale) - 12;
    setParagraphIndents(indents);
    sync();
}

}  // namespace kaldex::ui
