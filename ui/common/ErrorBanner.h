#pragma once

#include <QDialog>

namespace kaldex::ui {

/** The borderless banner "Ошибки в задании" that a rejected query shows. */
class ErrorBanner : public QDialog {
    Q_OBJECT
public:
    explicit ErrorBanner(QWidget *parent = nullptr);

private:
    void dismiss();  // "Выход"
};

}  // namespace kaldex::ui
