#include "ui/entry/EntryWindow.h"

#include "core/store/ChangeMark.h"
#include "core/store/DocumentStore.h"
#include "core/store/FieldRules.h"
#include "core/store/Number.h"
#include "ui/common/Messages.h"
#include "ui/common/Toolkit.h"
#include "ui/entry/KeywordHelp.h"
#include "ui/help/HelpWindow.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTextEdit>

namespace kaldex::ui {

struct EntryWindow::Form {
    std::array<std::string, kAuthorCount> authors;
    std::array<std::string, kSubstanceCount> substances;
    std::array<std::string, 4> texts;
    std::array<int32_t, 4> lineCounts{};
};

namespace {

const char *const kCategoryCaptions[] = {"Oth", "Vis", "Con", "Tdi", "Dif", "Pot", "Vir", "Bea", "Spe", "The", "Exp"};
const QRect kCategoryPlaces[] = {{111, 20, 40, 18}, {160, 20, 40, 17}, {205, 20, 50, 17}, {250, 20, 41, 17},
                                 {295, 20, 40, 17}, {340, 20, 50, 17}, {160, 40, 39, 17}, {205, 40, 41, 17},
                                 {250, 40, 41, 17}, {295, 40, 53, 17}, {340, 40, 42, 17}};
const int kPairRowTops[] = {378, 402, 427, 452, 477};
const char *const kTextNames[] = {"Авторы, название статьи…", "Реферат", "Дополнительные сведения",
                                  "Референт, время реферирования…"};

QString lineWithoutBreaks(QString line)
{
    while (!line.isEmpty() && (line.back() == QChar::LineSeparator || line.back() == QChar::ParagraphSeparator))
        line.chop(1);
    return line;
}

}  // namespace

EntryWindow::EntryWindow(DocumentStore &store, QWidget *parent) : QDialog(parent), store_(store)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("add_doc"));
    resize(650, 540);  // not fixed: widening it shows "key_word"
    setFont(layoutFont(QStringLiteral("MS Sans Serif"), 11));
    setBackground(this, Qt::white);

    auto named = [](QWidget *widget, const QString &name, QRect place) {
        widget->setObjectName(name);
        widget->setGeometry(place);
    };
    auto label = [&](const char *name, const char *caption, QPoint place) {
        auto *text = new QLabel(QString::fromUtf8(caption), this);
        text->setObjectName(QString::fromLatin1(name));
        text->move(place);
        text->adjustSize();
        return text;
    };
    auto edit = [&](const char *name, QRect place) {
        auto *field = new QLineEdit(this);
        named(field, QString::fromLatin1(name), place);
        return field;
    };
    auto caption = [&](const char *name, QRect place, std::initializer_list<const char *> lines) {
        auto *list = new QListWidget(this);
        named(list, QString::fromLatin1(name), place);
        list->setSelectionMode(QAbstractItemView::NoSelection);
        list->setTextElideMode(Qt::ElideNone);
        list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        for (const char *line : lines) {
            auto *item = new QListWidgetItem(QString::fromUtf8(line), list);
            item->setSizeHint(QSize(0, 13));  // four caption lines fit the 60-pixel boxes
        }
        return list;
    };
    auto rich = [&](const char *name, QRect place) {
        auto *text = new QTextEdit(this);
        named(text, QString::fromLatin1(name), place);
        text->setAcceptRichText(false);
        text->setTabChangesFocus(true);
        text->setLineWrapMode(QTextEdit::WidgetWidth);
        return text;
    };

    label("Label10", "N", QPoint(31, 20));
    auto *slotList = new QListWidget(this);
    named(slotList, QStringLiteral("ListBox2"), QRect(50, 20, 49, 18));
    slotList->setSelectionMode(QAbstractItemView::MultiSelection);
    for (int i = 0; i < kCategoryCount; ++i) {
        auto *box = new QCheckBox(QString::fromLatin1(kCategoryCaptions[i]), this);
        named(box, QStringLiteral("CheckBox%1").arg(i + 1), kCategoryPlaces[i]);
        categoryBoxes_[static_cast<size_t>(i)] = box;
    }
    auto *citationCaption = caption("ListBox1", QRect(17, 61, 100, 60),
                                    {"Авторы, название ", "статьи,название", " журнала. изда-", "тельство, год, стр."});
    citationText_ = rich("RichEdit1", QRect(125, 61, 505, 60));
    auto *abstractCaption = caption("ListBox3", QRect(17, 125, 100, 125), {" Реферат"});
    abstractText_ = rich("RichEdit2", QRect(125, 125, 504, 125));
    auto *notesCaption = caption("ListBox4", QRect(17, 252, 100, 60), {" Дополнительные", " сведения"});
    notesText_ = rich("RichEdit3", QRect(125, 252, 505, 60));
    auto *provenanceCaption = caption("ListBox5", QRect(17, 313, 100, 60),
                                      {" Референт ,время ", " реферирования,", " место нахождения", " документа"});
    provenanceText_ = rich("RichEdit4", QRect(125, 313, 505, 60));

    author1Label_ = label("Label1", "Aut1", QPoint(24, 382));
    author1Field_ = edit("Edit1", QRect(60, 376, 121, 21));
    author2Label_ = label("Label2", "Aut2", QPoint(24, 407));
    author2Field_ = edit("Edit2", QRect(60, 400, 121, 21));
    author3Label_ = label("Label3", "Aut3", QPoint(24, 431));
    author3Field_ = edit("Edit3", QRect(60, 424, 121, 21));
    label("Label9", "Year", QPoint(21, 465));
    yearField_ = edit("Edit9", QRect(60, 459, 66, 21));
    substance1Label_ = label("Label4", "Sub1", QPoint(184, 376));
    substance1Field_ = edit("Edit4", QRect(216, 376, 121, 21));
    substance2Label_ = label("Label5", "Sub2", QPoint(184, 400));
    substance2Field_ = edit("Edit5", QRect(216, 400, 121, 21));
    substance3Label_ = label("Label6", "Sub3", QPoint(184, 433));
    substance3Field_ = edit("Edit6", QRect(216, 424, 121, 21));
    substance4Label_ = label("Label7", "Sub4", QPoint(184, 456));
    substance4Field_ = edit("Edit7", QRect(216, 449, 121, 21));
    substance5Label_ = label("Label8", "Sub5", QPoint(184, 472));
    substance5Field_ = edit("Edit8", QRect(216, 472, 121, 21));

    // The pair boxes stand in a triangle: column i, row j, for i <= j.
    for (int j = 1; j <= kSubstanceCount; ++j) {
        for (int i = 1; i <= j; ++i) {
            const int index = pairIndex(i, j);
            auto *box = new QCheckBox(QStringLiteral("%1-%2").arg(i).arg(j), this);
            named(box, QStringLiteral("CheckBox%1").arg(12 + index),
                  QRect(357 + 50 * (i - 1), kPairRowTops[j - 1], 45, 17));
            pairBoxes_[static_cast<size_t>(index)] = box;
        }
    }

    auto *okButton = new QPushButton(QStringLiteral("OK"), this);
    named(okButton, QStringLiteral("Button1"), QRect(518, 372, 70, 25));
    okButton->setAutoDefault(false);
    auto *keywordButton = new QPushButton(QStringLiteral("key_word"), this);
    named(keywordButton, QStringLiteral("Button2"), QRect(724, 372, 70, 25));
    keywordButton->setAutoDefault(false);

    QWidget *previous = author2Field_;
    auto chain = [&previous](QWidget *next) {
        QWidget::setTabOrder(previous, next);
        previous = next;
    };
    for (QWidget *next : std::initializer_list<QWidget *>{
             author3Field_,     substance1Field_, substance2Field_,  okButton,          keywordButton,
             citationText_,     slotList,         categoryBoxes_[0], categoryBoxes_[1], citationCaption,
             abstractText_,     notesText_,       abstractCaption,   notesCaption,      provenanceText_,
             provenanceCaption, author1Field_,    substance3Field_,  substance4Field_,  substance5Field_})
        chain(next);
    for (size_t i = 2; i < categoryBoxes_.size(); ++i)
        chain(categoryBoxes_[i]);
    for (QCheckBox *box : pairBoxes_)
        chain(box);
    chain(yearField_);
    author2Field_->setFocus();

    if (store_.changeNumber == 0) {
        store_.entrySlot = ++store_.documentCount;
        // The slot may still hold a record of an earlier, longer file: a new
        // document starts from nothing, hidden fields included.
        store_.record(store_.entrySlot) = DocumentRecord{};
        store_.record(store_.entrySlot).number = store_.entrySlot;
    } else {
        store_.entrySlot = store_.changeNumber;
        // The state it was loaded in: a side file's change applies only to that.
        const auto slot = static_cast<size_t>(store_.entrySlot);
        if (!store_.storedThisSession[slot] && store_.loadedState[slot] == 0)
            store_.loadedState[slot] = storedState(store_.record(store_.entrySlot));
        fillFromRecord();
    }
    slotList->addItem(QString::number(store_.entrySlot));

    connect(okButton, &QPushButton::clicked, this, &EntryWindow::storeDocument);
    connect(keywordButton, &QPushButton::clicked, this, &EntryWindow::showKeywords);
    centerOnScreen(this);
    addHelpKey(this, kEntryHelp);
}

