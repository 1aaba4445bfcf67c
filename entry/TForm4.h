#pragma once

#include <QDialog>

class QListWidget;
class QPushButton;

namespace kaldex::ui {

/** The key-word help: the abbreviations used for subjects and substances. */
class TForm4 : public QDialog {
    Q_OBJECT
public:
    explicit TForm4(QWidget *parent = nullptr);

    QListWidget *ListBox1;
    QPushButton *Button1;

    void Button1Click();
};

}  // namespace kaldex::ui
