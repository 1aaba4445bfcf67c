#pragma once

#include <QApplication>

namespace kaldex::ui {

/** Shows a failure raised inside any event handler and goes on running. */
class KaldexApplication : public QApplication {
public:
    KaldexApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;
};

}  // namespace kaldex::ui
