// The pocket editor's formatting bar and ruler: both follow the selection and
// change it.
#include "ui/editor/PocketEditor.h"

#include "core/store/Number.h"
#include "text/Indents.h"
#include "ui/common/Messages.h"
#include "ui/common/SpinControl.h"
#include "ui/editor/RulerMarker.h"

#include <QComboBox>
#include <QFontDatabase>
#include <QLineEdit>
#include <QPainter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QTextList>
#include <QTextOption>
#include <QToolButton>

#include <algorithm>
#include <cmath>
#include <functional>

namespace kaldex::ui {
namespace {

enum Alignment { AlignLeftCode = 0, AlignRightCode = 1, AlignCenterCode = 2 };

// A 16-pixel glyph of our own for each button.
QIcon glyph(const std::function<void(QPainter &)> &draw)
{
    QPixmap picture(16, 16);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setPen(QPen(Qt::black, 1));
    draw(painter);
    painter.end();
    return QIcon(picture);
}

QIcon letter(const QString &text, bool bold, bool italic, bool underline)
{
    return glyph([&](QPainter &painter) {
        QFont font(QStringLiteral("Times New Roman"));
        font.setPixelSize(14);
        font.setBold(bold);
        font.setItalic(italic);
        font.setUnderline(underline);
        painter.setFont(font);
        painter.drawText(QRect(0, 0, 16, 16), Qt::AlignCenter, text);
    });
}

// Five lines of text, placed by alignment (0 left, 1 right, 2 centre).
QIcon alignmentGlyph(int code)
{
    return glyph([code](QPainter &painter) {
        for (int row = 0; row < 5; ++row) {
            const int length = row % 2 ? 8 : 12;
            const int left = code == AlignLeftCode ? 2 : code == AlignRightCode ? 14 - length : (16 - length) / 2;
            painter.drawLine(left, 3 + row * 2 + row / 2, left + length - 1, 3 + row * 2 + row / 2);
        }
    });
}

QIcon bulletGlyph()
{
    return glyph([](QPainter &painter) {
        for (int row = 0; row < 3; ++row) {
            painter.fillRect(2, 3 + row * 4, 2, 2, Qt::black);
            painter.drawLine(6, 4 + row * 4, 13, 4 + row * 4);
        }
    });
}

int truncated(double value)
{
    return static_cast<int>(std::trunc(value));
}

}  // namespace

QString PocketEditor::rulerCaption()
{
    return QStringLiteral("\t|").repeated(100);
}

void PocketEditor::buildFormatBar()
{
    fontNameBox = new QComboBox(speedBar);
    fontNameBox->setObjectName(QStringLiteral("FontName"));
    fontNameBox->setGeometry(194, 6, 131, 21);
    fontNameBox->setEditable(true);
    fontNameBox->setInsertPolicy(QComboBox::NoInsert);
    fontNameBox->setEditText(QStringLiteral("FontName"));
    fontSizeField = new QLineEdit(QStringLiteral("10"), speedBar);
    fontSizeField->setObjectName(QStringLiteral("FontSize"));
    fontSizeField->setGeometry(328, 6, 31, 21);
    fontSizeSpin = new SpinControl(speedBar);
    fontSizeSpin->setObjectName(QStringLiteral("UpDown1"));
    fontSizeSpin->setGeometry(359, 6, 12, 21);
    fontSizeSpin->setMinimum(1);
    fontSizeSpin->setMaximum(1638);
    fontSizeSpin->setPosition(10);

    auto toggle = [this](const char *name, int left, const char *hint, const QIcon &icon) {
        auto *button = new QToolButton(speedBar);
        button->setObjectName(QString::fromLatin1(name));
        button->setGeometry(left, 5, 25, 25);
        button->setCheckable(true);
        button->setAutoRaise(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setToolTip(QString::fromLatin1(hint));
        button->setStatusTip(QString::fromLatin1(hint));
        button->setIcon(icon);
        return button;
    };
    boldButton = toggle("BoldButton", 380, "Bold", letter(QStringLiteral("B"), true, false, false));
    italicButton = toggle("ItalicButton", 406, "Italic", letter(QStringLiteral("I"), false, true, false));
    underlineButton = toggle("UnderlineButton", 432, "Underline", letter(QStringLiteral("U"), false, false, true));
    alignLeftButton = toggle("LeftAlign", 464, "Align Left", alignmentGlyph(AlignLeftCode));
    alignCenterButton = toggle("CenterAlign", 490, "Center", alignmentGlyph(AlignCenterCode));
    alignRightButton = toggle("RightAlign", 516, "Align Right", alignmentGlyph(AlignRightCode));
    bulletsButton = toggle("BulletsButton", 547, "Bullets", bulletGlyph());
    // The tag of an alignment button is the alignment it sets: right is 1, centre 2.
    alignLeftButton->setProperty("tag", int(AlignLeftCode));
    alignCenterButton->setProperty("tag", int(AlignCenterCode));
    alignRightButton->setProperty("tag", int(AlignRightCode));

    connect(boldButton, &QToolButton::clicked, this, &PocketEditor::toggleBold);
    connect(italicButton, &QToolButton::clicked, this, &PocketEditor::toggleItalic);
    connect(underlineButton, &QToolButton::clicked, this, &PocketEditor::toggleUnderline);
    for (QToolButton *button : {alignLeftButton, alignCenterButton, alignRightButton})
        connect(button, &QToolButton::clicked, this, [this, button] { align(button); });
    connect(bulletsButton, &QToolButton::clicked, this, &PocketEditor::toggleBullets);
    connect(fontSizeField, &QLineEdit::textChanged, this, &PocketEditor::applyFontSize);
    connect(fontSizeSpin, &SpinControl::clicked, this,
            [this] { fontSizeField->setText(QString::number(fontSizeSpin->position())); });
    connect(fontNameBox, &QComboBox::activated, this, &PocketEditor::applyFontName);
}

void PocketEditor::buildRuler()
{
    ruler->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    ruler->setLineWidth(1);
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(11);
    ruler->setFont(font);
    firstIndentMarker = new RulerMarker(RulerMarker::Shape::Down, ruler);
    firstIndentMarker->setObjectName(QStringLiteral("FirstInd"));
    firstIndentMarker->setGeometry(2, 2, 10, 9);
    leftIndentMarker = new RulerMarker(RulerMarker::Shape::Up, ruler);
    leftIndentMarker->setObjectName(QStringLiteral("LeftInd"));
    leftIndentMarker->setGeometry(2, 12, 10, 11);
    rulerLine = new QFrame(ruler);
    rulerLine->setObjectName(QStringLiteral("RulerLine"));
    rulerLine->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    rulerLine->setGeometry(4, 12, 579, 2);
    rightIndentMarker = new RulerMarker(RulerMarker::Shape::Up, ruler);
    rightIndentMarker->setObjectName(QStringLiteral("RightInd"));
    rightIndentMarker->setGeometry(575, 14, 9, 12);
    rulerLine->lower();
    ruler->installEventFilter(this);

    for (RulerMarker *marker : {firstIndentMarker, leftIndentMarker, rightIndentMarker}) {
        connect(marker, &RulerMarker::pressed, this, [this, marker](int x) { grabMarker(marker, x); });
        connect(marker, &RulerMarker::moved, this, [this, marker](int x) { dragMarker(marker, x); });
    }
    connect(firstIndentMarker, &RulerMarker::released, this, &PocketEditor::dropFirstIndent);
    connect(leftIndentMarker, &RulerMarker::released, this, &PocketEditor::dropLeftIndent);
    connect(rightIndentMarker, &RulerMarker::released, this, &PocketEditor::dropRightIndent);
}

void PocketEditor::loadFontList()
{
    QStringList families = QFontDatabase::families();
    families.sort(Qt::CaseInsensitive);
    fontNameBox->addItems(families);
}

void PocketEditor::fillRuler()
{
    ruler->setProperty("caption", rulerCaption());
    ruler->update();
}

void PocketEditor::paintRuler()
{
    // The caption with its tabs expanded puts a "|" at every tab stop: the ticks.
    QPainter painter(ruler);
    painter.setFont(ruler->font());
    QTextOption option(Qt::AlignLeft | Qt::AlignTop);
    option.setWrapMode(QTextOption::NoWrap);
    option.setTabStopDistance(8 * QFontMetrics(ruler->font()).averageCharWidth());
    painter.setPen(ruler->palette().color(QPalette::WindowText));
    painter.drawText(QRectF(ruler->contentsRect()), ruler->property("caption").toString(), option);
}

int PocketEditor::rulerClientWidth() const
{
    return ruler->contentsRect().width();
}

qreal PocketEditor::listIndent() const
{
    // A bulleted paragraph's text starts after its list's own indent.
    const QTextCursor cursor = textEdit->textCursor();
    const QTextList *list = cursor.currentList();
    const int levels = cursor.blockFormat().indent() + (list ? list->format().indent() : 0);
    return levels * textEdit->document()->indentWidth();
}

PocketEditor::Indents PocketEditor::paragraphIndents() const
{
    const QTextBlockFormat block = textEdit->textCursor().blockFormat();
    const qreal others = listIndent() + block.leftMargin();
    Indents indents;
    indents.first = truncated((others + block.textIndent()) / kPixelsPerPoint);
    indents.left = truncated(-block.textIndent() / kPixelsPerPoint);
    indents.right = truncated(block.rightMargin() / kPixelsPerPoint);
    return indents;
}

void PocketEditor::setParagraphIndents(const Indents &indents)
{
    // No line may start left of the text area.
    const qreal first = std::max(0, indents.first) * kPixelsPerPoint;
    const qreal others = std::max(0, indents.first + indents.left) * kPixelsPerPoint;
    QTextBlockFormat block;
    block.setLeftMargin(others - listIndent());
    block.setTextIndent(first - others);
    block.setRightMargin(std::max(0, indents.right) * kPixelsPerPoint);
    textEdit->textCursor().mergeBlockFormat(block);
}

void PocketEditor::syncToolbar()
{
    syncingToolbar = true;
    const double scale = kRulerScale;
    const Indents indents = paragraphIndents();
    moveMarker(firstIndentMarker, truncated(indents.first * scale) + 2);
    moveMarker(leftIndentMarker, truncated((indents.left + indents.first) * scale) + 2);
    moveMarker(rightIndentMarker, rulerClientWidth() - 6 - truncated((indents.right + 6) * scale));

    const QTextCharFormat chars = textEdit->currentCharFormat();
    boldButton->setChecked(chars.fontWeight() >= QFont::DemiBold);
    italicButton->setChecked(chars.fontItalic());
    underlineButton->setChecked(chars.fontUnderline());
    bulletsButton->setChecked(textEdit->textCursor().currentList() != nullptr);
    const double points =
        chars.fontPointSize() > 0 ? chars.fontPointSize() : textEdit->document()->defaultFont().pointSizeF();
    fontSizeField->setText(QString::number(truncated(points)));
    fontSizeSpin->setPosition(static_cast<int16_t>(std::clamp(truncated(points), 1, 1638)));
    const QStringList families = chars.fontFamilies().toStringList();
    fontNameBox->setEditText(families.isEmpty() ? textEdit->document()->defaultFont().family() : families.first());

    const Qt::Alignment align = textEdit->alignment() & Qt::AlignHorizontal_Mask;
    QToolButton *down = align & Qt::AlignJustify                       ? nullptr
                        : align & Qt::AlignHCenter                     ? alignCenterButton
                        : align & (Qt::AlignRight | Qt::AlignTrailing) ? alignRightButton
                                                                       : alignLeftButton;
    if (down) {
        for (QToolButton *button : {alignLeftButton, alignCenterButton, alignRightButton})
            button->setChecked(button == down);
    }
    syncingToolbar = false;
}

void PocketEditor::setCharacterStyle(QToolButton *button)
{
    if (syncingToolbar)
        return;
    QTextCharFormat format;
    if (button == boldButton)
        format.setFontWeight(button->isChecked() ? QFont::Bold : QFont::Normal);
    else if (button == italicButton)
        format.setFontItalic(button->isChecked());
    else
        format.setFontUnderline(button->isChecked());
    textEdit->mergeCurrentCharFormat(format);
}

void PocketEditor::toggleBold()
{
    setCharacterStyle(boldButton);
}
void PocketEditor::toggleItalic()
{
    setCharacterStyle(italicButton);
}
void PocketEditor::toggleUnderline()
{
    setCharacterStyle(underlineButton);
}

void PocketEditor::applyFontSize()
{
    const int size = readNumber(fontSizeField->text().toStdString());
    if (syncingToolbar || size == 0)
        return;
    if (size < 1 || size > 1638) {
        showMessage(this, windowTitle(), QString::fromLatin1(kSizeRangeText));
        fontSizeField->setText(QString::number(size < 1 ? 1 : 1638));  // runs this handler again
        return;
    }
    fontSizeSpin->setPosition(static_cast<int16_t>(size));
    QTextCharFormat format;
    format.setFontPointSize(size);
    textEdit->mergeCurrentCharFormat(format);
}

void PocketEditor::applyFontName(int index)
{
    // Typed text that names no font in the list selects nothing: it is left alone.
    if (syncingToolbar || index < 0)
        return;
    QTextCharFormat format;
    format.setFontFamilies({fontNameBox->itemText(index)});
    textEdit->mergeCurrentCharFormat(format);
}

void PocketEditor::align(QToolButton *button)
{
    // One choice, and all three may be up: a click releases the others.
    for (QToolButton *other : {alignLeftButton, alignCenterButton, alignRightButton})
        if (other != button)
            other->setChecked(false);
    if (syncingToolbar)
        return;
    switch (button->property("tag").toInt()) {
    case AlignRightCode: textEdit->setAlignment(Qt::AlignRight | Qt::AlignAbsolute); break;
    case AlignCenterCode: textEdit->setAlignment(Qt::AlignHCenter); break;
    default: textEdit->setAlignment(Qt::AlignLeft | Qt::AlignAbsolute); break;
    }
}

void PocketEditor::toggleBullets()
{
    if (syncingToolbar)
        return;
    QTextCursor cursor = textEdit->textCursor();
    if (bulletsButton->isChecked()) {
        QTextListFormat list;
        list.setStyle(QTextListFormat::ListDisc);
        cursor.createList(list);
    } else if (QTextList *list = cursor.currentList()) {
        list->remove(cursor.block());
        QTextBlockFormat plain = cursor.blockFormat();
        plain.setIndent(0);
        cursor.setBlockFormat(plain);
    }
}

void PocketEditor::resizeRuler()
{
    rulerLine->resize(rulerClientWidth() - 2 * rulerLine->x(), rulerLine->height());
}

void PocketEditor::moveMarker(RulerMarker *marker, int x)
{
    // A marker stays on the ruler: the left ones no further left than a zero
    // indent, the right one no further right.
    const int zero = marker == rightIndentMarker ? rulerClientWidth() - 6 - truncated(6 * kRulerScale) : 2;
    const int lowest = marker == rightIndentMarker ? 0 : zero;
    const int highest = marker == rightIndentMarker ? zero : rulerClientWidth() - marker->width();
    marker->move(std::clamp(x, lowest, std::max(lowest, highest)), marker->y());
}

void PocketEditor::grabMarker(RulerMarker *marker, int x)
{
    grabOffset = marker->width() / 2;
    moveMarker(marker, marker->x() + x - grabOffset);
    draggingMarker = true;
}

void PocketEditor::dragMarker(RulerMarker *marker, int x)
{
    if (draggingMarker)
        moveMarker(marker, marker->x() + x - grabOffset);
}

void PocketEditor::dropFirstIndent()
{
    // The left indent is relative to the first: both are read off the ruler
    // before either changes, so the other lines' marker stays.
    draggingMarker = false;
    Indents indents = paragraphIndents();
    const int others = truncated((leftIndentMarker->x() + grabOffset - 6) / double(kRulerScale));
    indents.first = truncated((firstIndentMarker->x() + grabOffset - 6) / double(kRulerScale));
    indents.left = others - indents.first;
    setParagraphIndents(indents);
    syncToolbar();
}

void PocketEditor::dropLeftIndent()
{
    draggingMarker = false;
    Indents indents = paragraphIndents();
    indents.left = truncated((leftIndentMarker->x() + grabOffset - 6) / double(kRulerScale)) - indents.first;
    setParagraphIndents(indents);
    syncToolbar();
}

void PocketEditor::dropRightIndent()
{
    draggingMarker = false;
    Indents indents = paragraphIndents();
    indents.right =
        truncated((rulerClientWidth() - rightIndentMarker->x() + grabOffset - 2) / double(kRulerScale)) - 12;
    setParagraphIndents(indents);
    syncToolbar();
}

}  // namespace kaldex::ui
