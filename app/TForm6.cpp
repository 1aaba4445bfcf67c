#include "app/TForm6.h"

#include "app/Toolkit.h"

#include <QLabel>
#include <QPushButton>
#include <QTabWidget>

namespace kaldex::ui {

const QString &TForm6::contactText()
{
    static const QString text = QStringLiteral(
        "По вопросам о базе обращайтесь к её хранителю в вашем отделе: лично или служебной запиской.");
    return text;
}

TForm6::TForm6(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form6"));
    setWindowTitle(QStringLiteral("Информация "));
    setFixedSize(546, 267);
    move(224, 185);
    setBackground(this, Qt::white);

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->setGeometry(-3, -5, 516, 174);
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("TabSheet1"));
    PageControl1->addTab(page, QStringLiteral("Информация"));

    Label1 = new QLabel(contactText(), page);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(31, 25, 424, 93);
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label1->setFont(layoutFont(QStringLiteral("Times New Roman"), 27, false, true));

    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(176, 176, 105, 39);
    Button1->setFont(layoutFont(QStringLiteral("MS Sans Serif"), 19));
    Button1->setDefault(true);
    Button1->setFocus();
    connect(Button1, &QPushButton::clicked, this, &TForm6::Button1Click);
}

void TForm6::Button1Click()
{
    accept();
}

}  // namespace kaldex::ui
