#pragma once

#include <QApplication>

namespace kaldex::ui {

/** Whether the event was Enter on a focused push button, which it then pressed. */
bool pressesFocusedButton(QObject *receiver, QEvent *event);

/** Shows a failure raised inside any event handler and goes on running. */
class KaldexApplication : public QApplication {
public:
    KaldexApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;
};

}  // namespace kaldex::ui
