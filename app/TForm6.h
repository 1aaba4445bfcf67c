#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class QTabWidget;

namespace kaldex::ui {

/** The information window: whom to ask about the database. */
class TForm6 : public QDialog {
    Q_OBJECT
public:
    explicit TForm6(QWidget *parent = nullptr);

    static const QString &contactText();

    QTabWidget *PageControl1;
    QLabel *Label1;
    QPushButton *Button1;

    void Button1Click();
};

}  // namespace kaldex::ui
