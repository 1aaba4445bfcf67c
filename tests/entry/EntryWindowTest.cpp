#include "TestFiles.h"
#include "WindowTesting.h"
#include "app/Messages.h"
#include "entry/TForm2.h"
#include "entry/TForm4.h"
#include "search/Tbase.h"
#include "store/DatabaseLoader.h"
#include "store/DatabaseWriter.h"
#include "viewer/TForm3.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTextEdit>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>

using namespace kaldex;
using namespace kaldex::ui;
using test::cp1251;
using test::onNextModal;

namespace {

std::unique_ptr<DocumentStore> fixtureStore()
{
    auto store = std::make_unique<DocumentStore>();
    loadDatabase(*store, test::readBytes(test::dataFile("search/query.ba0")));
    return store;
}

// Every field the entry window writes, for comparing records.
void expectSameDocument(const DocumentRecord &a, const DocumentRecord &b)
{
    EXPECT_EQ(a.number, b.number);
    EXPECT_EQ(a.authors, b.authors);
    EXPECT_EQ(a.substances, b.substances);
    EXPECT_EQ(a.categoryFlags, b.categoryFlags);
    EXPECT_EQ(a.pairFlags, b.pairFlags);
    EXPECT_EQ(a.year, b.year);
    EXPECT_EQ(a.authorCount, b.authorCount);
    EXPECT_EQ(a.substanceCount, b.substanceCount);
    EXPECT_EQ(a.citation, b.citation);
    EXPECT_EQ(a.abstract, b.abstract);
    EXPECT_EQ(a.notes, b.notes);
    EXPECT_EQ(a.provenance, b.provenance);
    EXPECT_EQ(a.citationLines, b.citationLines);
    EXPECT_EQ(a.abstractLines, b.abstractLines);
    EXPECT_EQ(a.notesLines, b.notesLines);
    EXPECT_EQ(a.provenanceLines, b.provenanceLines);
}

}  // namespace

TEST(EntryWindow, CarriesTheLayoutsPlacesAndTabOrder)
{
    DocumentStore store;
    TForm2 entry(store);
    EXPECT_EQ(entry.windowTitle(), QStringLiteral("add_doc"));
    EXPECT_EQ(entry.size(), QSize(650, 540));
    EXPECT_EQ(entry.ListBox2->geometry(), QRect(50, 20, 49, 18));
    EXPECT_EQ(entry.categoryBoxes[10]->text(), QStringLiteral("Exp"));
    EXPECT_EQ(entry.categoryBoxes[10]->geometry(), QRect(340, 40, 42, 17));
    EXPECT_EQ(entry.RichEdit2->geometry(), QRect(125, 125, 504, 125));
    EXPECT_EQ(entry.Edit6->geometry(), QRect(216, 424, 121, 21));
    EXPECT_EQ(entry.Label6->pos(), QPoint(184, 433));
    EXPECT_EQ(entry.Button2->text(), QStringLiteral("key_word"));
    EXPECT_EQ(entry.Button2->pos(), QPoint(724, 372));  // beyond the right edge until widened
    EXPECT_EQ(entry.pairBoxes[pairIndex(1, 1)]->pos(), QPoint(357, 378));
    EXPECT_EQ(entry.pairBoxes[pairIndex(3, 5)]->text(), QStringLiteral("3-5"));
    EXPECT_EQ(entry.pairBoxes[pairIndex(3, 5)]->pos(), QPoint(457, 477));
    EXPECT_EQ(entry.pairBoxes[pairIndex(3, 5)]->objectName(), QStringLiteral("CheckBox24"));

    const QStringList order = test::tabOrder(&entry, entry.Edit2, 47);
    ASSERT_EQ(order.size(), 47);
    EXPECT_EQ(order.mid(0, 22).join(QLatin1Char(' ')),
              QStringLiteral("Edit2 Edit3 Edit4 Edit5 Button1 Button2 RichEdit1 ListBox2 CheckBox1 CheckBox2 "
                             "ListBox1 RichEdit2 RichEdit3 ListBox3 ListBox4 RichEdit4 ListBox5 Edit1 Edit6 Edit7 "
                             "Edit8 CheckBox3"));
    EXPECT_EQ(order[44], QStringLiteral("CheckBox26"));
    EXPECT_EQ(order[45], QStringLiteral("Edit9"));
    EXPECT_EQ(order[46], QStringLiteral("Edit2"));
}

