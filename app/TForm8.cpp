#include "app/TForm8.h"

#include "app/Toolkit.h"

#include <QLabel>
#include <QPushButton>

namespace kaldex::ui {

TForm8::TForm8(QWidget *parent) : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("Form8"));
    setFixedSize(502, 64);
    move(220, 202);

    Label1 = new QLabel(QStringLiteral("Ошибки в задании"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setFont(layoutFont(QStringLiteral("Times New Roman"), 48));
    QPalette red = Label1->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    Label1->setPalette(red);
    Label1->move(10, -2);
    Label1->adjustSize();

    Button1 = new QPushButton(QStringLiteral("Выход"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(413, 18, 75, 25);
    Button1->setFont(layoutFont(QStringLiteral("MS Sans Serif"), 19));
    Button1->setDefault(true);
    Button1->setFocus();
    connect(Button1, &QPushButton::clicked, this, &TForm8::Button1Click);
}

void TForm8::Button1Click()
{
    accept();
}

}  // namespace kaldex::ui
