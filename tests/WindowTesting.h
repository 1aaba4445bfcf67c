#pragma once

// Small aids for driving windows on the offscreen platform.

#include "TestFiles.h"

#include <QApplication>
#include <QDialog>
#include <QStringList>
#include <QTimer>
#include <QtTest/QTest>

#include <filesystem>
#include <functional>
#include <ostream>

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

/**
 * Shows the window, puts the focus on first and presses Tab count times:
 * the object names of the widgets the focus visits, first included.
 */
inline QStringList tabOrder(QWidget *window, QWidget *first, int count)
{
    window->show();
    QApplication::setActiveWindow(window);
    if (!QTest::qWaitForWindowActive(window))
        return {QStringLiteral("window never became active")};
    first->setFocus();
    QStringList order;
    for (int i = 0; i < count; ++i) {
        QWidget *focused = QApplication::focusWidget();
        order << (focused ? focused->objectName() : QStringLiteral("nothing"));
        if (!focused)
            break;
        QTest::keyClick(focused, Qt::Key_Tab);
    }
    return order;
}

}  // namespace kaldex::test
