#include "TestFiles.h"
#include "WindowTesting.h"
#include "app/Messages.h"
#include "app/SpinControl.h"
#include "store/DatabaseLoader.h"
#include "viewer/ResultViewer.h"

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

QString firstLine(const ResultViewer &viewer)
{
    return viewer.documentText->document()->firstBlock().text();
}

}  // namespace

TEST(Viewer, CarriesTheLayoutsPlacesAndTabOrder)
{
    auto store = storeWithHits({1});
    ResultViewer viewer(*store);
    EXPECT_EQ(viewer.windowTitle(), QStringLiteral("Find"));
    EXPECT_EQ(viewer.size(), QSize(652, 461));
    EXPECT_EQ(viewer.documentText->geometry(), QRect(15, 22, 488, 339));
    EXPECT_EQ(viewer.pager->geometry(), QRect(254, 371, 16, 47));
    EXPECT_EQ(viewer.changeButton->geometry(), QRect(514, 232, 70, 25));
    EXPECT_EQ(viewer.clearButton->geometry(), QRect(514, 290, 70, 20));
    EXPECT_EQ(viewer.positionCaption->text(), QStringLiteral("Номер док.найденного-"));
    EXPECT_EQ(viewer.positionCaption->pos(), QPoint(127, 364));
    EXPECT_EQ(viewer.pocketMaximumField->text(), QStringLiteral("5000"));

    const QStringList order = test::tabOrder(&viewer, viewer.okButton, 11);
    EXPECT_EQ(order.join(QLatin1Char(' ')),
              QStringLiteral("Button1 RichEdit1 UpDown1 Edit1 Button2 Button3 Edit2 Edit3 Button5 Edit4 Button1"));
}

TEST(Viewer, OneHitStaysWhereItIs)
{
    auto store = storeWithHits({5});
    ResultViewer viewer(*store);
    EXPECT_EQ(viewer.foundCountField->text(), QStringLiteral("1"));
    EXPECT_EQ(viewer.positionField->text(), QStringLiteral("1-5"));
    EXPECT_EQ(firstLine(viewer), QStringLiteral("Номер документа= 5"));
    viewer.pager->step(SpinControl::Direction::Up);
    viewer.pager->step(SpinControl::Direction::Down);
    EXPECT_EQ(viewer.pager->position(), 1);
    EXPECT_EQ(viewer.positionField->text(), QStringLiteral("1-5"));
    EXPECT_EQ(firstLine(viewer), QStringLiteral("Номер документа= 5"));
}

TEST(Viewer, PagesThroughSeveralHitsByTheirSlots)
{
    auto store = storeWithHits({2, 4, 9});
    store->record(2).number = 0;  // a hand-edited file: the slot still decides
    store->record(4).number = 40;
    ResultViewer viewer(*store);
    EXPECT_EQ(firstLine(viewer), QStringLiteral("Номер документа= 2"));
    EXPECT_EQ(viewer.positionField->text(), QStringLiteral("1-0"));

    viewer.pager->step(SpinControl::Direction::Down);
    EXPECT_EQ(firstLine(viewer), QStringLiteral("Номер документа= 2"));
    QTest::mouseClick(viewer.pager->upButton(), Qt::LeftButton);
    EXPECT_EQ(viewer.positionField->text(), QStringLiteral("2-40"));
    EXPECT_EQ(firstLine(viewer), QStringLiteral("Номер документа= 4"));
    EXPECT_TRUE(viewer.documentText->toPlainText().contains(QStringLiteral("Первый автор:  Голубев ")));
    viewer.pager->step(SpinControl::Direction::Up);
    viewer.pager->step(SpinControl::Direction::Up);
    EXPECT_EQ(viewer.positionField->text(), QStringLiteral("3-9"));
}

TEST(Viewer, StoreBrowsingAfterANumberLookup)
{
    auto store = storeWithHits({});
    store->query().wantedNumber = 7;
    ResultViewer viewer(*store);
    EXPECT_FALSE(viewer.listBrowsing());
    EXPECT_EQ(viewer.foundCountField->text(), QStringLiteral("9"));
    EXPECT_EQ(viewer.positionField->text(), QStringLiteral("7-7"));
    EXPECT_EQ(firstLine(viewer), QStringLiteral("Номер документа= 7"));
    viewer.pager->step(SpinControl::Direction::Up);
    viewer.pager->step(SpinControl::Direction::Up);
    viewer.pager->step(SpinControl::Direction::Up);
    EXPECT_EQ(viewer.positionField->text(), QStringLiteral("9-9"));
    viewer.addButton->click();
    EXPECT_EQ(store->pocket[1], 9);
}

TEST(Viewer, AddClearAndAFullPocket)
{
    auto store = storeWithHits({3, 6});
    store->pocketCount = 1;
    store->pocket[1] = 1;
    ResultViewer viewer(*store);
    EXPECT_EQ(viewer.pocketCountField->text(), QStringLiteral("1"));
    viewer.addButton->click();
    viewer.addButton->click();
    EXPECT_EQ(store->pocketCount, 3);
    EXPECT_EQ(store->pocket[2], 3);
    EXPECT_EQ(store->pocket[3], 3);
    EXPECT_EQ(viewer.pocketCountField->text(), QStringLiteral("3"));

    viewer.clearButton->click();
    EXPECT_EQ(viewer.pocketCountField->text(), QStringLiteral("0"));
    viewer.pager->step(SpinControl::Direction::Up);
    viewer.addButton->click();
    EXPECT_EQ(store->pocketCount, 1);
    EXPECT_EQ(store->pocket[1], 6);

    MessageHook hook;
    store->pocketCount = DocumentStore::kMaxPocket;
    viewer.addButton->click();
    EXPECT_EQ(store->pocketCount, DocumentStore::kMaxPocket);
    ASSERT_EQ(hook.shown().size(), 1);
    EXPECT_EQ(hook.shown()[0], ResultViewer::pocketFullText());
}
