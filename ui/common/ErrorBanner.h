#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace kaldex::ui {

/** The borderless banner "Ошибки в задании" that a rejected query shows. */
class ErrorBanner : public QDialog {
    Q_OBJECT
public:
    explicit ErrorBanner(QWidget *parent = nullptr);

    QLabel *messageLabel;
    QPushButton *exitButton;

    void dismiss();
};

}  // namespace kaldex::ui
