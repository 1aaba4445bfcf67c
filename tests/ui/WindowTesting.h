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
#include <ostream>

#include <gtest/gtest.h>

// Readable failure messages for the texts windows show.
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
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
