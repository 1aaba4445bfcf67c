// Enter presses buttons only (Esc and Delete: tests/e2e/run-e2e); unread search fields block nothing.
#include "ui/WindowTesting.h"
#include "ui/common/Messages.h"
#include "ui/entry/EntryWindow.h"
#include "ui/search/SearchWindow.h"
#include "ui/start/StartWindow.h"

using namespace kaldex;
using namespace kaldex::ui;

TEST(Session, EnterPressesAFocusedButtonOnly)
{
    test::InDirectory here;
    DocumentStore store;
    StartWindow start(store);
    start.show();
    bool searched = false;
    test::onNextModal([&](QWidget *modal) { searched = qobject_cast<SearchWindow *>(modal) != nullptr; });
    QTest::keyClick(start.continueButton, Qt::Key_Return);
    EXPECT_TRUE(searched);

    // Enter in a text field presses nothing: "Find" would add a line to the list.
    SearchWindow search(store);
    search.show();
    QTest::keyClick(search.authorPrefixField, Qt::Key_Enter);
    EXPECT_EQ(search.messageList->count(), 0);

    EntryWindow entry(store);
    entry.show();
    entry.yearField->setText(QStringLiteral("1999"));
    QTest::keyClick(entry.okButton, Qt::Key_Return);
    EXPECT_FALSE(entry.isVisible());
    EXPECT_EQ(store.record(1).year, 1999);
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
