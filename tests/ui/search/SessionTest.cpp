// Enter presses buttons only (Esc and Delete: tests/e2e/run-e2e); unread search fields block nothing.
#include "ui/WindowTesting.h"
#include "ui/common/Messages.h"
#include "ui/entry/EntryWindow.h"
#include "ui/search/SearchWindow.h"
#include "ui/start/StartWindow.h"

using namespace kaldex;
using namespace kaldex::ui;
using test::child;

TEST(Session, EnterPressesAFocusedButtonOnly)
{
    test::InDirectory here;
    DocumentStore store;
    StartWindow start(store);
    start.show();
    bool searched = false;
    test::onNextModal([&](QWidget *modal) { searched = qobject_cast<SearchWindow *>(modal) != nullptr; });
    QTest::keyClick(child<QPushButton>(&start, "Button1"), Qt::Key_Return);
    EXPECT_TRUE(searched);

    // Enter in a text field presses nothing: "Find" would add a line to the list.
    SearchWindow search(store);
    search.show();
    QTest::keyClick(child<QLineEdit>(&search, "Edit1"), Qt::Key_Enter);
    EXPECT_EQ(child<QListWidget>(&search, "ListBox2")->count(), 0);

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