void EntryWindow::keyPressEvent(QKeyEvent *event)
{
    // The window has no cancel key: Escape would drop what was typed.
    if (event->key() == Qt::Key_Escape)
        return;
    QDialog::keyPressEvent(event);
}

void EntryWindow::fillFromRecord()
{
    const DocumentRecord &r = store_.record(store_.entrySlot);
    for (size_t i = 0; i < categoryBoxes_.size(); ++i)
        categoryBoxes_[i]->setChecked(r.categoryFlags[i] != 0);
    for (size_t i = 0; i < pairBoxes_.size(); ++i)
        pairBoxes_[i]->setChecked(r.pairFlags[i] != 0);
    const std::array<QLineEdit *, 8> names = {author1Field_,    author2Field_,    author3Field_,    substance1Field_,
                                              substance2Field_, substance3Field_, substance4Field_, substance5Field_};
    for (size_t i = 0; i < kAuthorCount; ++i)
        names[i]->setText(fromCp1251(r.authors[i]));
    for (size_t i = 0; i < kSubstanceCount; ++i)
        names[kAuthorCount + i]->setText(fromCp1251(r.substances[i]));
    yearField_->setText(QString::number(r.year));
    const std::array<QTextEdit *, 4> edits = {citationText_, abstractText_, notesText_, provenanceText_};
    const std::array<const FieldText *, 4> texts = {&r.citation, &r.abstract, &r.notes, &r.provenance};
    for (size_t i = 0; i < edits.size(); ++i) {
        QString text = fromCp1251(*texts[i]);
        if (text.endsWith(QLatin1Char('\n')))
            text.chop(1);  // the last line's end opens no further line
        edits[i]->setPlainText(text);
    }
}

