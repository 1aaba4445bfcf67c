#include "ui/start/InfoWindow.h"

#include "ui/common/MessageTexts.h"
#include "ui/common/Toolkit.h"

#include <QLabel>
#include <QPushButton>
#include <QTabWidget>

namespace kaldex::ui {

InfoWindow::InfoWindow(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form6"));
    setWindowTitle(QStringLiteral("Информация "));
    setFixedSize(546, 267);
    move(224, 185);
    setBackground(this, Qt::white);

    auto *pages = new QTabWidget(this);
    pages->setObjectName(QStringLiteral("PageControl1"));
    pages->setGeometry(-3, -5, 516, 174);
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("TabSheet1"));
    pages->addTab(page, QStringLiteral("Информация"));

    auto *contactLabel = new QLabel(contactText(), page);
    contactLabel->setObjectName(QStringLiteral("Label1"));
    contactLabel->setGeometry(31, 25, 424, 93);
    contactLabel->setWordWrap(true);
    contactLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    contactLabel->setFont(layoutFont(QStringLiteral("Times New Roman"), 27, false, true));

    auto *okButton = new QPushButton(QStringLiteral("OK"), this);
    okButton->setObjectName(QStringLiteral("Button1"));
    okButton->setGeometry(176, 176, 105, 39);
    okButton->setFont(layoutFont(QStringLiteral("MS Sans Serif"), 19));
    okButton->setDefault(true);
    okButton->setFocus();
    connect(okButton, &QPushButton::clicked, this, &InfoWindow::dismiss);
}

void InfoWindow::dismiss()
{
    accept();
}

}  // namespace kaldex::ui
