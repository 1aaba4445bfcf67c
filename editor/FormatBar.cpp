// The pocket editor's formatting bar and ruler: both follow the selection and
// change it.
#include "editor/TMainForm.h"

#include "app/Messages.h"
#include "app/SpinControl.h"
#include "editor/RulerMarker.h"
#include "store/Number.h"

#include <QComboBox>
#include <QFontDatabase>
#include <QLineEdit>
#include <QPainter>
#include <QTextBlock>
#include <QTextOption>
#include <QTextCursor>
#include <QTextEdit>
#include <QTextList>
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

QString TMainForm::rulerCaption()
{
    return QStringLiteral("\t|").repeated(100);
}

void TMainForm::buildFormatBar()
{
    FontName = new QComboBox(SpeedBar);
    FontName->setObjectName(QStringLiteral("FontName"));
    FontName->setGeometry(194, 6, 131, 21);
    FontName->setEditable(true);
    FontName->setInsertPolicy(QComboBox::NoInsert);
    FontName->setEditText(QStringLiteral("FontName"));
    FontSize = new QLineEdit(QStringLiteral("10"), SpeedBar);
    FontSize->setObjectName(QStringLiteral("FontSize"));
    FontSize->setGeometry(328, 6, 31, 21);
    UpDown1 = new SpinControl(SpeedBar);
    UpDown1->setObjectName(QStringLiteral("UpDown1"));
    UpDown1->setGeometry(359, 6, 12, 21);
    UpDown1->setMinimum(1);
    UpDown1->setMaximum(1638);
    UpDown1->setPosition(10);

    auto toggle = [this](const char *name, int left, const char *hint, const QIcon &icon) {
        auto *button = new QToolButton(SpeedBar);
        button->setObjectName(QString::fromLatin1(name));
        button->setGeometry(left, 5, 25, 25);
        button->setCheckable(true);
        button->setAutoRaise(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setToolTip(QString::fromLatin1(hint));
        button->setIcon(icon);
        return button;
    };
    BoldButton = toggle("BoldButton", 380, "Bold", letter(QStringLiteral("B"), true, false, false));
    ItalicButton = toggle("ItalicButton", 406, "Italic", letter(QStringLiteral("I"), false, true, false));
    UnderlineButton = toggle("UnderlineButton", 432, "Underline", letter(QStringLiteral("U"), false, false, true));
    LeftAlign = toggle("LeftAlign", 464, "Align Left", alignmentGlyph(AlignLeftCode));
    CenterAlign = toggle("CenterAlign", 490, "Center", alignmentGlyph(AlignCenterCode));
    RightAlign = toggle("RightAlign", 516, "Align Right", alignmentGlyph(AlignRightCode));
    BulletsButton = toggle("BulletsButton", 547, "Bullets", bulletGlyph());
    // The tag of an alignment button is the alignment it sets: right is 1, centre 2.
    LeftAlign->setProperty("tag", int(AlignLeftCode));
    CenterAlign->setProperty("tag", int(AlignCenterCode));
    RightAlign->setProperty("tag", int(AlignRightCode));

    connect(BoldButton, &QToolButton::clicked, this, &TMainForm::BoldButtonClick);
    connect(ItalicButton, &QToolButton::clicked, this, &TMainForm::ItalicButtonClick);
    connect(UnderlineButton, &QToolButton::clicked, this, &TMainForm::UnderlineButtonClick);
    for (QToolButton *button : {LeftAlign, CenterAlign, RightAlign})
        connect(button, &QToolButton::clicked, this, [this, button] { AlignClick(button); });
    connect(BulletsButton, &QToolButton::clicked, this, &TMainForm::BulletsButtonClick);
    connect(FontSize, &QLineEdit::textChanged, this, &TMainForm::FontSizeChange);
    connect(UpDown1, &SpinControl::clicked, this,
            [this] { FontSize->setText(QString::number(UpDown1->position())); });
    connect(FontName, &QComboBox::activated, this, &TMainForm::FontNameChange);
}

void TMainForm::buildRuler()
{
    Ruler->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Ruler->setLineWidth(1);
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(11);
    Ruler->setFont(font);
    FirstInd = new RulerMarker(RulerMarker::Shape::Down, Ruler);
    FirstInd->setObjectName(QStringLiteral("FirstInd"));
    FirstInd->setGeometry(2, 2, 10, 9);
    LeftInd = new RulerMarker(RulerMarker::Shape::Up, Ruler);
    LeftInd->setObjectName(QStringLiteral("LeftInd"));
    LeftInd->setGeometry(2, 12, 10, 11);
    RulerLine = new QFrame(Ruler);
    RulerLine->setObjectName(QStringLiteral("RulerLine"));
    RulerLine->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    RulerLine->setGeometry(4, 12, 579, 2);
    RightInd = new RulerMarker(RulerMarker::Shape::Up, Ruler);
    RightInd->setObjectName(QStringLiteral("RightInd"));
    RightInd->setGeometry(575, 14, 9, 12);
    RulerLine->lower();
    Ruler->installEventFilter(this);

    for (RulerMarker *marker : {FirstInd, LeftInd, RightInd}) {
        connect(marker, &RulerMarker::pressed, this, [this, marker](int x) { RulerItemMouseDown(marker, x); });
        connect(marker, &RulerMarker::moved, this, [this, marker](int x) { RulerItemMouseMove(marker, x); });
    }
    connect(FirstInd, &RulerMarker::released, this, &TMainForm::FirstIndMouseUp);
    connect(LeftInd, &RulerMarker::released, this, &TMainForm::LeftIndMouseUp);
    connect(RightInd, &RulerMarker::released, this, &TMainForm::RightIndMouseUp);
}

void TMainForm::LoadFontList()
{
    QStringList families = QFontDatabase::families();
    families.sort(Qt::CaseInsensitive);
    FontName->addItems(families);
}

void TMainForm::FillRuler()
{
    Ruler->setProperty("caption", rulerCaption());
    Ruler->update();
}

void TMainForm::paintRuler()
{
    // The caption with its tabs expanded puts a "|" at every tab stop: the ticks.
    QPainter painter(Ruler);
    painter.setFont(Ruler->font());
    QTextOption option(Qt::AlignLeft | Qt::AlignTop);
    option.setWrapMode(QTextOption::NoWrap);
    option.setTabStopDistance(8 * QFontMetrics(Ruler->font()).averageCharWidth());
    painter.setPen(Ruler->palette().color(QPalette::WindowText));
    painter.drawText(QRectF(Ruler->contentsRect()), Ruler->property("caption").toString(), option);
}

int TMainForm::rulerClientWidth() const
{
    return Ruler->contentsRect().width();
}

TMainForm::Indents TMainForm::paragraphIndents() const
{
    const QTextBlockFormat block = RichEdit1->textCursor().blockFormat();
    Indents indents;
    indents.first = truncated(block.leftMargin() + block.textIndent());
    indents.left = truncated(-block.textIndent());
    indents.right = truncated(block.rightMargin());
    return indents;
}

void TMainForm::setParagraphIndents(const Indents &indents)
{
    QTextBlockFormat block;
    block.setLeftMargin(indents.first + indents.left);
    block.setTextIndent(-indents.left);
    block.setRightMargin(indents.right);
    RichEdit1->textCursor().mergeBlockFormat(block);
}

void TMainForm::SelectionChange()
{
    ToolbarSync = true;
    const double scale = kRulerScale;
    const Indents indents = paragraphIndents();
    FirstInd->move(truncated(indents.first * scale) + 2, FirstInd->y());
    LeftInd->move(truncated((indents.left + indents.first) * scale) + 2, LeftInd->y());
    RightInd->move(rulerClientWidth() - 6 - truncated((indents.right + 6) * scale), RightInd->y());

    const QTextCharFormat chars = RichEdit1->currentCharFormat();
    BoldButton->setChecked(chars.fontWeight() >= QFont::DemiBold);
    ItalicButton->setChecked(chars.fontItalic());
    UnderlineButton->setChecked(chars.fontUnderline());
    BulletsButton->setChecked(RichEdit1->textCursor().currentList() != nullptr);
    const double points = chars.fontPointSize() > 0 ? chars.fontPointSize() : RichEdit1->document()->defaultFont().pointSizeF();
    FontSize->setText(QString::number(truncated(points)));
    UpDown1->setPosition(static_cast<int16_t>(std::clamp(truncated(points), 1, 1638)));
    const QStringList families = chars.fontFamilies().toStringList();
    FontName->setEditText(families.isEmpty() ? RichEdit1->document()->defaultFont().family() : families.first());

    const Qt::Alignment align = RichEdit1->alignment() & Qt::AlignHorizontal_Mask;
    QToolButton *down = align & Qt::AlignJustify                         ? nullptr
                        : align & Qt::AlignHCenter                        ? CenterAlign
                        : align & (Qt::AlignRight | Qt::AlignTrailing)    ? RightAlign
                                                                          : LeftAlign;
    if (down) {
        for (QToolButton *button : {LeftAlign, CenterAlign, RightAlign})
            button->setChecked(button == down);
    }
    ToolbarSync = false;
}

void TMainForm::setCharacterStyle(QToolButton *button)
{
    if (ToolbarSync)
        return;
    QTextCharFormat format;
    if (button == BoldButton)
        format.setFontWeight(button->isChecked() ? QFont::Bold : QFont::Normal);
    else if (button == ItalicButton)
        format.setFontItalic(button->isChecked());
    else
        format.setFontUnderline(button->isChecked());
    RichEdit1->mergeCurrentCharFormat(format);
}

void TMainForm::BoldButtonClick() { setCharacterStyle(BoldButton); }
void TMainForm::ItalicButtonClick() { setCharacterStyle(ItalicButton); }
void TMainForm::UnderlineButtonClick() { setCharacterStyle(UnderlineButton); }

void TMainForm::FontSizeChange()
{
    const int size = readNumber(FontSize->text().toStdString());
    if (ToolbarSync || size == 0)
        return;
    if (size < 1 || size > 1638) {
        showMessage(this, windowTitle(), QString::fromLatin1(kSizeRangeText));
        FontSize->setText(QString::number(size < 1 ? 1 : 1638));  // runs this handler again
        return;
    }
    UpDown1->setPosition(static_cast<int16_t>(size));
    QTextCharFormat format;
    format.setFontPointSize(size);
    RichEdit1->mergeCurrentCharFormat(format);
}

void TMainForm::FontNameChange(int index)
{
    // Typed text that names no font in the list selects nothing: it is left alone.
    if (ToolbarSync || index < 0)
        return;
    QTextCharFormat format;
    format.setFontFamilies({FontName->itemText(index)});
    RichEdit1->mergeCurrentCharFormat(format);
}

void TMainForm::AlignClick(QToolButton *button)
{
    // One choice, and all three may be up: a click releases the others.
    for (QToolButton *other : {LeftAlign, CenterAlign, RightAlign})
        if (other != button)
            other->setChecked(false);
    if (ToolbarSync)
        return;
    switch (button->property("tag").toInt()) {
    case AlignRightCode: RichEdit1->setAlignment(Qt::AlignRight | Qt::AlignAbsolute); break;
    case AlignCenterCode: RichEdit1->setAlignment(Qt::AlignHCenter); break;
    default: RichEdit1->setAlignment(Qt::AlignLeft | Qt::AlignAbsolute); break;
    }
}

void TMainForm::BulletsButtonClick()
{
    if (ToolbarSync)
        return;
    QTextCursor cursor = RichEdit1->textCursor();
    if (BulletsButton->isChecked()) {
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

void TMainForm::RulerResize()
{
    RulerLine->resize(rulerClientWidth() - 2 * RulerLine->x(), RulerLine->height());
}

void TMainForm::RulerItemMouseDown(RulerMarker *marker, int x)
{
    GrabOffset = marker->width() / 2;
    marker->move(marker->x() + x - GrabOffset, marker->y());
    MarkerDragging = true;
}

void TMainForm::RulerItemMouseMove(RulerMarker *marker, int x)
{
    if (MarkerDragging)
        marker->move(marker->x() + x - GrabOffset, marker->y());
}

void TMainForm::FirstIndMouseUp()
{
    MarkerDragging = false;
    Indents indents = paragraphIndents();
    indents.first = truncated((FirstInd->x() + GrabOffset - 6) / double(kRulerScale));
    setParagraphIndents(indents);
    LeftIndMouseUp();  // the left indent is relative to the first: recompute it so that marker stays
}

void TMainForm::LeftIndMouseUp()
{
    MarkerDragging = false;
    Indents indents = paragraphIndents();
    indents.left = truncated((LeftInd->x() + GrabOffset - 6) / double(kRulerScale)) - indents.first;
    setParagraphIndents(indents);
    SelectionChange();
}

void TMainForm::RightIndMouseUp()
{
    MarkerDragging = false;
    Indents indents = paragraphIndents();
    indents.right = truncated((rulerClientWidth() - RightInd->x() + GrabOffset - 2) / double(kRulerScale)) - 12;
    setParagraphIndents(indents);
    SelectionChange();
}

}  // namespace kaldex::ui