TEST(EntryWindow, AddModeTakesTheNextSlotAndStoresAnEmptyForm)
{
    auto store = fixtureStore();
    store->record(10).authors[0] = "left over";
    {
        TForm2 entry(*store);
        EXPECT_EQ(store->documentCount, 10);
        EXPECT_EQ(store->entrySlot, 10);
        EXPECT_EQ(entry.ListBox2->item(0)->text(), QStringLiteral("10"));
        EXPECT_TRUE(entry.Edit1->text().isEmpty());
        entry.Button1->click();
    }
    const DocumentRecord &r = store->record(10);
    EXPECT_EQ(store->modified, 1);
    EXPECT_EQ(r.number, 10);
    EXPECT_EQ(r.authorCount, 0);
    EXPECT_EQ(r.substanceCount, 0);
    EXPECT_EQ(r.authors[0], "");
    EXPECT_EQ(r.year, 0);
    EXPECT_EQ(r.citation + r.abstract + r.notes + r.provenance, "");
    EXPECT_EQ(r.citationLines + r.abstractLines + r.notesLines + r.provenanceLines, 4);
    for (int32_t flag : r.categoryFlags)
        EXPECT_EQ(flag, 0);

    // Closed without "OK": the slot stays taken, nothing else is stored.
    store->modified = 0;
    {
        TForm2 entry(*store);
        entry.Edit1->setText(QStringLiteral("Nobody"));
        entry.reject();
    }
    EXPECT_EQ(store->documentCount, 11);
    EXPECT_EQ(store->record(11).number, 11);
    EXPECT_EQ(store->record(11).authors[0], "");
    EXPECT_EQ(store->modified, 0);
}

TEST(EntryWindow, OkStoresCountsByTheLastFilledFieldAndTextsAsShown)
{
    auto store = fixtureStore();
    TForm2 entry(*store);
    entry.resize(650, 540);
    entry.Edit2->setText(QStringLiteral("Kestin"));  // an empty first name before it is carried back
    entry.Edit4->setText(QStringLiteral("Ar"));
    entry.Edit5->setText(QStringLiteral("Кр"));
    entry.Edit9->setText(QStringLiteral(" 1972 г."));
    entry.categoryBoxes[Vis]->setChecked(true);
    entry.pairBoxes[pairIndex(1, 2)]->setChecked(true);
    entry.RichEdit1->setPlainText(QStringLiteral("Первая строка\n\nвторая\nтретья"));
    const QString paragraph = QStringLiteral("слово ").repeated(60).trimmed();
    entry.RichEdit2->setPlainText(paragraph);
    QStringList thirty;
    for (int i = 1; i <= 30; ++i)
        thirty << QStringLiteral("line %1").arg(i);
    entry.RichEdit3->setPlainText(thirty.join(QLatin1Char('\n')));
    entry.Button1->click();

    const DocumentRecord &r = store->record(10);
    EXPECT_EQ(r.authorCount, 2);
    EXPECT_EQ(r.authors[1], "Kestin");
    EXPECT_EQ(r.substanceCount, 2);
    EXPECT_EQ(r.substances[1], cp1251("Кр"));
    EXPECT_EQ(r.year, 1972);
    EXPECT_EQ(r.categoryFlags[Vis], 1);
    EXPECT_EQ(r.pairFlags[pairIndex(1, 2)], 1);
    EXPECT_EQ(r.citation, cp1251("Первая строка\nвторая\nтретья\n"));
    EXPECT_EQ(r.citationLines, 4);

    // A paragraph wider than the editor is stored as the lines it shows.
    EXPECT_GT(r.abstractLines, 2);
    std::string joined = r.abstract;
    joined.erase(std::remove(joined.begin(), joined.end(), '\n'), joined.end());
    joined.erase(std::remove(joined.begin(), joined.end(), ' '), joined.end());
    std::string words;
    for (int i = 0; i < 60; ++i)
        words += cp1251("слово");
    EXPECT_EQ(joined, words);

    EXPECT_EQ(r.notesLines, 31);  // no line is dropped
    EXPECT_NE(r.notes.find("line 30\n"), std::string::npos);
}

TEST(EntryWindow, ChangeModeShowsTheDocumentAndOkKeepsIt)
{
    auto store = fixtureStore();
    const DocumentRecord before = store->record(5);
    store->changeNumber = 5;
    {
        TForm2 entry(*store);
        EXPECT_EQ(store->documentCount, 9);
        EXPECT_EQ(entry.ListBox2->item(0)->text(), QStringLiteral("5"));
        EXPECT_EQ(entry.Edit1->text(), QStringLiteral("Vogel"));
        EXPECT_EQ(entry.Edit6->text(), QStringLiteral("Ar"));
        EXPECT_EQ(entry.Edit9->text(), QStringLiteral("1984"));
        EXPECT_TRUE(entry.categoryBoxes[Con]->isChecked());
        EXPECT_TRUE(entry.pairBoxes[pairIndex(1, 3)]->isChecked());
        EXPECT_FALSE(entry.pairBoxes[pairIndex(1, 2)]->isChecked());
        EXPECT_EQ(entry.RichEdit3->toPlainText(),
                  QStringLiteral("Прецизионные измерения вязкости гелия и аргона,\nточность 0.1%"));
        entry.Button1->click();
    }
    EXPECT_EQ(store->modified, 1);
    expectSameDocument(store->record(5), before);
}

