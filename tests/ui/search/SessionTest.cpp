// Enter presses buttons or runs the search (Esc and Delete: tests/e2e/pocket.sh); unread search fields block
// nothing; closing with unsaved documents asks.
#include "core/store/DatabaseLoader.h"
#include "core/store/DatabaseWriter.h"
#include "ui/WindowTesting.h"
#include "ui/common/ErrorBanner.h"
#include "ui/common/Messages.h"
#include "ui/entry/EntryWindow.h"
#include "ui/search/SearchWindow.h"
#include "ui/start/StartWindow.h"

using namespace kaldex;
using namespace kaldex::ui;
using test::child;

TEST(Session, EnterPressesAFocusedButtonOrRunsTheSearch)
{
    test::InDirectory here;
    MessageHook messages;  // no ba0 here: "CONT" says so
    DocumentStore store;
    StartWindow start(store);
    start.show();
    bool searched = false;
    test::onNextModal([&](QWidget *modal) { searched = qobject_cast<SearchWindow *>(modal) != nullptr; });
    QTest::keyClick(child<QPushButton>(&start, "Button1"), Qt::Key_Return);
    EXPECT_TRUE(searched);

    // Enter in a search field runs "Find": with nothing asked, the error banner.
    SearchWindow search(store);
    search.show();
    bool banner = false;
    test::onNextModal([&](QWidget *modal) { banner = qobject_cast<ErrorBanner *>(modal) != nullptr; });
    QTest::keyClick(child<QLineEdit>(&search, "Edit1"), Qt::Key_Enter);
    EXPECT_TRUE(banner);

    EntryWindow entry(store);
    entry.show();
    child<QLineEdit>(&entry, "Edit9")->setText(QStringLiteral("1999"));
    QTest::keyClick(child<QPushButton>(&entry, "Button1"), Qt::Key_Return);
    EXPECT_FALSE(entry.isVisible());
    EXPECT_EQ(store.record(1).year, 1999);
}

using SearchWindowTest = test::WindowTest<SearchWindow>;

TEST_F(SearchWindowTest, OnlyTheFieldsASearchReadsMustBeStorable)
{
    open();
    MessageHook messages;
    auto *find = child<QPushButton>("Button6");
    child<QCheckBox>("CheckBox3")->setChecked(true);               // Visc
    child<QLineEdit>("Edit1")->setText(QStringLiteral("Κεστιν"));  // Greek, Aut not ticked
    find->click();
    EXPECT_TRUE(messages.shown().isEmpty());
    child<QCheckBox>("CheckBox1")->setChecked(true);  // N
    child<QLineEdit>("Edit6")->setText(QStringLiteral("1"));
    child<QCheckBox>("CheckBox13")->setChecked(true);  // Aut: a number lookup reads the number alone
    find->click();
    EXPECT_TRUE(messages.shown().isEmpty());
    child<QCheckBox>("CheckBox1")->setChecked(false);
    find->click();
    ASSERT_EQ(messages.shown().size(), 1);
    EXPECT_TRUE(messages.shown()[0].contains(QStringLiteral("«Κ»"))) << messages.shown()[0].toStdString();
}

// The database lives elsewhere than the working folder; the title bar asks
// before unsaved documents are dropped.
TEST(Session, ClosingWithUnsavedDocumentsAsksAndSavesWhereTheDatabaseIs)
{
    test::InDirectory here;
    test::TempDir elsewhere;
    test::writeBytes(elsewhere.file("ba0"), test::threeDocuments());
    MessageHook messages;
    DocumentStore store;
    store.database = {elsewhere.path(), "ba0"};
    loadDatabaseFile(store, store.database.path());
    test::addDocument(store, "Closer");

    SearchWindow search(store);
    search.show();
    messages.setNextAnswer(Answer::Cancel);
    search.close();
    EXPECT_TRUE(search.isVisible()) << "Cancel keeps the window";
    ASSERT_EQ(messages.shown().size(), 1);
    EXPECT_TRUE(messages.shown().at(0).startsWith(QStringLiteral("Сохранить изменения?")));

    messages.setNextAnswer(Answer::Yes);
    search.close();
    EXPECT_FALSE(search.isVisible());
    const std::string saved = test::readBytes(elsewhere.file("ba0"));
    EXPECT_NE(saved.find("\r\nCloser@"), std::string::npos) << "Yes saves as OK does";
    EXPECT_EQ(test::listing(elsewhere.path()), backupStem(LocalDate::today()) + "0 ba0 ")
        << "the backup lies beside the database";
    EXPECT_EQ(test::listing(here.dir.path()), "") << "nothing in the working folder";

    // Saved: nothing left to ask about.
    search.show();
    search.close();
    EXPECT_FALSE(search.isVisible());
}
