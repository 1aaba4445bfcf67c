#include "ui/entry/EntryWindow.h"
#include "core/store/ChangeMark.h"
#include "core/store/DatabaseWriter.h"
#include "ui/WindowTesting.h"
#include "ui/common/Messages.h"
#include "ui/entry/KeywordHelp.h"
#include "ui/search/SearchWindow.h"
#include "ui/viewer/ResultViewer.h"

#include <algorithm>

using namespace kaldex;
using namespace kaldex::ui;
using namespace kaldex::test;

using EntryWindowTest = test::WindowTest<EntryWindow>;
using KeywordHelpTest = test::WindowTest<KeywordHelp>;

TEST_F(EntryWindowTest, CarriesTheLayoutsTextsAndPlaces)
{
    EntryWindow &entry = open();
    EXPECT_EQ(entry.windowTitle(), QStringLiteral("add_doc"));
    EXPECT_EQ(entry.size(), QSize(650, 540));
    // Labels and pair boxes: the layout gives their places alone.
    expectLayout(&entry, {
                             {"Label10", "N", {31, 20, 0, 0}},
                             {"ListBox2", nullptr, {50, 20, 49, 18}},
                             {"CheckBox1", "Oth", {111, 20, 40, 18}},
                             {"CheckBox2", "Vis", {160, 20, 40, 17}},
                             {"CheckBox3", "Con", {205, 20, 50, 17}},
                             {"CheckBox4", "Tdi", {250, 20, 41, 17}},
                             {"CheckBox5", "Dif", {295, 20, 40, 17}},
                             {"CheckBox6", "Pot", {340, 20, 50, 17}},
                             {"CheckBox7", "Vir", {160, 40, 39, 17}},
                             {"CheckBox8", "Bea", {205, 40, 41, 17}},
                             {"CheckBox9", "Spe", {250, 40, 41, 17}},
                             {"CheckBox10", "The", {295, 40, 53, 17}},
                             {"CheckBox11", "Exp", {340, 40, 42, 17}},
                             {"ListBox1", nullptr, {17, 61, 100, 60}},
                             {"RichEdit1", nullptr, {125, 61, 505, 60}},
                             {"ListBox3", nullptr, {17, 125, 100, 125}},
                             {"RichEdit2", nullptr, {125, 125, 504, 125}},
                             {"ListBox4", nullptr, {17, 252, 100, 60}},
                             {"RichEdit3", nullptr, {125, 252, 505, 60}},
                             {"ListBox5", nullptr, {17, 313, 100, 60}},
                             {"RichEdit4", nullptr, {125, 313, 505, 60}},
                             {"Label1", "Aut1", {24, 382, 0, 0}},
                             {"Edit1", "", {60, 376, 121, 21}},
                             {"Label2", "Aut2", {24, 407, 0, 0}},
                             {"Edit2", "", {60, 400, 121, 21}},
                             {"Label3", "Aut3", {24, 431, 0, 0}},
                             {"Edit3", "", {60, 424, 121, 21}},
                             {"Label9", "Year", {21, 465, 0, 0}},
                             {"Edit9", "", {60, 459, 66, 21}},
                             {"Label4", "Sub1", {184, 376, 0, 0}},
                             {"Edit4", "", {216, 376, 121, 21}},
                             {"Label5", "Sub2", {184, 400, 0, 0}},
                             {"Edit5", "", {216, 400, 121, 21}},
                             {"Label6", "Sub3", {184, 433, 0, 0}},
                             {"Edit6", "", {216, 424, 121, 21}},
                             {"Label7", "Sub4", {184, 456, 0, 0}},
                             {"Edit7", "", {216, 449, 121, 21}},
                             {"Label8", "Sub5", {184, 472, 0, 0}},
                             {"Edit8", "", {216, 472, 121, 21}},
                             {"CheckBox12", "1-1", {357, 378, 0, 0}},
                             {"CheckBox13", "1-2", {357, 402, 0, 0}},
                             {"CheckBox14", "2-2", {407, 402, 0, 0}},
                             {"CheckBox15", "1-3", {357, 427, 0, 0}},
                             {"CheckBox16", "2-3", {407, 427, 0, 0}},
                             {"CheckBox17", "3-3", {457, 427, 0, 0}},
                             {"CheckBox18", "1-4", {357, 452, 0, 0}},
                             {"CheckBox19", "2-4", {407, 452, 0, 0}},
                             {"CheckBox20", "3-4", {457, 452, 0, 0}},
                             {"CheckBox21", "4-4", {507, 452, 0, 0}},
                             {"CheckBox22", "1-5", {357, 477, 0, 0}},
                             {"CheckBox23", "2-5", {407, 477, 0, 0}},
                             {"CheckBox24", "3-5", {457, 477, 0, 0}},
                             {"CheckBox25", "4-5", {507, 477, 0, 0}},
                             {"CheckBox26", "5-5", {557, 477, 0, 0}},
                             {"Button1", "OK", {518, 372, 70, 25}},
                             {"Button2", "key_word", {724, 372, 70, 25}},  // beyond the right edge until widened
                         });

    const QString order = test::tabOrder(&entry, child<QLineEdit>("Edit2"), 47);
    EXPECT_TRUE(order.startsWith("Edit2 Edit3 Edit4 Edit5 Button1 Button2 RichEdit1 ListBox2 CheckBox1 CheckBox2 "
                                 "ListBox1 RichEdit2 RichEdit3 ListBox3 ListBox4 RichEdit4 ListBox5 Edit1 Edit6 Edit7 "
                                 "Edit8 CheckBox3 "))
        << order.toStdString();
    EXPECT_TRUE(order.endsWith(" CheckBox26 Edit9 Edit2")) << order.toStdString();
    EXPECT_EQ(order.count(u' '), 46);
}

