#include "ui/entry/EntryWindow.h"
#include "ui/WindowTesting.h"
#include "ui/common/Messages.h"
#include "ui/entry/KeywordHelp.h"
#include "ui/search/SearchWindow.h"
#include "ui/viewer/ResultViewer.h"

#include <algorithm>

using namespace kaldex;
using namespace kaldex::ui;
using namespace kaldex::test;

TEST(EntryWindow, CarriesTheLayoutsPlacesAndTabOrder)
{
    DocumentStore store;
    EntryWindow entry(store);
    EXPECT_EQ(entry.windowTitle(), QStringLiteral("add_doc"));
    EXPECT_EQ(entry.size(), QSize(650, 540));
    const struct {
        QWidget *widget;
        const char *name, *text;
        QRect rect;  // a zero size: only the position is checked
    } places[] = {
        {entry.slotList, "ListBox2", "", {50, 20, 49, 18}},
        {entry.categoryBoxes[10], "CheckBox11", "Exp", {340, 40, 42, 17}},
        {entry.abstractText, "RichEdit2", "", {125, 125, 504, 125}},
        {entry.substance3Field, "Edit6", "", {216, 424, 121, 21}},
        {entry.substance3Label, "Label6", "Sub3", {184, 433, 0, 0}},
        {entry.keywordButton, "Button2", "key_word", {724, 372, 0, 0}},  // beyond the right edge until widened
        {entry.pairBoxes[pairIndex(1, 1)], "CheckBox12", "1-1", {357, 378, 0, 0}},
        {entry.pairBoxes[pairIndex(3, 5)], "CheckBox24", "3-5", {457, 477, 0, 0}},
    };
    for (const auto &p : places) {
        SCOPED_TRACE(p.name);
        EXPECT_EQ(p.widget->objectName(), QString::fromLatin1(p.name));
        EXPECT_EQ(p.rect.width() ? p.widget->geometry() : QRect(p.widget->pos(), QSize(0, 0)), p.rect);
        EXPECT_EQ(p.widget->property("text").toString(), QString::fromUtf8(p.text));
    }

    const QString order = test::tabOrder(&entry, entry.author2Field, 47);
    EXPECT_TRUE(order.startsWith("Edit2 Edit3 Edit4 Edit5 Button1 Button2 RichEdit1 ListBox2 CheckBox1 CheckBox2 "
                                 "ListBox1 RichEdit2 RichEdit3 ListBox3 ListBox4 RichEdit4 ListBox5 Edit1 Edit6 Edit7 "
                                 "Edit8 CheckBox3 "))
        << order.toStdString();
    EXPECT_TRUE(order.endsWith(" CheckBox26 Edit9 Edit2")) << order.toStdString();
    EXPECT_EQ(order.count(u' '), 46);
}

TEST(EntryWindow, AddModeTakesTheNextSlotAndStoresAnEmptyForm)
{
    auto store = queryStore();
    // The slot may hold a record of an earlier, longer file, hidden fields and all.
    DocumentRecord &left = store->record(10);
    left.authors[0] = "left over";
    left.upperYear = left.lowerYear = left.wantedNumber = left.fileLine = 7;
    {
        EntryWindow entry(*store);
        EXPECT_EQ(store->documentCount, 10);
        EXPECT_EQ(store->entrySlot, 10);
        EXPECT_EQ(entry.slotList->item(0)->text(), QStringLiteral("10"));
        EXPECT_TRUE(entry.author1Field->text().isEmpty());
        entry.okButton->click();
    }
    const DocumentRecord &r = store->record(10);
    EXPECT_EQ(store->modified, 1);
    EXPECT_EQ(r.number, 10);
    DocumentRecord empty;
    empty.number = 10;
    empty.citationLines = empty.abstractLines = empty.notesLines = empty.provenanceLines = 1;
    EXPECT_EQ(fields(r), fields(empty));
    EXPECT_TRUE(store->storedThisSession[10]);

    // Closed without "OK": the slot stays taken, nothing else is stored.
    store->modified = 0;
    {
        EntryWindow entry(*store);
        entry.author1Field->setText(QStringLiteral("Nobody"));
        entry.reject();
    }
    EXPECT_EQ(store->documentCount, 11);
    EXPECT_EQ(std::to_string(store->record(11).number) + store->record(11).authors[0], "11");
    EXPECT_EQ(store->modified, 0);
}

