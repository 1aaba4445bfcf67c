#include "ui/search/SearchWindow.h"

#include "core/query/Query.h"
#include "core/store/DatabaseWriter.h"
#include "core/store/FileBytes.h"
#include "ui/common/ErrorBanner.h"
#include "ui/common/MessageTexts.h"
#include "ui/common/Messages.h"
#include "ui/common/Toolkit.h"
#include "ui/editor/PocketEditor.h"
#include "ui/entry/EntryWindow.h"
#include "ui/help/HelpWindow.h"
#include "ui/viewer/ResultViewer.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

#include <array>
#include <cerrno>

namespace kaldex::ui {
namespace {

const QStringList kBanner = {
    QStringLiteral("               ЛАНТЕР"),
    QStringLiteral("Библиографическая БД KALDEX по"),
    QStringLiteral(" транспортным свойствам смесей "),
    QStringLiteral("разреженных нейтральных газов и"),
    QStringLiteral(" потенциалам взаимодействия их") + QString(35, QLatin1Char(' ')),
    QStringLiteral("                компонентов."),
    QString(),
    QStringLiteral("   "),
};

const QStringList kLegend = {
    QStringLiteral("Other- другое"),
    QStringLiteral("Visc-вязкость"),
    QStringLiteral("Cond-теплопроводность"),
    QStringLiteral("TDF-термодиффузия"),
    QStringLiteral("Dif-диффузия"),
    QStringLiteral("Pot-потенциал"),
    QStringLiteral("Vir-вириальные коэффициенты"),
    QStringLiteral("Beam-молекулярные  пучки"),
    QStringLiteral("Spectr-спектроскопия"),
    QStringLiteral("The-теория"),
    QStringLiteral("Exp-экспермеримент"),
    QStringLiteral("N- поиск по номеру документа"),
    QStringLiteral("Sub1+Sub2- поиск по двум "),
    QStringLiteral("или одному веществам "),
    QStringLiteral("Aut-фамилия одного из авторов"),
    QStringLiteral("Y<=,Y>= - поиск по году издания"),
};

}  // namespace

SearchWindow::SearchWindow(DocumentStore &store, QWidget *parent) : QDialog(parent), store_(store)
{
    setObjectName(QStringLiteral("base"));
    setWindowTitle(QStringLiteral("base"));
    setFixedSize(653, 530);
    setFont(layoutFont(QStringLiteral("MS Sans Serif"), 11));
    setBackground(this, palette().color(QPalette::Base));

    auto name = [](QWidget *widget, const char *objectName, QRect place) {
        widget->setObjectName(QString::fromLatin1(objectName));
        widget->setGeometry(place);
    };
    auto check = [&](const char *objectName, const char *caption, QRect place) {
        auto *box = new QCheckBox(QString::fromUtf8(caption), this);
        name(box, objectName, place);
        return box;
    };
    auto edit = [&](const char *objectName, QRect place) {
        auto *field = new QLineEdit(this);
        name(field, objectName, place);
        return field;
    };
    auto label = [&](const char *objectName, const char *caption, QRect place) {
        auto *text = new QLabel(QString::fromUtf8(caption), this);
        name(text, objectName, place);
        return text;
    };
    auto button = [&](const char *objectName, const char *caption, QRect place) {
        auto *push = new QPushButton(QString::fromUtf8(caption), this);
        name(push, objectName, place);
        push->setAutoDefault(false);
        return push;
    };
    auto frame = [&](const char *objectName, QRect place) {
        auto *bevel = new QFrame(this);
        bevel->setFrameStyle(QFrame::Box | QFrame::Sunken);
        name(bevel, objectName, place);
        bevel->lower();
        return bevel;
    };
    auto list = [&](const char *objectName, QRect place, const QStringList &lines) {
        auto *box = new QListWidget(this);
        name(box, objectName, place);
        box->setSelectionMode(QAbstractItemView::NoSelection);
        box->setTextElideMode(Qt::ElideNone);
        for (const QString &line : lines) {
            auto *item = new QListWidgetItem(line, box);
            item->setSizeHint(QSize(0, 19));
        }
        box->setFont(layoutFont(QStringLiteral("Times New Roman"), 16));
        return box;
    };

    auto *bannerList = list("ListBox1", QRect(12, 57, 301, 120), kBanner);
    frame("Bevel1", QRect(29, 8, 383, 50));
    auto *otherKey = check("CheckBox16", "Other", QRect(42, 12, 50, 16));
    auto *viscosityKey = check("CheckBox3", "Visc", QRect(106, 12, 40, 17));
    auto *conductivityKey = check("CheckBox4", "Cond", QRect(170, 12, 48, 17));
    auto *thermalDiffusionKey = check("CheckBox5", "TDF", QRect(234, 12, 42, 17));
    auto *diffusionKey = check("CheckBox9", "Dif", QRect(298, 12, 48, 17));
    auto *potentialKey = check("CheckBox10", "Pot", QRect(362, 12, 46, 17));
    auto *virialKey = check("CheckBox6", "Vir", QRect(106, 37, 41, 17));
    auto *beamKey = check("CheckBox7", "Beam", QRect(170, 37, 48, 17));
    auto *spectroscopyKey = check("CheckBox8", "Spectr", QRect(234, 37, 56, 17));
    auto *theoryKey = check("CheckBox11", "The", QRect(298, 37, 40, 17));
    auto *experimentKey = check("CheckBox12", "Exp", QRect(362, 37, 48, 17));
    auto *textFragmentLabel = label("Label9", "Поиск по тексту в окне дополнительные сведения", QRect(9, 192, 210, 26));
    textFragmentLabel->setWordWrap(true);
    textFragmentField_ = edit("Edit11", QRect(240, 192, 100, 21));
    byNumberBox_ = check("CheckBox1", "N", QRect(145, 222, 42, 17));
    numberField_ = edit("Edit6", QRect(240, 219, 100, 21));
    bySubstancesBox_ = check("CheckBox2", "Sub1+Sub2", QRect(145, 251, 81, 17));
    firstSubstanceField_ = edit("Edit4", QRect(240, 243, 100, 21));
    secondSubstanceField_ = edit("Edit5", QRect(240, 267, 100, 21));
    byAuthorBox_ = check("CheckBox13", "Aut", QRect(145, 307, 40, 17));
    authorPrefixField_ = edit("Edit1", QRect(240, 307, 100, 21));
    byUpperYearBox_ = check("CheckBox14", "Y<=", QRect(145, 339, 40, 17));
    upperYearField_ = edit("Edit2", QRect(240, 339, 100, 21));
    byLowerYearBox_ = check("CheckBox15", "Y>=", QRect(145, 371, 48, 17));
    lowerYearField_ = edit("Edit3", QRect(240, 371, 100, 21));
    auto *findButton = button("Button6", "Find", QRect(271, 414, 58, 25));
    messageList_ = list("ListBox2", QRect(47, 446, 189, 25), {});
    messageList_->setFont(font());
    frame("Bevel4", QRect(32, 224, 97, 50));
    label("Label2", "Кол.док.", QRect(55, 224, 43, 13));
    documentCountField_ = edit("Edit7", QRect(51, 240, 60, 21));
    documentCountField_->setReadOnly(true);
    label("Label1", "Добавление ", QRect(45, 283, 66, 13));
    auto *addButton = button("add", "Add", QRect(51, 299, 60, 25));
    auto *okButton = button("Button9", "OK", QRect(51, 335, 60, 25));
    okButton->setFont(layoutFont(QStringLiteral("Times New Roman"), 15));
    frame("Bevel2", QRect(456, 4, 177, 33));
    label("Label3", "Макс.чис.док.в базе", QRect(460, 14, 104, 13));
    auto *storeMaximumField = edit("Edit8", QRect(570, 11, 49, 21));
    frame("Bevel3", QRect(417, 42, 217, 33));
    label("Label4", "Макс.число док.в кармане", QRect(424, 50, 136, 13));
    auto *pocketMaximumField = edit("Edit9", QRect(567, 49, 49, 21));
    label("Label5", "Число док.в кармане", QRect(431, 80, 109, 13));
    pocketCountField_ = edit("Edit10", QRect(573, 80, 49, 21));
    label("Label6", "Очистка кармана", QRect(441, 108, 89, 13));
    auto *clearButton = button("Button4", "Clear", QRect(566, 104, 65, 20));
    label("Label7", "Просмотр кармармана", QRect(429, 134, 118, 13));
    auto *viewButton = button("Button2", "View ", QRect(567, 126, 65, 25));
    auto *legendList = list("ListBox4", QRect(347, 156, 292, 314), kLegend);

    categoryKeys_ = {otherKey,  viscosityKey, conductivityKey, thermalDiffusionKey, diffusionKey, potentialKey,
                     virialKey, beamKey,      spectroscopyKey, theoryKey,           experimentKey};
    static_assert(std::tuple_size_v<decltype(categoryKeys_)> == kCategoryCount);

    documentCountField_->setText(QString::number(store_.documentCount));
    documentCountField_->setToolTip(databaseText(store_.database));
    storeMaximumField->setText(QString::number(DocumentStore::kShownMaximum));
    pocketMaximumField->setText(QString::number(DocumentStore::kShownMaximum));
    pocketCountField_->setText(QString::number(store_.pocketCount));

    setTabChain({bannerList,
                 addButton,
                 firstSubstanceField_,
                 secondSubstanceField_,
                 authorPrefixField_,
                 upperYearField_,
                 lowerYearField_,
                 findButton,
                 numberField_,
                 viscosityKey,
                 conductivityKey,
                 thermalDiffusionKey,
                 virialKey,
                 beamKey,
                 byNumberBox_,
                 bySubstancesBox_,
                 spectroscopyKey,
                 diffusionKey,
                 potentialKey,
                 theoryKey,
                 experimentKey,
                 legendList,
                 byAuthorBox_,
                 byUpperYearBox_,
                 byLowerYearBox_,
                 otherKey,
                 okButton,
                 documentCountField_,
                 storeMaximumField,
                 pocketMaximumField,
                 pocketCountField_,
                 viewButton,
                 messageList_,
                 clearButton,
                 textFragmentField_});
    bannerList->setFocus();

    connect(addButton, &QPushButton::clicked, this, &SearchWindow::addDocument);
    connect(findButton, &QPushButton::clicked, this, &SearchWindow::find);
    // Enter in a field the search reads runs it, as "Find" does.
    for (QLineEdit *field : {textFragmentField_, numberField_, firstSubstanceField_, secondSubstanceField_,
                             authorPrefixField_, upperYearField_, lowerYearField_})
        connect(field, &QLineEdit::returnPressed, this, &SearchWindow::find);
    addHelpKey(this, kSearchHelp);
    connect(viewButton, &QPushButton::clicked, this, &SearchWindow::showPocket);
    connect(clearButton, &QPushButton::clicked, this, &SearchWindow::clearPocket);
    connect(okButton, &QPushButton::clicked, this, &SearchWindow::saveAndClose);
    centerOnScreen(this);
}

void SearchWindow::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (store_.loadOverflow && !warnedOverflow_) {
        warnedOverflow_ = true;
        QTimer::singleShot(0, this,
                           [this] { showMessage(this, QStringLiteral("KALDEX"), overflowText(store_.overflowLine)); });
    }
}