TEST_F(EntryWindowTest, AddModeTakesTheNextSlotAndStoresAnEmptyForm)
{
    store = queryStore();
    // The slot may hold a record of an earlier, longer file, hidden fields and all.
    DocumentRecord &left = store->record(10);
    left.authors[0] = "left over";
    left.upperYear = 7;
    left.lowerYear = 7;
    left.wantedNumber = 7;
    left.fileLine = 7;
    open();
    EXPECT_EQ(store->documentCount, 10);
    EXPECT_EQ(store->entrySlot, 10);
    EXPECT_EQ(child<QListWidget>("ListBox2")->item(0)->text(), QStringLiteral("10"));
    child<QPushButton>("Button1")->click();
    EXPECT_EQ(store->modified, 1);
    EXPECT_TRUE(store->storedThisSession[10]);
    DocumentRecord empty;
    empty.number = 10;
    empty.citationLines = 1;
    empty.abstractLines = 1;
    empty.notesLines = 1;
    empty.provenanceLines = 1;
    EXPECT_EQ(fields(store->record(10)), fields(empty));

    // Closed without "OK": the slot stays taken, nothing else is stored.
    store->modified = 0;
    EntryWindow &second = open();
    child<QLineEdit>("Edit1")->setText(QStringLiteral("Nobody"));
    second.reject();
    EXPECT_EQ(store->documentCount, 11);
    EXPECT_EQ(store->record(11).number, 11);
    EXPECT_EQ(store->record(11).authors[0], "");
    EXPECT_EQ(store->modified, 0);
}

