#include "ui/common/ErrorBanner.h"

#include "ui/common/Toolkit.h"

#include <QLabel>
#include <QPushButton>

namespace kaldex::ui {

ErrorBanner::ErrorBanner(QWidget *parent) : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("Form8"));
    setFixedSize(502, 64);
    move(220, 202);

    auto *messageLabel = new QLabel(QStringLiteral("Ошибки в задании"), this);
    messageLabel->setObjectName(QStringLiteral("Label1"));
    messageLabel->setFont(layoutFont(QStringLiteral("Times New Roman"), 48));
    QPalette red = messageLabel->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    messageLabel->setPalette(red);
    messageLabel->move(10, -2);
    messageLabel->adjustSize();

    auto *exitButton = new QPushButton(QStringLiteral("Выход"), this);
    exitButton->setObjectName(QStringLiteral("Button1"));
    exitButton->setGeometry(413, 18, 75, 25);
    exitButton->setFont(layoutFont(QStringLiteral("MS Sans Serif"), 19));
    exitButton->setDefault(true);
    exitButton->setFocus();
    connect(exitButton, &QPushButton::clicked, this, &ErrorBanner::dismiss);
}

void ErrorBanner::dismiss()
{
    accept();
}

}  // namespace kaldex::ui
