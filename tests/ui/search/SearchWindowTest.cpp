#include "ui/search/SearchWindow.h"
#include "ui/WindowTesting.h"

using namespace kaldex;
using namespace kaldex::ui;
using test::items;

using SearchWindowTest = test::WindowTest<SearchWindow>;

TEST_F(SearchWindowTest, CarriesTheLayoutsTextsAndPlaces)
{
    store->documentCount = 48;
    store->pocketCount = 3;
    SearchWindow &search = open();
    EXPECT_EQ(search.windowTitle(), QStringLiteral("base"));
    EXPECT_EQ(search.size(), QSize(653, 530));
    EXPECT_EQ(search.font().family(), QStringLiteral("MS Sans Serif"));
    test::expectLayout(&search, {
                                    {"ListBox1", nullptr, {12, 57, 301, 120}},
                                    {"Bevel1", nullptr, {29, 8, 383, 50}},
                                    {"CheckBox16", "Other", {42, 12, 50, 16}},
                                    {"CheckBox3", "Visc", {106, 12, 40, 17}},
                                    {"CheckBox4", "Cond", {170, 12, 48, 17}},
                                    {"CheckBox5", "TDF", {234, 12, 42, 17}},
                                    {"CheckBox9", "Dif", {298, 12, 48, 17}},
                                    {"CheckBox10", "Pot", {362, 12, 46, 17}},
                                    {"CheckBox6", "Vir", {106, 37, 41, 17}},
                                    {"CheckBox7", "Beam", {170, 37, 48, 17}},
                                    {"CheckBox8", "Spectr", {234, 37, 56, 17}},
                                    {"CheckBox11", "The", {298, 37, 40, 17}},
                                    {"CheckBox12", "Exp", {362, 37, 48, 17}},
                                    {"Label9", "Поиск по тексту в окне дополнительные сведения", {9, 192, 210, 26}},
                                    {"Edit11", "", {240, 192, 100, 21}},
                                    {"CheckBox1", "N", {145, 222, 42, 17}},
                                    {"Edit6", "", {240, 219, 100, 21}},
                                    {"CheckBox2", "Sub1+Sub2", {145, 251, 81, 17}},
                                    {"Edit4", "", {240, 243, 100, 21}},
                                    {"Edit5", "", {240, 267, 100, 21}},
                                    {"CheckBox13", "Aut", {145, 307, 40, 17}},
                                    {"Edit1", "", {240, 307, 100, 21}},
                                    {"CheckBox14", "Y<=", {145, 339, 40, 17}},
                                    {"Edit2", "", {240, 339, 100, 21}},
                                    {"CheckBox15", "Y>=", {145, 371, 48, 17}},
                                    {"Edit3", "", {240, 371, 100, 21}},
                                    {"Button6", "Find", {271, 414, 58, 25}},
                                    {"ListBox2", nullptr, {47, 446, 189, 25}},
                                    {"Bevel4", nullptr, {32, 224, 97, 50}},
                                    {"Label2", "Кол.док.", {55, 224, 43, 13}},
                                    {"Edit7", "48", {51, 240, 60, 21}},
                                    {"Label1", "Добавление ", {45, 283, 66, 13}},
                                    {"add", "Add", {51, 299, 60, 25}},
                                    {"Button9", "OK", {51, 335, 60, 25}},
                                    {"Bevel2", nullptr, {456, 4, 177, 33}},
                                    {"Label3", "Макс.чис.док.в базе", {460, 14, 104, 13}},
                                    {"Edit8", "5000", {570, 11, 49, 21}},
                                    {"Bevel3", nullptr, {417, 42, 217, 33}},
                                    {"Label4", "Макс.число док.в кармане", {424, 50, 136, 13}},
                                    {"Edit9", "5000", {567, 49, 49, 21}},
                                    {"Label5", "Число док.в кармане", {431, 80, 109, 13}},
                                    {"Edit10", "3", {573, 80, 49, 21}},
                                    {"Label6", "Очистка кармана", {441, 108, 89, 13}},
                                    {"Button4", "Clear", {566, 104, 65, 20}},
                                    {"Label7", "Просмотр кармармана", {429, 134, 118, 13}},
                                    {"Button2", "View ", {567, 126, 65, 25}},
                                    {"ListBox4", nullptr, {347, 156, 292, 314}},
                                });
    EXPECT_TRUE(child<QLineEdit>("Edit7")->isReadOnly());
    EXPECT_EQ(child<QPushButton>("Button9")->font().family(), QStringLiteral("Times New Roman"));
    EXPECT_EQ(child<QPushButton>("Button9")->font().pixelSize(), 15);

    const QStringList banner = items(child<QListWidget>("ListBox1"));
    ASSERT_EQ(banner.size(), 8);
    EXPECT_EQ(banner[0], QStringLiteral("               ЛАНТЕР"));
    EXPECT_EQ(banner[4], QStringLiteral(" потенциалам взаимодействия их") + QString(35, u' '));
    EXPECT_EQ(banner[5], QStringLiteral("                компонентов."));
    EXPECT_EQ(banner[7], QStringLiteral("   "));
    const QListWidget *legendList = child<QListWidget>("ListBox4");
    const QStringList legend = items(legendList);
    ASSERT_EQ(legend.size(), 16);
    EXPECT_EQ(legend[7], QStringLiteral("Beam-молекулярные  пучки"));
    EXPECT_EQ(legend[12], QStringLiteral("Sub1+Sub2- поиск по двум "));
    EXPECT_EQ(legend[15], QStringLiteral("Y<=,Y>= - поиск по году издания"));
    EXPECT_EQ(legendList->font().family(), QStringLiteral("Times New Roman"));
    EXPECT_EQ(legendList->font().pixelSize(), 16);
}