bool EntryWindow::readForm(Form &form)
{
    auto refuse = [this](QWidget *field, const QString &message) {
        showMessage(this, QStringLiteral("add_doc"), message);
        field->setFocus();
        return false;
    };
    auto convert = [&](const QString &text, std::string &out, QWidget *field, const QString &name) {
        QString bad;
        if (toCp1251(text, out, &bad))
            return true;
        return refuse(
            field, QStringLiteral("Поле «%1»: символ «%2» нельзя сохранить в кодировке Windows-1251.").arg(name, bad));
    };

    const std::array<QLineEdit *, 8> edits = {author1Field_,    author2Field_,    author3Field_,    substance1Field_,
                                              substance2Field_, substance3Field_, substance4Field_, substance5Field_};
    const std::array<QLabel *, 8> labels = {author1Label_,    author2Label_,    author3Label_,    substance1Label_,
                                            substance2Label_, substance3Label_, substance4Label_, substance5Label_};
    for (size_t i = 0; i < edits.size(); ++i) {
        std::string &name = i < kAuthorCount ? form.authors[i] : form.substances[i - kAuthorCount];
        const QString field = labels[i]->text();
        if (!convert(edits[i]->text(), name, edits[i], field))
            return false;
        char which = 0;
        if (badNameCharacter(name, &which)) {
            return refuse(edits[i], which == '@'
                                        ? QStringLiteral("Поле «%1»: знак «@» разделяет имена в файле базы и не "
                                                         "может входить в имя.")
                                              .arg(field)
                                        : QStringLiteral("Поле «%1»: знак «$» не сохраняется в файле базы. "
                                                         "Уберите его.")
                                              .arg(field));
        }
    }
    auto checkGap = [&](const std::string *names, int count, size_t first) {
        int gap = firstGap(names, count);
        if (gap < 0)
            return true;
        const QString field = labels[first + static_cast<size_t>(gap)]->text();
        return refuse(edits[first + static_cast<size_t>(gap)],
                      QStringLiteral("Поле «%1» пусто, а за ним есть заполненное: файл базы потерял бы имена "
                                     "после пропуска. Заполните «%1» или сдвиньте имена вверх.")
                          .arg(field));
    };
    if (!checkGap(form.authors.data(), kAuthorCount, 0) ||
        !checkGap(form.substances.data(), kSubstanceCount, kAuthorCount))
        return false;

    // Texts are stored as the lines the editors show, empty lines left out.
    const std::array<QTextEdit *, 4> richEdits = {citationText_, abstractText_, notesText_, provenanceText_};
    for (size_t i = 0; i < richEdits.size(); ++i) {
        const QString name = QString::fromUtf8(kTextNames[i]);
        int stored = 0;
        std::string line;
        for (const QString &shown : displayedLines(richEdits[i])) {
            const QString text = lineWithoutBreaks(shown);
            if (text.isEmpty())
                continue;
            if (!convert(text, line, richEdits[i], name))
                return false;
            if (hasDollar(line))
                return refuse(richEdits[i], QStringLiteral("Поле «%1»: знак «$» не сохраняется в файле базы. "
                                                           "Уберите его.")
                                                .arg(name));
            form.texts[i] += line;
            form.texts[i] += '\n';
            ++stored;
        }
        form.lineCounts[i] = stored + 1;
    }
    return true;
}

