#include "TestFiles.h"
#include "WindowTesting.h"
#include "app/Messages.h"
#include "app/TForm8.h"
#include "search/Tbase.h"
#include "store/DatabaseLoader.h"
#include "viewer/TForm3.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <gtest/gtest.h>

#include <memory>

using namespace kaldex;
using namespace kaldex::ui;
using test::onNextModal;

namespace {

struct SearchFixture {
    std::unique_ptr<DocumentStore> store = std::make_unique<DocumentStore>();
    std::unique_ptr<Tbase> window;

    SearchFixture()
    {
        loadDatabase(*store, test::readBytes(test::dataFile("search/query.ba0")));
        window = std::make_unique<Tbase>(*store);
    }

    QStringList messages() const
    {
        QStringList lines;
        for (int i = 0; i < window->ListBox2->count(); ++i)
            lines << window->ListBox2->item(i)->text();
        return lines;
    }

    // Presses "Find" and reports which window it opened, if any.
    QString find()
    {
        QString opened;
        onNextModal([&opened](QWidget *modal) { opened = modal->metaObject()->className(); });
        window->Button6->click();
        QApplication::processEvents();  // a watcher that saw no window must not outlive this call
        return opened;
    }
};

}  // namespace

TEST(Find, MessagesAndTheBanner)
{
    SearchFixture f;
    EXPECT_EQ(f.find(), QStringLiteral("kaldex::ui::TForm8"));  // nothing asked for
    EXPECT_TRUE(f.messages().isEmpty());

    f.window->CheckBox14->setChecked(true);
    f.window->Edit2->setText(QStringLiteral("1970"));
    f.window->CheckBox15->setChecked(true);
    f.window->Edit3->setText(QStringLiteral("1980"));
    EXPECT_EQ(f.find(), QString());
    EXPECT_EQ(f.messages(), QStringList{QStringLiteral("Год <=>= Противор.")});

    f.window->Edit2->setText(QStringLiteral("1900"));
    f.window->Edit3->setText(QStringLiteral("1900"));
    EXPECT_EQ(f.find(), QString());
    EXPECT_EQ(f.messages(), QStringList{QStringLiteral("Док.не найд.")});

    // The number lookup keeps what the list held and adds its space line.
    f.window->CheckBox1->setChecked(true);
    f.window->Edit6->setText(QStringLiteral("10"));
    EXPECT_EQ(f.find(), QString());
    EXPECT_EQ(f.messages(), (QStringList{QStringLiteral("Док.не найд."), QStringLiteral(" "),
                                         QStringLiteral("Ном.док.не найд.")}));
    f.window->Edit6->clear();
    EXPECT_EQ(f.find(), QStringLiteral("kaldex::ui::TForm8"));
    EXPECT_EQ(f.messages().size(), 4);
    EXPECT_EQ(f.messages().last(), QStringLiteral(" "));
}

TEST(Find, HitsOpenTheViewerAndThePocketCountFollows)
{
    SearchFixture f;
    f.window->CheckBox3->setChecked(true);  // "Visc"
    QString shownCount;
    onNextModal([&shownCount](QWidget *modal) {
        auto *viewer = qobject_cast<TForm3 *>(modal);
        ASSERT_NE(viewer, nullptr);
        shownCount = viewer->Edit4->text();
        viewer->Button2->click();
        viewer->Button2->click();
    });
    f.window->Button6->click();
    EXPECT_EQ(shownCount, QStringLiteral("3"));
    EXPECT_EQ(f.store->foundCount, 3);
    EXPECT_EQ(f.store->pocketCount, 2);
    EXPECT_EQ(f.window->Edit10->text(), QStringLiteral("2"));
    EXPECT_TRUE(f.messages().isEmpty());

    // "N" opens the viewer on that document whatever else is ticked.
    f.window->CheckBox1->setChecked(true);
    f.window->Edit6->setText(QStringLiteral("8"));
    QString position;
    onNextModal([&position](QWidget *modal) { position = qobject_cast<TForm3 *>(modal)->Edit1->text(); });
    f.window->Button6->click();
    EXPECT_EQ(position, QStringLiteral("8-8"));
    EXPECT_EQ(f.messages(), QStringList{QStringLiteral(" ")});
}

TEST(Find, TextsTheCodePageCannotHoldAreRefused)
{
    SearchFixture f;
    MessageHook hook;
    f.window->CheckBox13->setChecked(true);
    f.window->Edit1->setText(QStringLiteral("Κεστιν"));
    EXPECT_EQ(f.find(), QString());
    ASSERT_EQ(hook.shown().size(), 1);
    EXPECT_TRUE(hook.shown()[0].contains(QStringLiteral("«Κ»")));
    EXPECT_TRUE(f.messages().isEmpty());
    EXPECT_EQ(f.store->query().authors[0], "");  // nothing was searched
}
