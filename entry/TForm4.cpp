#include "entry/TForm4.h"

#include "app/Toolkit.h"

#include <QListWidget>
#include <QPushButton>

namespace kaldex::ui {

TForm4::TForm4(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QStringLiteral("Ключевые слова"));
    resize(648, 460);
    move(61, 105);
    setFont(layoutFont(QStringLiteral("MS Sans Serif"), 11));
    setBackground(this, QColor(128, 128, 255));

    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox1->setGeometry(24, 33, 601, 336);
    ListBox1->setTextElideMode(Qt::ElideNone);
    for (const QString &line : {QStringLiteral(" D,TD,Vi,P,B       Диффузия,Термодиффузия,вязкость"),
                                QStringLiteral("    Вещества"), QStringLiteral(" Ar,Ne,Kr,")}) {
        auto *item = new QListWidgetItem(line, ListBox1);
        item->setSizeHint(QSize(0, 13));
    }

    Button1 = new QPushButton(QStringLiteral("Button1"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(277, 393, 60, 21);
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &TForm4::Button1Click);
}

void TForm4::Button1Click()
{
    accept();
}

}  // namespace kaldex::ui