void SearchWindow::closeEvent(QCloseEvent *event)
{
    if (!store_.modified) {
        event->accept();
        return;
    }
    switch (askQuestion(this, QStringLiteral("KALDEX"), unsavedQuestion())) {
    case Answer::Yes:
        if (save())
            event->accept();
        else
            event->ignore();
        break;
    case Answer::No: event->accept(); break;
    case Answer::Cancel: event->ignore(); break;
    }
}

void SearchWindow::keyPressEvent(QKeyEvent *event)
{
    // Escape would drop the window without saving; only "OK" or the title bar leave it.
    if (event->key() == Qt::Key_Escape)
        return;
    QDialog::keyPressEvent(event);
}

bool SearchWindow::readQuery(QueryInput &input)
{
    for (size_t i = 0; i < categoryKeys_.size(); ++i)
        input.categories[i] = categoryKeys_[i]->isChecked();
    input.byNumber = byNumberBox_->isChecked();
    input.bySubstances = bySubstancesBox_->isChecked();
    input.byAuthor = byAuthorBox_->isChecked();
    input.byUpperYear = byUpperYearBox_->isChecked();
    input.byLowerYear = byLowerYearBox_->isChecked();

    // A number lookup reads the number alone; otherwise the ticked criteria
    // and the text fragment are read. A field the search does not read
    // cannot make it fail.
    const bool all = !input.byNumber;
    const struct {
        QLineEdit *edit;
        std::string *text;
        bool read;
    } fields[] = {{numberField_, &input.number, input.byNumber},
                  {firstSubstanceField_, &input.substance1, all && input.bySubstances},
                  {secondSubstanceField_, &input.substance2, all && input.bySubstances},
                  {authorPrefixField_, &input.author, all && input.byAuthor},
                  {upperYearField_, &input.upperYear, all && input.byUpperYear},
                  {lowerYearField_, &input.lowerYear, all && input.byLowerYear},
                  {textFragmentField_, &input.text, all}};
    for (const auto &[edit, text, read] : fields) {
        QString bad;
        if (!toCp1251(edit->text(), *text, &bad) && !read) {
            text->clear();
        } else if (!bad.isEmpty()) {
            showMessage(this, QStringLiteral("base"),
                        QStringLiteral("Символ «%1» нельзя искать: база хранит только символы кодировки "
                                       "Windows-1251.")
                            .arg(bad));
            edit->setFocus();
            return false;
        }
    }
    return true;
}