TEST(EntryWindow, RefusesWhatTheFileWouldLose)
{
    struct Refusal {
        const char *name;
        std::function<QWidget *(TForm2 &)> fill;
        const char *mentions;
    };
    const Refusal refusals[] = {
        {"dollar in a name", [](TForm2 &e) { e.Edit1->setText(QStringLiteral("Ma$on")); return e.Edit1; }, "Aut1"},
        {"at sign in a name", [](TForm2 &e) { e.Edit7->setText(QStringLiteral("Ar@Kr")); return e.Edit7; }, "Sub4"},
        {"dollar in a text",
         [](TForm2 &e) {
             e.RichEdit4->setPlainText(QStringLiteral("ok\n   $ 5"));
             return e.RichEdit4;
         },
         "Референт"},
        {"author gap",
         [](TForm2 &e) {
             e.Edit1->setText(QStringLiteral("A"));
             e.Edit2->clear();
             e.Edit3->setText(QStringLiteral("C"));
             return e.Edit2;
         },
         "Aut2"},
        {"substance gap",
         [](TForm2 &e) {
             e.Edit4->setText(QStringLiteral("He"));
             e.Edit5->setText(QStringLiteral("Ne"));
             e.Edit6->clear();
             e.Edit8->setText(QStringLiteral("Xe"));
             return e.Edit6;
         },
         "Sub3"},
        {"character outside the code page",
         [](TForm2 &e) {
             e.RichEdit2->setPlainText(QStringLiteral("σ = 3.4 Å"));
             return e.RichEdit2;
         },
         "«σ»"},
    };
    for (const Refusal &refusal : refusals) {
        SCOPED_TRACE(refusal.name);
        auto store = fixtureStore();
        store->changeNumber = 2;
        const DocumentRecord before = store->record(2);
        MessageHook hook;
        TForm2 entry(*store);
        entry.show();
        QApplication::setActiveWindow(&entry);
        QWidget *field = refusal.fill(entry);
        entry.Button1->click();
        EXPECT_TRUE(entry.isVisible());
        ASSERT_EQ(hook.shown().size(), 1);
        EXPECT_TRUE(hook.shown()[0].contains(QString::fromUtf8(refusal.mentions))) << hook.shown()[0].toStdString();
        EXPECT_EQ(QApplication::focusWidget(), field);
        EXPECT_EQ(store->modified, 0);
        expectSameDocument(store->record(2), before);
    }
}

TEST(EntryWindow, KeyWordHelpLeavesTheFormAsItWas)
{
    DocumentStore store;
    TForm2 entry(store);
    entry.Edit1->setText(QStringLiteral("Aziz"));
    QStringList lines;
    onNextModal([&lines](QWidget *modal) {
        auto *help = qobject_cast<TForm4 *>(modal);
        ASSERT_NE(help, nullptr);
        EXPECT_EQ(help->windowTitle(), QStringLiteral("Ключевые слова"));
        EXPECT_EQ(help->palette().color(QPalette::Window), QColor(128, 128, 255));
        EXPECT_EQ(help->pos(), QPoint(61, 105));
        for (int i = 0; i < help->ListBox1->count(); ++i)
            lines << help->ListBox1->item(i)->text();
        help->Button1->click();
    });
    entry.Button2->click();
    EXPECT_EQ(lines, (QStringList{QStringLiteral(" D,TD,Vi,P,B       Диффузия,Термодиффузия,вязкость"),
                                  QStringLiteral("    Вещества"), QStringLiteral(" Ar,Ne,Kr,")}));
    EXPECT_EQ(entry.Edit1->text(), QStringLiteral("Aziz"));
}

TEST(EntryWindow, AddAndChangeFromTheirWindows)
{
    auto store = fixtureStore();
    Tbase search(*store);
    onNextModal([](QWidget *modal) {
        auto *entry = qobject_cast<TForm2 *>(modal);
        ASSERT_NE(entry, nullptr);
        entry->Edit1->setText(QStringLiteral("Hellmann"));
        entry->Button1->click();
    });
    search.add->click();
    EXPECT_EQ(search.Edit7->text(), QStringLiteral("10"));
    EXPECT_EQ(store->record(10).authors[0], "Hellmann");

    // "Change" edits the slot on show even when its stored number says otherwise.
    store->record(4).number = 0;
    store->foundCount = 1;
    store->foundList[1] = 4;
    TForm3 viewer(*store);
    onNextModal([](QWidget *modal) {
        auto *entry = qobject_cast<TForm2 *>(modal);
        ASSERT_NE(entry, nullptr);
        entry->Edit9->setText(QStringLiteral("1960"));
        entry->Button1->click();
    });
    viewer.Button3->click();
    EXPECT_EQ(store->documentCount, 10);
    EXPECT_EQ(store->record(4).year, 1960);
    EXPECT_EQ(store->record(4).number, 4);
    EXPECT_TRUE(viewer.RichEdit1->toPlainText().contains(QStringLiteral(" Год издания =1960")));

    // A full store opens no entry window.
    MessageHook hook;
    store->documentCount = DocumentStore::kMaxDocuments;
    search.add->click();
    ASSERT_EQ(hook.shown().size(), 1);
    EXPECT_EQ(hook.shown()[0], Tbase::storeFullText());
    EXPECT_EQ(store->documentCount, DocumentStore::kMaxDocuments);
}