TEST_F(EntryWindowTest, OkStoresCountsByTheLastFilledFieldAndTextsAsShown)
{
    store = queryStore();
    open();
    child<QLineEdit>("Edit2")->setText(QStringLiteral("Kestin"));  // an empty first name before it is carried back
    child<QLineEdit>("Edit4")->setText(QStringLiteral("Ar"));
    child<QLineEdit>("Edit5")->setText(QStringLiteral("Кр"));
    child<QLineEdit>("Edit9")->setText(QStringLiteral(" 1972 г."));
    child<QCheckBox>("CheckBox2")->setChecked(true);   // Vis
    child<QCheckBox>("CheckBox13")->setChecked(true);  // 1-2
    child<QTextEdit>("RichEdit1")->setPlainText(QStringLiteral("Первая строка\n\nвторая\nтретья"));
    child<QTextEdit>("RichEdit2")->setPlainText(QStringLiteral("слово ").repeated(60).trimmed());
    QStringList thirty;
    for (int i = 1; i <= 30; ++i)
        thirty << QStringLiteral("line %1").arg(i);
    child<QTextEdit>("RichEdit3")->setPlainText(thirty.join(QLatin1Char('\n')));
    child<QPushButton>("Button1")->click();

    const DocumentRecord &r = store->record(10);
    EXPECT_EQ(r.authorCount, 2);
    EXPECT_EQ(r.substanceCount, 2);
    EXPECT_EQ(r.year, 1972);
    EXPECT_EQ(r.categoryFlags[Vis], 1);
    EXPECT_EQ(r.pairFlags[pairIndex(1, 2)], 1);
    EXPECT_EQ(r.authors[1], "Kestin");
    EXPECT_EQ(r.substances[1], cp1251("Кр"));
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

TEST_F(EntryWindowTest, ChangeModeShowsTheDocumentAndOkKeepsIt)
{
    store = queryStore();
    const DocumentRecord before = store->record(5);
    store->changeNumber = 5;
    open();
    EXPECT_EQ(store->documentCount, 9);
    EXPECT_EQ(child<QListWidget>("ListBox2")->item(0)->text(), QStringLiteral("5"));
    EXPECT_EQ(child<QLineEdit>("Edit1")->text(), QStringLiteral("Vogel"));
    EXPECT_EQ(child<QLineEdit>("Edit6")->text(), QStringLiteral("Ar"));
    EXPECT_EQ(child<QLineEdit>("Edit9")->text(), QStringLiteral("1984"));
    EXPECT_TRUE(child<QCheckBox>("CheckBox3")->isChecked()) << "Con";
    EXPECT_TRUE(child<QCheckBox>("CheckBox15")->isChecked()) << "1-3";
    EXPECT_FALSE(child<QCheckBox>("CheckBox13")->isChecked()) << "1-2";
    EXPECT_EQ(child<QTextEdit>("RichEdit3")->toPlainText(),
              QStringLiteral("Прецизионные измерения вязкости гелия и аргона,\nточность 0.1%"));
    child<QPushButton>("Button1")->click();
    EXPECT_EQ(store->modified, 1);
    EXPECT_EQ(fields(store->record(5)), fields(before));
}

// A side file applies the change only to the document as it was before it.
TEST_F(EntryWindowTest, AChangeKeepsTheStateTheDocumentWasLoadedIn)
{
    store = queryStore();
    const uint64_t loaded = storedState(store->record(5));
    store->changeNumber = 5;
    open();
    child<QLineEdit>("Edit9")->setText(QStringLiteral("1985"));
    child<QPushButton>("Button1")->click();
    EXPECT_EQ(store->loadedState[5], loaded);
    EXPECT_EQ(formatSessionDocuments(*store).rfind("changed document 5, loaded as ", 0), 0u);
}

TEST_F(EntryWindowTest, RefusesWhatTheFileWouldLose)
{
    const struct {
        const char *what;
        std::vector<std::pair<const char *, const char *>> typed;  // control, text; the last must get the focus
        const char *mentions;
    } refusals[] = {
        {"dollar in a name", {{"Edit1", "Ma$on"}}, "Aut1"},
        {"at sign in a name", {{"Edit7", "Ar@Kr"}}, "Sub4"},
        {"dollar in a text", {{"RichEdit4", "ok\n   $ 5"}}, "Референт"},
        {"author gap", {{"Edit1", "A"}, {"Edit3", "C"}, {"Edit2", ""}}, "Aut2"},
        {"substance gap", {{"Edit4", "He"}, {"Edit5", "Ne"}, {"Edit8", "Xe"}, {"Edit6", ""}}, "Sub3"},
        {"character outside the code page", {{"RichEdit2", "σ = 3.4 Å"}}, "«σ»"},
    };
    store = queryStore();
    store->changeNumber = 2;
    const DocumentRecord before = store->record(2);
    for (const auto &refusal : refusals) {
        SCOPED_TRACE(refusal.what);
        MessageHook hook;
        EntryWindow &entry = open();
        entry.show();
        QApplication::setActiveWindow(&entry);
        QWidget *field = nullptr;
        for (const auto &[name, text] : refusal.typed) {
            field = child<QWidget>(name);
            field->setProperty(qobject_cast<QTextEdit *>(field) ? "plainText" : "text", QString::fromUtf8(text));
        }
        child<QPushButton>("Button1")->click();
        EXPECT_TRUE(entry.isVisible());
        ASSERT_EQ(hook.shown().size(), 1);
        EXPECT_TRUE(hook.shown()[0].contains(QString::fromUtf8(refusal.mentions))) << hook.shown()[0].toStdString();
        EXPECT_EQ(QApplication::focusWidget(), field);
        EXPECT_EQ(store->modified, 0);
        EXPECT_EQ(fields(store->record(2)), fields(before));
    }
}

TEST_F(EntryWindowTest, KeyWordOpensTheHelpAndLeavesTheFormAsItWas)
{
    open();
    child<QLineEdit>("Edit1")->setText(QStringLiteral("Aziz"));
    bool helped = false;
    onNextModal([&helped](QWidget *modal) {
        helped = qobject_cast<KeywordHelp *>(modal) != nullptr;
        test::child<QPushButton>(modal, "Button1")->click();
    });
    child<QPushButton>("Button2")->click();
    EXPECT_TRUE(helped);
    EXPECT_EQ(child<QLineEdit>("Edit1")->text(), QStringLiteral("Aziz"));
}

TEST_F(KeywordHelpTest, CarriesTheLayoutsTextsAndPlaces)
{
    KeywordHelp &help = open();
    EXPECT_EQ(help.windowTitle(), QStringLiteral("Ключевые слова"));
    EXPECT_EQ(help.palette().color(QPalette::Window), QColor(128, 128, 255));
    EXPECT_EQ(help.pos(), QPoint(61, 105));
    EXPECT_EQ(help.size(), QSize(648, 460));
    expectLayout(&help, {
                            {"ListBox1", nullptr, {24, 33, 601, 336}},
                            {"Button1", "Button1", {277, 393, 60, 21}},
                        });
    EXPECT_EQ(items(child<QListWidget>("ListBox1")),
              (QStringList{QStringLiteral(" D,TD,Vi,P,B       Диффузия,Термодиффузия,вязкость"),
                           QStringLiteral("    Вещества"), QStringLiteral(" Ar,Ne,Kr,")}));
    help.show();
    child<QPushButton>("Button1")->click();
    EXPECT_FALSE(help.isVisible());
}

TEST(EntryWindowOpeners, ChangeFromTheViewerAndAddOnAFullStore)
{
    // "Add" from the search window: EndToEnd.AddSaveReloadAndFindByEveryCriterion.
    // "Change" edits the slot on show even when its stored number says otherwise.
    auto store = queryStore({4});
    store->record(4).number = 0;
    ResultViewer viewer(*store);
    onNextModal([](QWidget *modal) {
        ASSERT_NE(qobject_cast<EntryWindow *>(modal), nullptr);
        test::child<QLineEdit>(modal, "Edit9")->setText(QStringLiteral("1960"));
        test::child<QPushButton>(modal, "Button1")->click();
    });
    test::child<QPushButton>(&viewer, "Button3")->click();
    EXPECT_EQ(store->documentCount, 9);
    EXPECT_EQ(store->record(4).year, 1960);
    EXPECT_EQ(store->record(4).number, 4);
    EXPECT_TRUE(
        test::child<QTextEdit>(&viewer, "RichEdit1")->toPlainText().contains(QStringLiteral(" Год издания =1960")));

    // A full store opens no entry window.
    MessageHook hook;
    SearchWindow search(*store);
    store->documentCount = DocumentStore::kMaxDocuments;
    test::child<QPushButton>(&search, "add")->click();
    ASSERT_EQ(hook.shown().size(), 1);
    EXPECT_EQ(hook.shown()[0], QStringLiteral("База заполнена: в ней уже 4999 документов, больше добавить нельзя."));
    EXPECT_EQ(store->documentCount, DocumentStore::kMaxDocuments);
}