TEST(EntryWindow, OkStoresCountsByTheLastFilledFieldAndTextsAsShown)
{
    auto store = queryStore();
    EntryWindow entry(*store);
    entry.resize(650, 540);
    entry.author2Field->setText(QStringLiteral("Kestin"));  // an empty first name before it is carried back
    entry.substance1Field->setText(QStringLiteral("Ar"));
    entry.substance2Field->setText(QStringLiteral("Кр"));
    entry.yearField->setText(QStringLiteral(" 1972 г."));
    entry.categoryBoxes[Vis]->setChecked(true);
    entry.pairBoxes[pairIndex(1, 2)]->setChecked(true);
    entry.citationText->setPlainText(QStringLiteral("Первая строка\n\nвторая\nтретья"));
    const QString paragraph = QStringLiteral("слово ").repeated(60).trimmed();
    entry.abstractText->setPlainText(paragraph);
    QStringList thirty;
    for (int i = 1; i <= 30; ++i)
        thirty << QStringLiteral("line %1").arg(i);
    entry.notesText->setPlainText(thirty.join(QLatin1Char('\n')));
    entry.okButton->click();

    const DocumentRecord &r = store->record(10);
    EXPECT_EQ(
        std::vector<int>({r.authorCount, r.substanceCount, r.year, r.categoryFlags[Vis], r.pairFlags[pairIndex(1, 2)]}),
        std::vector<int>({2, 2, 1972, 1, 1}));
    EXPECT_EQ(r.authors[1] + "/" + r.substances[1], cp1251("Kestin/Кр"));
    EXPECT_EQ(r.citation, cp1251("Первая строка\nвторая\nтретья\n"));
    EXPECT_EQ(r.citationLines, 4);

    // A paragraph wider than the editor is stored as the lines it shows.
    EXPECT_GT(r.abstractLines, 2);
    std::string joined;
    std::copy_if(r.abstract.begin(), r.abstract.end(), std::back_inserter(joined),
                 [](char c) { return c != '\n' && c != ' '; });
    EXPECT_EQ(joined, cp1251(QStringLiteral("слово").repeated(60).toStdString()));

    EXPECT_EQ(r.notesLines, 31);  // no line is dropped
    EXPECT_NE(r.notes.find("line 30\n"), std::string::npos);
}

TEST(EntryWindow, ChangeModeShowsTheDocumentAndOkKeepsIt)
{
    auto store = queryStore();
    const DocumentRecord before = store->record(5);
    store->changeNumber = 5;
    {
        EntryWindow entry(*store);
        EXPECT_EQ(store->documentCount, 9);
        EXPECT_EQ(entry.slotList->item(0)->text(), QStringLiteral("5"));
        EXPECT_EQ(entry.author1Field->text() + entry.substance3Field->text() + entry.yearField->text(), "VogelAr1984");
        EXPECT_TRUE(entry.categoryBoxes[Con]->isChecked() && entry.pairBoxes[pairIndex(1, 3)]->isChecked());
        EXPECT_FALSE(entry.pairBoxes[pairIndex(1, 2)]->isChecked());
        EXPECT_EQ(entry.notesText->toPlainText(),
                  QStringLiteral("Прецизионные измерения вязкости гелия и аргона,\nточность 0.1%"));
        entry.okButton->click();
    }
    EXPECT_EQ(store->modified, 1);
    EXPECT_EQ(fields(store->record(5)), fields(before));
}

namespace {

QWidget *set(QWidget *field, const char *text)
{
    field->setProperty(qobject_cast<QTextEdit *>(field) ? "plainText" : "text", QString::fromUtf8(text));
    return field;
}

}  // namespace