void SearchWindow::addMessage(const QString &line)
{
    messageList_->addItem(line);
    messageList_->scrollToBottom();  // the box shows one line: let it be the newest
}

void SearchWindow::find()
{
    QueryInput input;
    if (!readQuery(input))
        return;
    addMessage(QStringLiteral(" "));
    if (clearsMessages(input))
        messageList_->clear();

    const QueryOutcome outcome = runQuery(store_, input);
    switch (outcome) {
    case QueryOutcome::Rejected: {
        ErrorBanner banner(this);
        banner.exec();
        break;
    }
    case QueryOutcome::Found:
    case QueryOutcome::NumberFound: {
        ResultViewer viewer(store_, this);
        viewer.exec();
        pocketCountField_->setText(QString::number(store_.pocketCount));
        break;
    }
    default: addMessage(fromCp1251(outcomeMessage(outcome))); break;
    }
}

bool SearchWindow::saveToSideFile()
{
    const std::string name = saveSessionDocuments(store_, store_.database.folder, LocalDate::today());
    if (name.empty()) {
        showMessage(this, QStringLiteral("KALDEX"),
                    QStringLiteral("Не удалось записать документы сеанса в отдельный файл: %1. Окно поиска "
                                   "остаётся открытым, введённые документы не потеряны.")
                        .arg(systemErrorText(errno)));
        return false;
    }
    store_.modified = 0;
    showMessage(this, QStringLiteral("KALDEX"), sideFileText(QString::fromStdString(name), store_.database));
    return true;
}

