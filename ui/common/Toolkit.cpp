#include "ui/common/Toolkit.h"

#include <QAbstractTextDocumentLayout>
#include <QGuiApplication>
#include <QScreen>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextLayout>
#include <QWidget>

namespace kaldex::ui {

QStringList displayedLines(QTextEdit *edit)
{
    QTextDocument *document = edit->document();
    document->setTextWidth(edit->viewport()->width());
    document->documentLayout()->documentSize();  // lays every paragraph out
    QStringList lines;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        const QTextLayout *layout = block.layout();
        const QString text = block.text();
        if (!layout || layout->lineCount() == 0) {
            lines << text;
            continue;
        }
        for (int i = 0; i < layout->lineCount(); ++i) {
            QTextLine line = layout->lineAt(i);
            lines << text.mid(line.textStart(), line.textLength());
        }
    }
    return lines;
}

QFont layoutFont(const QString &family, int pixelSize, bool bold, bool italic)
{
    QFont font(family);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

void centerOnScreen(QWidget *window)
{
    QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect area = screen->availableGeometry();
    window->move(area.center() - QPoint(window->width() / 2, window->height() / 2));
}

void setBackground(QWidget *window, const QColor &colour)
{
    QPalette background = window->palette();
    background.setColor(QPalette::Window, colour);
    window->setPalette(background);
    window->setAutoFillBackground(true);
}

void setTabChain(std::initializer_list<QWidget *> chain)
{
    QWidget *previous = nullptr;
    for (QWidget *widget : chain) {
        if (previous)
            QWidget::setTabOrder(previous, widget);
        previous = widget;
    }
}

}  // namespace kaldex::ui
