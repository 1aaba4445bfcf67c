#include "ui/WindowTesting.h"
#include "ui/common/Messages.h"
#include "ui/common/SpinControl.h"
#include "ui/viewer/ResultViewer.h"

using namespace kaldex;
using namespace kaldex::ui;

namespace {

std::unique_ptr<DocumentStore> storeWithHits(std::initializer_list<int> hits)
{
    auto store = test::queryStore();
    for (int slot : hits)
        store->foundList[static_cast<size_t>(++store->foundCount)] = slot;
    return store;
}

// What the viewer shows: "position field: first line of the text".
QString shown(const ResultViewer &v)
{
    return v.positionField->text() + ": " + v.documentText->document()->firstBlock().text();
}

void step(ResultViewer &viewer, std::initializer_list<SpinControl::Direction> steps)
{
    for (SpinControl::Direction direction : steps)
        viewer.pager->step(direction);
}

constexpr auto Up = SpinControl::Direction::Up;
constexpr auto Down = SpinControl::Direction::Down;

}  // namespace

TEST(Viewer, CarriesTheLayoutsPlacesAndTabOrder)
{
    auto store = storeWithHits({1});
    ResultViewer viewer(*store);
    EXPECT_EQ(viewer.windowTitle(), QStringLiteral("Find"));
    EXPECT_EQ(viewer.size(), QSize(652, 461));
    const std::pair<QWidget *, QRect> places[] = {{viewer.documentText, {15, 22, 488, 339}},
                                                  {viewer.pager, {254, 371, 16, 47}},
                                                  {viewer.changeButton, {514, 232, 70, 25}},
                                                  {viewer.clearButton, {514, 290, 70, 20}}};
    for (const auto &[widget, rect] : places)
        EXPECT_EQ(widget->geometry(), rect) << widget->objectName().toStdString();
    EXPECT_EQ(viewer.positionCaption->text(), QStringLiteral("Номер док.найденного-"));
    EXPECT_EQ(viewer.positionCaption->pos(), QPoint(127, 364));
    EXPECT_EQ(viewer.pocketMaximumField->text(), QStringLiteral("5000"));
    EXPECT_EQ(test::tabOrder(&viewer, viewer.okButton, 11),
              QStringLiteral("Button1 RichEdit1 UpDown1 Edit1 Button2 Button3 Edit2 Edit3 Button5 Edit4 Button1"));
}

TEST(Viewer, PagesThroughSeveralHitsByTheirSlots)
{
    auto one = storeWithHits({5});  // one hit stays where it is
    ResultViewer single(*one);
    EXPECT_EQ(single.foundCountField->text(), QStringLiteral("1"));
    step(single, {Up, Down});
    EXPECT_EQ(single.pager->position(), 1);
    EXPECT_EQ(shown(single), QStringLiteral("1-5: Номер документа= 5"));

    auto store = storeWithHits({2, 4, 9});
    store->record(2).number = 0;  // a hand-edited file: the slot still decides
    store->record(4).number = 40;
    ResultViewer viewer(*store);
    EXPECT_EQ(shown(viewer), QStringLiteral("1-0: Номер документа= 2"));
    step(viewer, {Down});
    EXPECT_EQ(shown(viewer), QStringLiteral("1-0: Номер документа= 2"));
    QTest::mouseClick(viewer.pager->upButton(), Qt::LeftButton);
    EXPECT_EQ(shown(viewer), QStringLiteral("2-40: Номер документа= 4"));
    EXPECT_TRUE(viewer.documentText->toPlainText().contains(QStringLiteral("Первый автор:  Голубев ")));
    step(viewer, {Up, Up});
    EXPECT_EQ(shown(viewer), QStringLiteral("3-9: Номер документа= 9"));
}

TEST(Viewer, AddClearAndAFullPocket)
{
    auto store = storeWithHits({3, 6});
    store->pocketCount = 1, store->pocket[1] = 1;
    ResultViewer viewer(*store);
    EXPECT_EQ(viewer.pocketCountField->text(), QStringLiteral("1"));
    viewer.addButton->click(), viewer.addButton->click();
    EXPECT_EQ(std::vector<int>(store->pocket.begin() + 1, store->pocket.begin() + 1 + store->pocketCount),
              std::vector<int>({1, 3, 3}));
    EXPECT_EQ(viewer.pocketCountField->text(), QStringLiteral("3"));

    viewer.clearButton->click();
    EXPECT_EQ(viewer.pocketCountField->text(), QStringLiteral("0"));
    step(viewer, {Up});
    viewer.addButton->click();
    EXPECT_TRUE(store->pocketCount == 1 && store->pocket[1] == 6);

    MessageHook hook;
    store->pocketCount = DocumentStore::kMaxPocket;
    viewer.addButton->click();
    EXPECT_EQ(store->pocketCount, DocumentStore::kMaxPocket);
    EXPECT_EQ(hook.shown(),
              QStringList({"Карман полон: в нём уже 4999 документов. Очистите карман, чтобы добавлять новые."}));
}
