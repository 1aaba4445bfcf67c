#pragma once

// Small aids for driving windows on the offscreen platform, and the widget
// headers that the window tests use.

#include "TestFiles.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStringList>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>
#include <QtTest/QTest>

#include <filesystem>
#include <functional>
#include <memory>
#include <ostream>
#include <type_traits>

#include <gtest/gtest.h>

// Readable failure messages for the texts windows show.
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QPoint &point, std::ostream *out)
{
    *out << '(' << point.x() << ", " << point.y() << ')';
}
inline void PrintTo(const QSize &size, std::ostream *out)
{
    *out << size.width() << " x " << size.height();
}

namespace kaldex::test {

/** Runs the test in a fresh working directory, as "./run" runs the program in data/. */
class InDirectory {
public:
    InDirectory() : previous_(std::filesystem::current_path()) { std::filesystem::current_path(dir.path()); }
    ~InDirectory() { std::filesystem::current_path(previous_); }
    TempDir dir;

private:
    std::filesystem::path previous_;
};

/**
 * The control of window with the layout name (its object name). A missing
 * control ends the test program, naming it, rather than crash further on.
 */
template <typename T> T *child(const QWidget *window, const char *name)
{
    T *found = window->findChild<T *>(QString::fromLatin1(name));
    if (!found)
        qFatal("%s has no %s named %s", qPrintable(window->objectName()), T::staticMetaObject.className(), name);
    return found;
}

/** A control as its window's layout gives it; an empty width or height is not checked. */
struct Control {
    const char *name;
    const char *text;  // the caption or content; nullptr where the layout leaves it open
    QRect place;
};

/** Each control of a window's layout table, at its place with its text. */
inline void expectLayout(const QWidget *window, std::initializer_list<Control> layout)
{
    for (const Control &control : layout) {
        SCOPED_TRACE(control.name);
        const QWidget *widget = child<QWidget>(window, control.name);
        EXPECT_EQ(widget->pos(), control.place.topLeft());
        if (control.place.width() > 0) {
            EXPECT_EQ(widget->width(), control.place.width());
        }
        if (control.place.height() > 0) {
            EXPECT_EQ(widget->height(), control.place.height());
        }
        if (control.text) {
            EXPECT_EQ(widget->property("text").toString(), QString::fromUtf8(control.text));
        }
    }
}

/**
 * The fixture of one window's tests: the store, and the window made over it
 * by open() once the test has set the store up, as the window's opener would.
 */
template <typename Window> class WindowTest : public testing::Test {
protected:
    Window &open()
    {
        window_.reset();
        if constexpr (std::is_constructible_v<Window, DocumentStore &>)
            window_ = std::make_unique<Window>(*store);
        else
            window_ = std::make_unique<Window>();
        return *window_;
    }
    /** The open window's control by its layout name. */
    template <typename T> T *child(const char *name) { return test::child<T>(window_.get(), name); }

    std::unique_ptr<DocumentStore> store = std::make_unique<DocumentStore>();

private:
    std::unique_ptr<Window> window_;
};

/** Calls inspect on the next window shown modally, then closes it if inspect did not. */
inline void onNextModal(std::function<void(QWidget *)> inspect)
{
    QTimer::singleShot(0, [inspect] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        inspect(modal);
        auto *dialog = qobject_cast<QDialog *>(modal);
        if (dialog && dialog->isVisible())
            dialog->reject();
    });
}

/** The lines of a list box. */
inline QStringList items(const QListWidget *list)
{
    QStringList lines;
    for (int i = 0; i < list->count(); ++i)
        lines << list->item(i)->text();
    return lines;
}

/**
 * Shows the window, puts the focus on first and presses Tab count times:
 * the object names of the widgets the focus visits, first included, joined by spaces.
 */
inline QString tabOrder(QWidget *window, QWidget *first, int count)
{
    window->show();
    QApplication::setActiveWindow(window);
    if (!QTest::qWaitForWindowActive(window))
        return QStringLiteral("window never became active");
    first->setFocus();
    QStringList order;
    for (int i = 0; i < count; ++i) {
        QWidget *focused = QApplication::focusWidget();
        order << (focused ? focused->objectName() : QStringLiteral("nothing"));
        if (!focused)
            break;
        QTest::keyClick(focused, Qt::Key_Tab);
    }
    return order.join(QLatin1Char(' '));
}

}  // namespace kaldex::test