TEST_F(SearchWindowTest, TabWalksTheControlsInTheLayoutsOrder)
{
    SearchWindow &search = open();
    EXPECT_EQ(test::tabOrder(&search, child<QListWidget>("ListBox1"), 36),
              QStringLiteral("ListBox1 add Edit4 Edit5 Edit1 Edit2 Edit3 Button6 Edit6 CheckBox3 CheckBox4 "
                             "CheckBox5 CheckBox6 CheckBox7 CheckBox1 CheckBox2 CheckBox8 CheckBox9 CheckBox10 "
                             "CheckBox11 CheckBox12 ListBox4 CheckBox13 CheckBox14 CheckBox15 CheckBox16 Button9 "
                             "Edit7 Edit8 Edit9 Edit10 Button2 ListBox2 Button4 Edit11 ListBox1"));
}

namespace {

// Presses "Find" and reports which window it opened, if any.
QString pressFind(SearchWindow &search)
{
    QString opened;
    test::onNextModal([&opened](QWidget *modal) { opened = modal->metaObject()->className(); });
    test::child<QPushButton>(&search, "Button6")->click();
    QApplication::processEvents();  // a watcher that saw no window must not outlive this call
    return opened;
}

}  // namespace

TEST_F(SearchWindowTest, FindShowsMessagesOrTheBanner)
{
    store = test::queryStore();
    SearchWindow &search = open();
    const QListWidget *messages = child<QListWidget>("ListBox2");
    EXPECT_EQ(pressFind(search), QStringLiteral("kaldex::ui::ErrorBanner")) << "nothing asked for";
    EXPECT_EQ(messages->count(), 0);

    child<QCheckBox>("CheckBox14")->setChecked(true);
    child<QLineEdit>("Edit2")->setText(QStringLiteral("1970"));
    child<QCheckBox>("CheckBox15")->setChecked(true);
    child<QLineEdit>("Edit3")->setText(QStringLiteral("1980"));
    EXPECT_EQ(pressFind(search), QString());
    EXPECT_EQ(items(messages), QStringList{QStringLiteral("Год <=>= Противор.")});

    child<QLineEdit>("Edit2")->setText(QStringLiteral("1900"));
    child<QLineEdit>("Edit3")->setText(QStringLiteral("1900"));
    EXPECT_EQ(pressFind(search), QString());
    EXPECT_EQ(items(messages), QStringList{QStringLiteral("Док.не найд.")});

    // The number lookup keeps what the list held and adds its space line.
    child<QCheckBox>("CheckBox1")->setChecked(true);
    child<QLineEdit>("Edit6")->setText(QStringLiteral("10"));
    EXPECT_EQ(pressFind(search), QString());
    EXPECT_EQ(items(messages),
              (QStringList{QStringLiteral("Док.не найд."), QStringLiteral(" "), QStringLiteral("Ном.док.не найд.")}));
    child<QLineEdit>("Edit6")->clear();
    EXPECT_EQ(pressFind(search), QStringLiteral("kaldex::ui::ErrorBanner"));
    ASSERT_EQ(messages->count(), 4);
    EXPECT_EQ(items(messages).last(), QStringLiteral(" "));
}