void SearchWindow::addDocument()
{
    if (store_.documentCount >= DocumentStore::kMaxDocuments) {
        showMessage(this, QStringLiteral("base"), storeFullText());
        return;
    }
    store_.changeNumber = 0;
    {
        EntryWindow entry(store_, this);
        entry.exec();
    }
    documentCountField_->setText(QString::number(store_.documentCount));
}

void SearchWindow::showPocket()
{
    PocketEditor editor(store_, this);
    editor.exec();
}

void SearchWindow::clearPocket()
{
    store_.pocketCount = 0;
    pocketCountField_->setText(QStringLiteral("0"));
}

void SearchWindow::saveAndClose()
{
    if (save())
        accept();
}

bool SearchWindow::save()
{
    SaveResult result = saveDatabaseAs(store_, store_.database.folder, store_.database.name, LocalDate::today());
    const QString leftovers = leftoverText(result);
    if (result.ok()) {
        if (!leftovers.isEmpty())
            showMessage(this, QStringLiteral("KALDEX"), leftovers);
        store_.modified = 0;
        return true;
    }
    // Over a file that was not read whole, that changed since the load, that
    // another program holds or that is write-protected no save can succeed
    // now: the session's documents can go to a file of their own.
    if (!leftovers.isEmpty())
        showMessage(this, QStringLiteral("KALDEX"), leftovers);
    if (!result.never()) {
        showMessage(this, QStringLiteral("KALDEX"), saveFailureText(result) + QLatin1Char(' ') + stillOpenText());
        return false;
    }
    return askQuestion(this, QStringLiteral("KALDEX"),
                       saveFailureText(result) + QLatin1Char('\n') + sideFileQuestion()) == Answer::Yes &&
           saveToSideFile();
}

}  // namespace kaldex::ui
