#include "ui/WindowTesting.h"
#include "ui/common/Messages.h"
#include "ui/common/SpinControl.h"
#include "ui/viewer/ResultViewer.h"

using namespace kaldex;
using namespace kaldex::ui;

namespace {

class ResultViewerTest : public test::WindowTest<ResultViewer> {
protected:
    // What the viewer shows: "position field: first line of the text".
    QString shown()
    {
        return child<QLineEdit>("Edit1")->text() + ": " +
               child<QTextEdit>("RichEdit1")->document()->firstBlock().text();
    }

    void press(std::initializer_list<SpinControl::Direction> arrows)
    {
        auto *pager = child<SpinControl>("UpDown1");
        for (SpinControl::Direction arrow : arrows)
            QTest::mouseClick(arrow == Up ? pager->upButton() : pager->downButton(), Qt::LeftButton);
    }

    static constexpr auto Up = SpinControl::Direction::Up;
    static constexpr auto Down = SpinControl::Direction::Down;
};

}  // namespace

TEST_F(ResultViewerTest, CarriesTheLayoutsTextsAndPlaces)
{
    store = test::queryStore({1}, {4});
    ResultViewer &viewer = open();
    EXPECT_EQ(viewer.windowTitle(), QStringLiteral("Find"));
    EXPECT_EQ(viewer.size(), QSize(652, 461));
    test::expectLayout(&viewer, {
                                    {"RichEdit1", nullptr, {15, 22, 488, 339}},
                                    {"UpDown1", nullptr, {254, 371, 16, 47}},
                                    {"Edit1", "1-1", {151, 392, 60, 21}},
                                    {"Label11", "Номер док.найденного-", {127, 364, 0, 0}},
                                    {"Label12", "номер док.в базе", {135, 376, 0, 0}},
                                    {"Edit4", "1", {32, 392, 60, 21}},
                                    {"Label13", "Число найденных", {16, 360, 0, 0}},
                                    {"Label14", "документов", {24, 376, 0, 0}},
                                    {"Button2", "Add", {277, 394, 60, 25}},
                                    {"Label1", "Добавить в ", {277, 362, 0, 0}},
                                    {"Label4", "карман", {277, 377, 0, 0}},
                                    {"Edit2", "1", {363, 394, 60, 21}},
                                    {"Label5", "Число док.", {363, 364, 0, 0}},
                                    {"Label6", "в кармане", {363, 377, 0, 0}},
                                    {"Edit3", "5000", {449, 394, 60, 21}},
                                    {"Label7", "Макс.число", {449, 364, 0, 0}},
                                    {"Label8", "док.в карм.", {449, 377, 0, 0}},
                                    {"Button3", "Change", {514, 232, 70, 25}},
                                    {"Label2", "Изменить ", {520, 200, 0, 0}},
                                    {"Label3", "документ", {520, 216, 0, 0}},
                                    {"Button5", "Clear", {514, 290, 70, 20}},
                                    {"Label9", "Очистка", {531, 260, 0, 0}},
                                    {"Label10", "кармана", {531, 273, 0, 0}},
                                    {"Button1", "OK", {514, 323, 70, 25}},
                                });
    EXPECT_EQ(test::tabOrder(&viewer, child<QPushButton>("Button1"), 11),
              QStringLiteral("Button1 RichEdit1 UpDown1 Edit1 Button2 Button3 Edit2 Edit3 Button5 Edit4 Button1"));
    child<QPushButton>("Button1")->click();
    EXPECT_FALSE(viewer.isVisible());
}

TEST_F(ResultViewerTest, OneHitStaysWhereItIs)
{
    store = test::queryStore({5});
    open();
    press({Up, Down});
    EXPECT_EQ(child<SpinControl>("UpDown1")->position(), 1);
    EXPECT_EQ(shown(), QStringLiteral("1-5: Номер документа= 5"));
}

TEST_F(ResultViewerTest, PagesThroughSeveralHitsByTheirSlots)
{
    store = test::queryStore({2, 4, 9});
    store->record(2).number = 0;  // a hand-edited file: the slot still decides
    store->record(4).number = 40;
    open();
    EXPECT_EQ(shown(), QStringLiteral("1-0: Номер документа= 2"));
    press({Down});
    EXPECT_EQ(shown(), QStringLiteral("1-0: Номер документа= 2"));
    press({Up});
    EXPECT_EQ(shown(), QStringLiteral("2-40: Номер документа= 4"));
    EXPECT_TRUE(child<QTextEdit>("RichEdit1")->toPlainText().contains(QStringLiteral("Первый автор:  Голубев ")));
    press({Up, Up});
    EXPECT_EQ(shown(), QStringLiteral("3-9: Номер документа= 9"));
}

TEST_F(ResultViewerTest, AddClearAndAFullPocket)
{
    store = test::queryStore({3, 6}, {1});
    open();
    auto *add = child<QPushButton>("Button2");
    add->click();
    add->click();
    ASSERT_EQ(store->pocketCount, 3);
    EXPECT_EQ(store->pocket[2], 3);
    EXPECT_EQ(store->pocket[3], 3);
    EXPECT_EQ(child<QLineEdit>("Edit2")->text(), QStringLiteral("3"));

    child<QPushButton>("Button5")->click();
    EXPECT_EQ(child<QLineEdit>("Edit2")->text(), QStringLiteral("0"));
    press({Up});
    add->click();
    ASSERT_EQ(store->pocketCount, 1);
    EXPECT_EQ(store->pocket[1], 6);

    MessageHook hook;
    store->pocketCount = DocumentStore::kMaxPocket;
    add->click();
    EXPECT_EQ(store->pocketCount, DocumentStore::kMaxPocket);
    EXPECT_EQ(hook.shown(),
              QStringList({"Карман полон: в нём уже 4999 документов. Очистите карман, чтобы добавлять новые."}));
}
