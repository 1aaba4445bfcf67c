#include "ui/entry/KeywordHelp.h"

#include "ui/common/Toolkit.h"
#include "ui/help/HelpWindow.h"

#include <QListWidget>
#include <QPushButton>

namespace kaldex::ui {

KeywordHelp::KeywordHelp(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QStringLiteral("Ключевые слова"));
    resize(648, 460);
    move(61, 105);
    setFont(layoutFont(QStringLiteral("MS Sans Serif"), 11));
    setBackground(this, QColor(128, 128, 255));

    auto *keywordList = new QListWidget(this);
    keywordList->setObjectName(QStringLiteral("ListBox1"));
    keywordList->setGeometry(24, 33, 601, 336);
    keywordList->setTextElideMode(Qt::ElideNone);
    for (const QString &line : {QStringLiteral(" D,TD,Vi,P,B       Диффузия,Термодиффузия,вязкость"),
                                QStringLiteral("    Вещества"), QStringLiteral(" Ar,Ne,Kr,")}) {
        auto *item = new QListWidgetItem(line, keywordList);
        item->setSizeHint(QSize(0, 13));
    }

    auto *closeButton = new QPushButton(QStringLiteral("Button1"), this);
    closeButton->setObjectName(QStringLiteral("Button1"));
    closeButton->setGeometry(277, 393, 60, 21);
    closeButton->setDefault(true);
    connect(closeButton, &QPushButton::clicked, this, &KeywordHelp::dismiss);
    addHelpKey(this, kKeywordHelp);
}

void KeywordHelp::dismiss()
{
    accept();
}

}  // namespace kaldex::ui
