// What a session keeps: Enter only on buttons (Esc and Delete: tests/e2e/run-e2e), a refused save
// that still saves the documents somewhere, a search not blocked by unread fields.
#include "WindowTesting.h"
#include "app/Messages.h"
#include "app/StartWindow.h"
#include "entry/EntryWindow.h"
#include "search/SearchWindow.h"
#include "store/DatabaseLoader.h"

using namespace kaldex;
using namespace kaldex::ui;

TEST(Session, EnterPressesAFocusedButtonOnly)
{
    test::InDirectory here;
    DocumentStore store;
    StartWindow start(store);
    start.show();
    start.continueButton->setFocus();
    bool searched = false;
    test::onNextModal([&](QWidget *modal) { searched = qobject_cast<SearchWindow *>(modal) != nullptr; });
    QTest::keyClick(start.continueButton, Qt::Key_Return);
    EXPECT_TRUE(searched);

    // Enter in a text field presses nothing: "Find" would add a line to the list.
    SearchWindow search(store);
    search.show();
    search.authorPrefixField->setFocus();
    QTest::keyClick(search.authorPrefixField, Qt::Key_Enter);
    EXPECT_EQ(search.messageList->count(), 0);

    EntryWindow entry(store);
    entry.show();
    entry.yearField->setText(QStringLiteral("1999"));
    entry.okButton->setFocus();
    QTest::keyClick(entry.okButton, Qt::Key_Return);
    EXPECT_FALSE(entry.isVisible());
    EXPECT_EQ(store.record(1).year, 1999);
}

TEST(Session, ARefusedSaveWritesTheSessionsDocumentsToAFileOfTheirOwn)
{
    test::InDirectory here;
    test::writeBytes("ba0", "unread");
    for (int session = 0; session < 2; ++session) {
        DocumentStore store;
        store.unreadFile = true;  // as after a "ba0" that could not be read
        store.documentCount = 1;
        test::addDocument(store, "Kestin");
        SearchWindow search(store);
        search.show();
        MessageHook messages;
        messages.setNextAnswer(Answer::Yes);
        search.okButton->click();
        EXPECT_FALSE(search.isVisible());
        EXPECT_TRUE(messages.shown().size() == 2 && messages.shown()[0].contains(QStringLiteral("в отдельный файл")) &&
                    messages.shown()[1].contains(QStringLiteral("kaldex-tool append ba0.session-")));
    }
    // Two sessions, two files; "ba0" untouched; each file a database of the one document, renumbered.
    const QStringList names = QString::fromStdString(test::listing(".")).split(u' ', Qt::SkipEmptyParts);
    ASSERT_EQ(names.size(), 3);
    EXPECT_EQ(test::readBytes("ba0"), "unread");
    EXPECT_TRUE(names[1].startsWith(QStringLiteral("ba0.session-")) && names[1].endsWith(u'0'));
    EXPECT_TRUE(names[2].endsWith(u'1'));
    DocumentStore loaded;
    EXPECT_EQ(loadDatabaseFile(loaded, names[1].toStdString()).documents, 1);
    EXPECT_EQ(loaded.record(1).authors[0] + std::to_string(loaded.record(1).number), "Kestin1");
}

TEST(Session, OnlyTheFieldsASearchReadsMustBeStorable)
{
    DocumentStore store;
    SearchWindow search(store);
    MessageHook messages;
    search.viscosityKey->setChecked(true);
    search.authorPrefixField->setText(QStringLiteral("Κεστιν"));  // Greek, Aut not ticked
    search.findButton->click();
    EXPECT_TRUE(messages.shown().isEmpty());
    search.byNumberBox->setChecked(true);
    search.numberField->setText(QStringLiteral("1"));
    search.byAuthorBox->setChecked(true);  // a number lookup reads the number alone
    search.findButton->click();
    EXPECT_TRUE(messages.shown().isEmpty());
    search.byNumberBox->setChecked(false);
    search.findButton->click();
    EXPECT_TRUE(messages.shown().size() == 1 && messages.shown()[0].contains(QStringLiteral("«Κ»")));
}
