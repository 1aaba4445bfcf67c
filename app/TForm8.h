#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace kaldex::ui {

/** The borderless banner "Ошибки в задании" that a rejected query shows. */
class TForm8 : public QDialog {
    Q_OBJECT
public:
    explicit TForm8(QWidget *parent = nullptr);

    QLabel *Label1;
    QPushButton *Button1;

    void Button1Click();
};

}  // namespace kaldex::ui
