#include "viewer/TForm3.h"

#include "app/Messages.h"
#include "app/SpinControl.h"
#include "app/Toolkit.h"
#include "entry/TForm2.h"
#include "store/DocumentStore.h"
#include "viewer/DocumentLayout.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextEdit>

namespace kaldex::ui {

TForm3::TForm3(DocumentStore &store, QWidget *parent)
    : QDialog(parent), store_(store), listBrowsing_(store.foundCount >= 1)
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("Find"));
    setFixedSize(652, 461);
    setFont(layoutFont(QStringLiteral("MS Sans Serif"), 11));
    setBackground(this, palette().color(QPalette::Base));

    auto label = [this](const char *name, const char *caption, QPoint place) {
        auto *text = new QLabel(QString::fromUtf8(caption), this);
        text->setObjectName(QString::fromLatin1(name));
        text->move(place);
        text->adjustSize();
        return text;
    };
    auto edit = [this](const char *name, QRect place) {
        auto *field = new QLineEdit(this);
        field->setObjectName(QString::fromLatin1(name));
        field->setGeometry(place);
        return field;
    };
    auto button = [this](const char *name, const char *caption, QRect place) {
        auto *push = new QPushButton(QString::fromUtf8(caption), this);
        push->setObjectName(QString::fromLatin1(name));
        push->setGeometry(place);
        push->setAutoDefault(false);
        return push;
    };

    RichEdit1 = new QTextEdit(this);
    RichEdit1->setObjectName(QStringLiteral("RichEdit1"));
    RichEdit1->setGeometry(15, 22, 488, 339);
    RichEdit1->setAcceptRichText(false);
    RichEdit1->setTabChangesFocus(true);
    RichEdit1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    RichEdit1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    UpDown1 = new SpinControl(this);
    UpDown1->setObjectName(QStringLiteral("UpDown1"));
    UpDown1->setGeometry(254, 371, 16, 47);
    Edit1 = edit("Edit1", QRect(151, 392, 60, 21));
    Label11 = label("Label11", "Номер док.найденного-", QPoint(127, 364));
    Label12 = label("Label12", "номер док.в базе", QPoint(135, 376));
    Edit4 = edit("Edit4", QRect(32, 392, 60, 21));
    Label13 = label("Label13", "Число найденных", QPoint(16, 360));
    Label14 = label("Label14", "документов", QPoint(24, 376));
    Button2 = button("Button2", "Add", QRect(277, 394, 60, 25));
    Label1 = label("Label1", "Добавить в ", QPoint(277, 362));
    Label4 = label("Label4", "карман", QPoint(277, 377));
    Edit2 = edit("Edit2", QRect(363, 394, 60, 21));
    Label5 = label("Label5", "Число док.", QPoint(363, 364));
    Label6 = label("Label6", "в кармане", QPoint(363, 377));
    Edit3 = edit("Edit3", QRect(449, 394, 60, 21));
    Label7 = label("Label7", "Макс.число", QPoint(449, 364));
    Label8 = label("Label8", "док.в карм.", QPoint(449, 377));
    Button3 = button("Button3", "Change", QRect(514, 232, 70, 25));
    Label2 = label("Label2", "Изменить ", QPoint(520, 200));
    Label3 = label("Label3", "документ", QPoint(520, 216));
    Button5 = button("Button5", "Clear", QRect(514, 290, 70, 20));
    Label9 = label("Label9", "Очистка", QPoint(531, 260));
    Label10 = label("Label10", "кармана", QPoint(531, 273));
    Button1 = button("Button1", "OK", QRect(514, 323, 70, 25));

    setTabChain({Button1, RichEdit1, UpDown1, Edit1, Button2, Button3, Edit2, Edit3, Button5, Edit4});

    Edit2->setText(QString::number(store_.pocketCount));
    Edit3->setText(QString::number(DocumentStore::kShownMaximum));
    if (listBrowsing_) {
        Edit4->setText(QString::number(store_.foundCount));
        ShowDocument(store_.foundList[1]);
        UpDown1->setMinimum(1);
        UpDown1->setMaximum(static_cast<int16_t>(store_.foundCount));
        UpDown1->setPosition(1);
    } else {
        Edit4->setText(QString::number(store_.documentCount));
        ShowDocument(store_.query().wantedNumber);
        UpDown1->setMinimum(1);
        UpDown1->setMaximum(static_cast<int16_t>(store_.documentCount));
        UpDown1->setPosition(static_cast<int16_t>(store_.query().wantedNumber));
    }
    showPosition();
    Button1->setFocus();

    connect(UpDown1, &SpinControl::clicked, this, &TForm3::UpDown1Click);
    connect(Button1, &QPushButton::clicked, this, &TForm3::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm3::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TForm3::Button3Click);
    connect(Button5, &QPushButton::clicked, this, &TForm3::Button5Click);
    centerOnScreen(this);
}

const QString &TForm3::pocketFullText()
{
    static const QString text =
        QStringLiteral("Карман полон: в нём уже %1 документов. Очистите карман, чтобы добавлять новые.")
            .arg(DocumentStore::kMaxPocket);
    return text;
}

void TForm3::ShowDocument(int slot)
{
    const std::vector<std::string> lines = layoutDocument(store_.record(slot), slot);
    QString text;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i)
            text += QLatin1Char('\n');
        text += fromCp1251(lines[i]);
    }
    RichEdit1->setPlainText(text);
}

int TForm3::currentSlot() const
{
    const int position = UpDown1->position();
    return listBrowsing_ ? store_.foundList[static_cast<size_t>(position)] : position;
}

void TForm3::showPosition()
{
    Edit1->setText(QStringLiteral("%1-%2").arg(UpDown1->position()).arg(store_.record(currentSlot()).number));
}

void TForm3::UpDown1Click()
{
    showPosition();
    ShowDocument(currentSlot());
}

void TForm3::Button1Click()
{
    accept();
}

void TForm3::Button2Click()
{
    if (store_.pocketCount >= DocumentStore::kMaxPocket) {
        showMessage(this, QStringLiteral("Find"), pocketFullText());
        return;
    }
    store_.pocket[static_cast<size_t>(++store_.pocketCount)] = currentSlot();
    Edit2->setText(QString::number(store_.pocketCount));
}

void TForm3::Button3Click()
{
    // The slot on show, not its stored number: in a hand-edited file that
    // can name another document, or be 0 and ask for a new one.
    store_.changeNumber = currentSlot();
    {
        TForm2 entry(store_, this);
        entry.exec();
    }
    ShowDocument(store_.changeNumber);
}

void TForm3::Button5Click()
{
    store_.pocketCount = 0;
    Edit2->setText(QStringLiteral("0"));
}

}  // namespace kaldex::ui
