// The pocket editor's formatting bar: it follows the selection and changes it.
#include "ui/editor/FormatBar.h"

#include "core/store/Number.h"
#include "text/FontSize.h"
#include "ui/common/Messages.h"
#include "ui/common/SpinControl.h"
#include "ui/editor/TextFormat.h"

#include <QComboBox>
#include <QFontDatabase>
#include <QLineEdit>
#include <QPainter>
#include <QTextBlock>
#include <QTextList>
#include <QToolButton>

#include <algorithm>
#include <cmath>
#include <functional>

namespace kaldex::ui {
namespace {

enum Alignment { AlignLeftCode = 0, AlignRightCode = 1, AlignCenterCode = 2 };

// Where the bar stands on the speed bar: around its controls and no further,
// so that the speed bar's own buttons beside it take their clicks.
const QRect kBarRect(QPoint(194, 5), QPoint(571, 29));

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

FormatBar::FormatBar(QTextEdit *text, QWidget *speedBar) : QWidget(speedBar), text_(text)
{
    setGeometry(kBarRect);
    // Each control by its layout name and its place on the speed bar.
    auto place = [](QWidget *control, const char *name, int left, int top, int width, int height) {
        control->setObjectName(QString::fromLatin1(name));
        control->setGeometry(QRect(left, top, width, height).translated(-kBarRect.topLeft()));
    };
    fontName_ = new QComboBox(this);
    place(fontName_, "FontName", 194, 6, 131, 21);
    fontName_->setEditable(true);
    fontName_->setInsertPolicy(QComboBox::NoInsert);
    fontName_->setEditText(QStringLiteral("FontName"));
    fontSize_ = new QLineEdit(QStringLiteral("10"), this);
    place(fontSize_, "FontSize", 328, 6, 31, 21);
    fontSizeArrows_ = new SpinControl(this);
    place(fontSizeArrows_, "UpDown1", 359, 6, 12, 21);
    fontSizeArrows_->setMinimum(1);
    fontSizeArrows_->setMaximum(kMaxFontPoints);
    fontSizeArrows_->setPosition(10);

    auto toggle = [this, &place](const char *name, int left, const char *hint, const QIcon &icon) {
        auto *button = new QToolButton(this);
        place(button, name, left, 5, 25, 25);
        button->setCheckable(true);
        button->setAutoRaise(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setToolTip(QString::fromLatin1(hint));
        button->setStatusTip(QString::fromLatin1(hint));
        button->setIcon(icon);
        return button;
    };
    bold_ = toggle("BoldButton", 380, "Bold", letter(QStringLiteral("B"), true, false, false));
    italic_ = toggle("ItalicButton", 406, "Italic", letter(QStringLiteral("I"), false, true, false));
    underline_ = toggle("UnderlineButton", 432, "Underline", letter(QStringLiteral("U"), false, false, true));
    alignLeft_ = toggle("LeftAlign", 464, "Align Left", alignmentGlyph(AlignLeftCode));
    alignCenter_ = toggle("CenterAlign", 490, "Center", alignmentGlyph(AlignCenterCode));
    alignRight_ = toggle("RightAlign", 516, "Align Right", alignmentGlyph(AlignRightCode));
    bullets_ = toggle("BulletsButton", 547, "Bullets", bulletGlyph());
    // The tag of an alignment button is the alignment it sets: right is 1, centre 2.
    alignLeft_->setProperty("tag", int(AlignLeftCode));
    alignCenter_->setProperty("tag", int(AlignCenterCode));
    alignRight_->setProperty("tag", int(AlignRightCode));

    for (QToolButton *style : {bold_, italic_, underline_})
        connect(style, &QToolButton::clicked, this, [this, style] { setCharacterStyle(style); });
    for (QToolButton *button : {alignLeft_, alignCenter_, alignRight_})
        connect(button, &QToolButton::clicked, this, [this, button] { align(button); });
    connect(bullets_, &QToolButton::clicked, this, &FormatBar::toggleBullets);
    connect(fontSize_, &QLineEdit::textChanged, this, &FormatBar::applyFontSize);
    connect(fontSizeArrows_, &SpinControl::clicked, this,
            [this] { fontSize_->setText(QString::number(fontSizeArrows_->position())); });
    connect(fontName_, &QComboBox::activated, this, &FormatBar::applyFontName);

    // Undo, redo and formatting move no caret: the text's changes count too.
    for (auto changed : {&QTextEdit::cursorPositionChanged, &QTextEdit::selectionChanged, &QTextEdit::textChanged})
        connect(text_, changed, this, &FormatBar::sync);
    connect(text_, &QTextEdit::currentCharFormatChanged, this, &FormatBar::sync);
    loadFontList();
}

void FormatBar::loadFontList()
{
    QStringList families = QFontDatabase::families();
    families.sort(Qt::CaseInsensitive);
    fontName_->addItems(families);
}

void FormatBar::sync()
{
    syncing_ = true;
    const QTextCharFormat chars = text_->currentCharFormat();
    bold_->setChecked(chars.fontWeight() >= QFont::DemiBold);
    italic_->setChecked(chars.fontItalic());
    underline_->setChecked(chars.fontUnderline());
    bullets_->setChecked(text_->textCursor().currentList() != nullptr);
    const double points =
        chars.fontPointSize() > 0 ? chars.fontPointSize() : text_->document()->defaultFont().pointSizeF();
    fontSize_->setText(QString::number(truncated(points)));
    fontSizeArrows_->setPosition(static_cast<int16_t>(std::clamp(truncated(points), 1, kMaxFontPoints)));
    const QStringList families = chars.fontFamilies().toStringList();
    fontName_->setEditText(families.isEmpty() ? text_->document()->defaultFont().family() : families.first());

    const Qt::Alignment align = text_->alignment() & Qt::AlignHorizontal_Mask;
    QToolButton *down = align & Qt::AlignJustify                       ? nullptr
                        : align & Qt::AlignHCenter                     ? alignCenter_
                        : align & (Qt::AlignRight | Qt::AlignTrailing) ? alignRight_
                                                                       : alignLeft_;
    if (down) {
        for (QToolButton *button : {alignLeft_, alignCenter_, alignRight_})
            button->setChecked(button == down);
    }
    syncing_ = false;
}

void FormatBar::setCharacterStyle(QToolButton *button)
{
    if (syncing_)
        return;
    QTextCharFormat format;
    if (button == bold_)
        format.setFontWeight(button->isChecked() ? QFont::Bold : QFont::Normal);
    else if (button == italic_)
        format.setFontItalic(button->isChecked());
    else
        format.setFontUnderline(button->isChecked());
    mergeFormat(*text_, format);
}

void FormatBar::applyFontSize()
{
    const int size = readNumber(fontSize_->text().toStdString());
    if (syncing_ || size == 0)
        return;
    if (size < 1 || size > kMaxFontPoints) {
        showMessage(window(), window()->windowTitle(),
                    QStringLiteral("The number must be between 1 and %1.").arg(kMaxFontPoints));
        fontSize_->setText(QString::number(size < 1 ? 1 : kMaxFontPoints));  // runs this handler again
        return;
    }
    fontSizeArrows_->setPosition(static_cast<int16_t>(size));
    QTextCharFormat format;
    format.setFontPointSize(size);
    mergeFormat(*text_, format);
}

void FormatBar::applyFontName(int index)
{
    // Typed text that names no font in the list selects nothing: it is left alone.
    if (syncing_ || index < 0)
        return;
    QTextCharFormat format;
    format.setFontFamilies({fontName_->itemText(index)});
    mergeFormat(*text_, format);
}

void FormatBar::align(QToolButton *button)
{
    // One choice, and all three may be up: a click releases the others.
    for (QToolButton *other : {alignLeft_, alignCenter_, alignRight_})
        if (other != button)
            other->setChecked(false);
    if (syncing_)
        return;
    QTextBlockFormat format;
    switch (button->property("tag").toInt()) {
    case AlignRightCode: format.setAlignment(Qt::AlignRight | Qt::AlignAbsolute); break;
    case AlignCenterCode: format.setAlignment(Qt::AlignHCenter); break;
    default: format.setAlignment(Qt::AlignLeft | Qt::AlignAbsolute); break;
    }
    mergeFormat(*text_, format);
    text_->ensureCursorVisible();  // the aligned paragraph comes into view, as it always has
}

void FormatBar::toggleBullets()
{
    if (syncing_)
        return;
    QTextCursor cursor = text_->textCursor();
    if (bullets_->isChecked()) {
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

}  // namespace kaldex::ui
