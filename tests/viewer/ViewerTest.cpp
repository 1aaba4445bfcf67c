#include "TestFiles.h"
#include "WindowTesting.h"
#include "app/Messages.h"
#include "app/SpinControl.h"
#include "store/DatabaseLoader.h"
#include "viewer/TForm3.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QTextEdit>
#include <QToolButton>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <memory>

using namespace kaldex;
using namespace kaldex::ui;

namespace {

std::unique_ptr<DocumentStore> storeWithHits(std::initializer_list<int> hits)
{
    auto store = std::make_unique<DocumentStore>();
    loadDatabase(*store, test::readBytes(test::dataFile("search/query.ba0")));
    for (int slot : hits)
        store->foundList[static_cast<size_t>(++store->foundCount)] = slot;
    return store;
}

QString firstLine(const TForm3 &viewer)
{
    return viewer.RichEdit1->document()->firstBlock().text();
}

}  // namespace

TEST(Viewer, CarriesTheLayoutsPlacesAndTabOrder)
{
    auto store = storeWithHits({1});
    TForm3 viewer(*store);
    EXPECT_EQ(viewer.windowTitle(), QStringLiteral("Find"));
    EXPECT_EQ(viewer.size(), QSize(652, 461));
    EXPECT_EQ(viewer.RichEdit1->geometry(), QRect(15, 22, 488, 339));
    EXPECT_EQ(viewer.UpDown1->geometry(), QRect(254, 371, 16, 47));
    EXPECT_EQ(viewer.Button3->geometry(), QRect(514, 232, 70, 25));
    EXPECT_EQ(viewer.Button5->geometry(), QRect(514, 290, 70, 20));
    EXPECT_EQ(viewer.Label11->text(), QStringLiteral("Номер док.найденного-"));
    EXPECT_EQ(viewer.Label11->pos(), QPoint(127, 364));
    EXPECT_EQ(viewer.Edit3->text(), QStringLiteral("5000"));

    const QStringList order = test::tabOrder(&viewer, viewer.Button1, 11);
    EXPECT_EQ(order.join(QLatin1Char(' ')),
              QStringLiteral("Button1 RichEdit1 UpDown1 Edit1 Button2 Button3 Edit2 Edit3 Button5 Edit4 Button1"));
}

TEST(Viewer, OneHitStaysWhereItIs)
{
    auto store = storeWithHits({5});
    TForm3 viewer(*store);
    EXPECT_EQ(viewer.Edit4->text(), QStringLiteral("1"));
    EXPECT_EQ(viewer.Edit1->text(), QStringLiteral("1-5"));
    EXPECT_EQ(firstLine(viewer), QStringLiteral("Номер документа= 5"));
    viewer.UpDown1->step(SpinControl::Direction::Up);
    viewer.UpDown1->step(SpinControl::Direction::Down);
    EXPECT_EQ(viewer.UpDown1->position(), 1);
    EXPECT_EQ(viewer.Edit1->text(), QStringLiteral("1-5"));
    EXPECT_EQ(firstLine(viewer), QStringLiteral("Номер документа= 5"));
}

TEST(Viewer, PagesThroughSeveralHitsByTheirSlots)
{
    auto store = storeWithHits({2, 4, 9});
    store->record(2).number = 0;  // a hand-edited file: the slot still decides
    store->record(4).number = 40;
    TForm3 viewer(*store);
    EXPECT_EQ(firstLine(viewer), QStringLiteral("Номер документа= 2"));
    EXPECT_EQ(viewer.Edit1->text(), QStringLiteral("1-0"));

    viewer.UpDown1->step(SpinControl::Direction::Down);
    EXPECT_EQ(firstLine(viewer), QStringLiteral("Номер документа= 2"));
    QTest::mouseClick(viewer.UpDown1->upButton(), Qt::LeftButton);
    EXPECT_EQ(viewer.Edit1->text(), QStringLiteral("2-40"));
    EXPECT_EQ(firstLine(viewer), QStringLiteral("Номер документа= 4"));
    EXPECT_TRUE(viewer.RichEdit1->toPlainText().contains(QStringLiteral("Первый автор:  Голубев ")));
    viewer.UpDown1->step(SpinControl::Direction::Up);
    viewer.UpDown1->step(SpinControl::Direction::Up);
    EXPECT_EQ(viewer.Edit1->text(), QStringLiteral("3-9"));
}

TEST(Viewer, StoreBrowsingAfterANumberLookup)
{
    auto store = storeWithHits({});
    store->query().wantedNumber = 7;
    TForm3 viewer(*store);
    EXPECT_FALSE(viewer.listBrowsing());
    EXPECT_EQ(viewer.Edit4->text(), QStringLiteral("9"));
    EXPECT_EQ(viewer.Edit1->text(), QStringLiteral("7-7"));
    EXPECT_EQ(firstLine(viewer), QStringLiteral("Номер документа= 7"));
    viewer.UpDown1->step(SpinControl::Direction::Up);
    viewer.UpDown1->step(SpinControl::Direction::Up);
    viewer.UpDown1->step(SpinControl::Direction::Up);
    EXPECT_EQ(viewer.Edit1->text(), QStringLiteral("9-9"));
    viewer.Button2->click();
    EXPECT_EQ(store->pocket[1], 9);
}

TEST(Viewer, AddClearAndAFullPocket)
{
    auto store = storeWithHits({3, 6});
    store->pocketCount = 1;
    store->pocket[1] = 1;
    TForm3 viewer(*store);
    EXPECT_EQ(viewer.Edit2->text(), QStringLiteral("1"));
    viewer.Button2->click();
    viewer.Button2->click();
    EXPECT_EQ(store->pocketCount, 3);
    EXPECT_EQ(store->pocket[2], 3);
    EXPECT_EQ(store->pocket[3], 3);
    EXPECT_EQ(viewer.Edit2->text(), QStringLiteral("3"));

    viewer.Button5->click();
    EXPECT_EQ(viewer.Edit2->text(), QStringLiteral("0"));
    viewer.UpDown1->step(SpinControl::Direction::Up);
    viewer.Button2->click();
    EXPECT_EQ(store->pocketCount, 1);
    EXPECT_EQ(store->pocket[1], 6);

    MessageHook hook;
    store->pocketCount = DocumentStore::kMaxPocket;
    viewer.Button2->click();
    EXPECT_EQ(store->pocketCount, DocumentStore::kMaxPocket);
    ASSERT_EQ(hook.shown().size(), 1);
    EXPECT_EQ(hook.shown()[0], TForm3::pocketFullText());
}
