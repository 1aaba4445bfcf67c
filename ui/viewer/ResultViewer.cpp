#include "ui/viewer/ResultViewer.h"

#include "core/layout/DocumentLayout.h"
#include "core/store/DocumentStore.h"
#include "ui/common/MessageTexts.h"
#include "ui/common/Messages.h"
#include "ui/common/SpinControl.h"
#include "ui/common/Toolkit.h"
#include "ui/entry/EntryWindow.h"
#include "ui/help/HelpWindow.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextEdit>

namespace kaldex::ui {

ResultViewer::ResultViewer(DocumentStore &store, QWidget *parent)
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

    documentText_ = new QTextEdit(this);
    documentText_->setObjectName(QStringLiteral("RichEdit1"));
    documentText_->setGeometry(15, 22, 488, 339);
    documentText_->setAcceptRichText(false);
    documentText_->setTabChangesFocus(true);
    documentText_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    documentText_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    pager_ = new SpinControl(this);
    pager_->setObjectName(QStringLiteral("UpDown1"));
    pager_->setGeometry(254, 371, 16, 47);
    positionField_ = edit("Edit1", QRect(151, 392, 60, 21));
    label("Label11", "Номер док.найденного-", QPoint(127, 364));
    label("Label12", "номер док.в базе", QPoint(135, 376));
    auto *foundCountField = edit("Edit4", QRect(32, 392, 60, 21));
    label("Label13", "Число найденных", QPoint(16, 360));
    label("Label14", "документов", QPoint(24, 376));
    auto *addButton = button("Button2", "Add", QRect(277, 394, 60, 25));
    label("Label1", "Добавить в ", QPoint(277, 362));
    label("Label4", "карман", QPoint(277, 377));
    pocketCountField_ = edit("Edit2", QRect(363, 394, 60, 21));
    label("Label5", "Число док.", QPoint(363, 364));
    label("Label6", "в кармане", QPoint(363, 377));
    auto *pocketMaximumField = edit("Edit3", QRect(449, 394, 60, 21));
    label("Label7", "Макс.число", QPoint(449, 364));
    label("Label8", "док.в карм.", QPoint(449, 377));
    auto *changeButton = button("Button3", "Change", QRect(514, 232, 70, 25));
    label("Label2", "Изменить ", QPoint(520, 200));
    label("Label3", "документ", QPoint(520, 216));
    auto *clearButton = button("Button5", "Clear", QRect(514, 290, 70, 20));
    label("Label9", "Очистка", QPoint(531, 260));
    label("Label10", "кармана", QPoint(531, 273));
    auto *okButton = button("Button1", "OK", QRect(514, 323, 70, 25));

    setTabChain({okButton, documentText_, pager_, positionField_, addButton, changeButton, pocketCountField_,
                 pocketMaximumField, clearButton, foundCountField});

    pocketCountField_->setText(QString::number(store_.pocketCount));
    pocketMaximumField->setText(QString::number(DocumentStore::kShownMaximum));
    if (listBrowsing_) {
        foundCountField->setText(QString::number(store_.foundCount));
        showDocument(store_.foundList[1]);
        pager_->setMinimum(1);
        pager_->setMaximum(static_cast<int16_t>(store_.foundCount));
        pager_->setPosition(1);
    } else {
        foundCountField->setText(QString::number(store_.documentCount));
        showDocument(store_.query().wantedNumber);
        pager_->setMinimum(1);
        pager_->setMaximum(static_cast<int16_t>(store_.documentCount));
        pager_->setPosition(static_cast<int16_t>(store_.query().wantedNumber));
    }
    showPosition();
    okButton->setFocus();

    connect(pager_, &SpinControl::clicked, this, &ResultViewer::turnPage);
    connect(okButton, &QPushButton::clicked, this, &ResultViewer::leave);
    connect(addButton, &QPushButton::clicked, this, &ResultViewer::addToPocket);
    connect(changeButton, &QPushButton::clicked, this, &ResultViewer::changeDocument);
    connect(clearButton, &QPushButton::clicked, this, &ResultViewer::clearPocket);
    centerOnScreen(this);
    addHelpKey(this, kViewerHelp);
}

void ResultViewer::showDocument(int slot)
{
    const std::vector<std::string> lines = layoutDocument(store_.record(slot), slot);
    QString text;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i)
            text += QLatin1Char('\n');
        text += fromCp1251(lines[i]);
    }
    documentText_->setPlainText(text);
}

int ResultViewer::currentSlot() const
{
    const int position = pager_->position();
    return listBrowsing_ ? store_.foundList[static_cast<size_t>(position)] : position;
}

void ResultViewer::showPosition()
{
    positionField_->setText(QStringLiteral("%1-%2").arg(pager_->position()).arg(store_.record(currentSlot()).number));
}

void ResultViewer::turnPage()
{
    showPosition();
    showDocument(currentSlot());
}

void ResultViewer::leave()
{
    accept();
}

void ResultViewer::addToPocket()
{
    if (store_.pocketCount >= DocumentStore::kMaxPocket) {
        showMessage(this, QStringLiteral("Find"), pocketFullText());
        return;
    }
    store_.pocket[static_cast<size_t>(++store_.pocketCount)] = currentSlot();
    pocketCountField_->setText(QString::number(store_.pocketCount));
}

void ResultViewer::changeDocument()
{
    // The slot on show, not its stored number: in a hand-edited file that
    // can name another document, or be 0 and ask for a new one.
    store_.changeNumber = currentSlot();
    {
        EntryWindow entry(store_, this);
        entry.exec();
    }
    showDocument(store_.changeNumber);
}

void ResultViewer::clearPocket()
{
    store_.pocketCount = 0;
    pocketCountField_->setText(QStringLiteral("0"));
}

}  // namespace kaldex::ui