void EntryWindow::storeDocument()
{
    Form form;
    if (!readForm(form))
        return;

    auto lastFilled = [](const auto &names) {
        int32_t last = 0;
        for (size_t i = 0; i < names.size(); ++i)
            if (!names[i].empty())
                last = static_cast<int32_t>(i + 1);
        return last;
    };
    DocumentRecord &r = store_.record(store_.entrySlot);
    store_.modified = 1;
    store_.storedThisSession[static_cast<size_t>(store_.entrySlot)] = true;
    r.number = store_.entrySlot;
    r.authorCount = lastFilled(form.authors);
    r.year = readNumber(yearField_->text().toStdString());
    for (size_t i = 0; i < categoryBoxes_.size(); ++i)
        r.categoryFlags[i] = categoryBoxes_[i]->isChecked() ? 1 : 0;
    std::copy(form.authors.begin(), form.authors.end(), r.authors.begin());
    r.substanceCount = lastFilled(form.substances);
    for (size_t i = 0; i < pairBoxes_.size(); ++i)
        r.pairFlags[i] = pairBoxes_[i]->isChecked() ? 1 : 0;
    std::copy(form.substances.begin(), form.substances.end(), r.substances.begin());
    r.citation = form.texts[0];
    r.abstract = form.texts[1];
    r.notes = form.texts[2];
    r.provenance = form.texts[3];
    r.citationLines = form.lineCounts[0];
    r.abstractLines = form.lineCounts[1];
    r.notesLines = form.lineCounts[2];
    r.provenanceLines = form.lineCounts[3];
    accept();
}

void EntryWindow::showKeywords()
{
    KeywordHelp help(this);
    help.exec();
}

}  // namespace kaldex::ui