TEST(EntryWindow, RefusesWhatTheFileWouldLose)
{
    struct Refusal {
        const char *name;
        std::function<QWidget *(EntryWindow &)> fill;  // returns the field that must get the focus
        const char *mentions;
    };
    const Refusal refusals[] = {
        {"dollar in a name", [](EntryWindow &e) { return set(e.author1Field, "Ma$on"); }, "Aut1"},
        {"at sign in a name", [](EntryWindow &e) { return set(e.substance4Field, "Ar@Kr"); }, "Sub4"},
        {"dollar in a text", [](EntryWindow &e) { return set(e.provenanceText, "ok\n   $ 5"); }, "Референт"},
        {"author gap",
         [](EntryWindow &e) { return set(e.author1Field, "A"), set(e.author3Field, "C"), set(e.author2Field, ""); },
         "Aut2"},
        {"substance gap",
         [](EntryWindow &e) {
             set(e.substance1Field, "He"), set(e.substance2Field, "Ne"), set(e.substance5Field, "Xe");
             return set(e.substance3Field, "");
         },
         "Sub3"},
        {"character outside the code page", [](EntryWindow &e) { return set(e.abstractText, "σ = 3.4 Å"); }, "«σ»"},
    };
    for (const Refusal &refusal : refusals) {
        SCOPED_TRACE(refusal.name);
        auto store = queryStore();
        store->changeNumber = 2;
        const DocumentRecord before = store->record(2);
        MessageHook hook;
        EntryWindow entry(*store);
        entry.show();
        QApplication::setActiveWindow(&entry);
        QWidget *field = refusal.fill(entry);
        entry.okButton->click();
        EXPECT_TRUE(entry.isVisible());
        ASSERT_EQ(hook.shown().size(), 1);
        EXPECT_TRUE(hook.shown()[0].contains(QString::fromUtf8(refusal.mentions))) << hook.shown()[0].toStdString();
        EXPECT_EQ(QApplication::focusWidget(), field);
        EXPECT_EQ(store->modified, 0);
        EXPECT_EQ(fields(store->record(2)), fields(before));
    }
}

TEST(EntryWindow, KeyWordHelpLeavesTheFormAsItWas)
{
    DocumentStore store;
    EntryWindow entry(store);
    entry.author1Field->setText(QStringLiteral("Aziz"));
    QStringList lines;
    onNextModal([&lines](QWidget *modal) {
        auto *help = qobject_cast<KeywordHelp *>(modal);
        ASSERT_NE(help, nullptr);
        EXPECT_EQ(help->windowTitle(), QStringLiteral("Ключевые слова"));
        EXPECT_EQ(help->palette().color(QPalette::Window), QColor(128, 128, 255));
        EXPECT_EQ(help->pos(), QPoint(61, 105));
        lines = test::items(help->keywordList);
        help->closeButton->click();
    });
    entry.keywordButton->click();
    EXPECT_EQ(lines, (QStringList{QStringLiteral(" D,TD,Vi,P,B       Диффузия,Термодиффузия,вязкость"),
                                  QStringLiteral("    Вещества"), QStringLiteral(" Ar,Ne,Kr,")}));
    EXPECT_EQ(entry.author1Field->text(), QStringLiteral("Aziz"));
}

TEST(EntryWindow, AddAndChangeFromTheirWindows)
{
    // "Add" from the search window: EndToEnd.AddSaveReloadAndFindByEveryCriterion.
    // "Change" edits the slot on show even when its stored number says otherwise.
    auto store = queryStore();
    store->record(4).number = 0;
    store->foundCount = 1;
    store->foundList[1] = 4;
    ResultViewer viewer(*store);
    onNextModal([](QWidget *modal) {
        auto *entry = qobject_cast<EntryWindow *>(modal);
        ASSERT_NE(entry, nullptr);
        entry->yearField->setText(QStringLiteral("1960"));
        entry->okButton->click();
    });
    viewer.changeButton->click();
    EXPECT_EQ(std::vector<int>({store->documentCount, store->record(4).year, store->record(4).number}),
              std::vector<int>({9, 1960, 4}));
    EXPECT_TRUE(viewer.documentText->toPlainText().contains(QStringLiteral(" Год издания =1960")));

    // A full store opens no entry window.
    MessageHook hook;
    SearchWindow search(*store);
    store->documentCount = DocumentStore::kMaxDocuments;
    search.addButton->click();
    ASSERT_EQ(hook.shown().size(), 1);
    EXPECT_EQ(hook.shown()[0], QStringLiteral("База заполнена: в ней уже 4999 документов, больше добавить нельзя."));
    EXPECT_EQ(store->documentCount, DocumentStore::kMaxDocuments);
}
