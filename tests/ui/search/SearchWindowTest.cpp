#include "ui/search/SearchWindow.h"
#include "ui/WindowTesting.h"

using namespace kaldex;
using namespace kaldex::ui;
using test::items;

TEST(SearchWindow, CarriesTheLayoutsTextsAndPlaces)
{
    DocumentStore store;
    store.documentCount = 48;
    store.pocketCount = 3;
    SearchWindow search(store);
    EXPECT_EQ(search.windowTitle(), QStringLiteral("base"));
    EXPECT_EQ(search.size(), QSize(653, 530));
    EXPECT_TRUE(search.documentCountField->isReadOnly());
    EXPECT_EQ(search.documentCountField->text() + "/" + search.storeMaximumField->text() + " " +
                  search.pocketCountField->text() + "/" + search.pocketMaximumField->text(),
              QStringLiteral("48/5000 3/5000"));

    const QStringList banner = items(search.bannerList);
    ASSERT_EQ(banner.size(), 8);
    EXPECT_EQ(QStringList({banner[0], banner[4], banner[5], banner[7]}),
              QStringList({"               ЛАНТЕР", " потенциалам взаимодействия их" + QString(35, u' '),
                           "                компонентов.", "   "}));
    const QStringList legend = items(search.legendList);
    ASSERT_EQ(legend.size(), 16);
    EXPECT_EQ(
        QStringList({legend[7], legend[12], legend[15]}),
        QStringList({"Beam-молекулярные  пучки", "Sub1+Sub2- поиск по двум ", "Y<=,Y>= - поиск по году издания"}));
    EXPECT_EQ(search.legendList->font().family() + QString::number(search.legendList->font().pixelSize()),
              "Times New Roman16");

    struct Place {
        QWidget *widget;
        const char *text;
        QRect rect;
    } places[] = {
        {search.otherKey, "Other", {42, 12, 50, 16}},
        {search.spectroscopyKey, "Spectr", {234, 37, 56, 17}},
        {search.experimentKey, "Exp", {362, 37, 48, 17}},
        {search.bySubstancesBox, "Sub1+Sub2", {145, 251, 81, 17}},
        {search.byLowerYearBox, "Y>=", {145, 371, 48, 17}},
        {search.findButton, "Find", {271, 414, 58, 25}},
        {search.addButton, "Add", {51, 299, 60, 25}},
        {search.okButton, "OK", {51, 335, 60, 25}},
        {search.clearButton, "Clear", {566, 104, 65, 20}},
        {search.viewButton, "View ", {567, 126, 65, 25}},
        {search.viewLabel, "Просмотр кармармана", {429, 134, 118, 13}},
        {search.textFragmentLabel, "Поиск по тексту в окне дополнительные сведения", {9, 192, 210, 26}},
        {search.textFragmentField, "", {240, 192, 100, 21}},
        {search.messageList, "", {47, 446, 189, 25}},
        {search.legendList, "", {347, 156, 292, 314}},
    };
    for (const Place &place : places) {
        EXPECT_EQ(place.widget->geometry(), place.rect) << place.widget->objectName().toStdString();
        EXPECT_EQ(place.widget->property("text").toString(), QString::fromUtf8(place.text))
            << place.widget->objectName().toStdString();
    }
    EXPECT_EQ(search.okButton->font().family() + QString::number(search.okButton->font().pixelSize()),
              "Times New Roman15");
    EXPECT_EQ(search.font().family(), QStringLiteral("MS Sans Serif"));
}

TEST(SearchWindow, TabWalksTheControlsInTheLayoutsOrder)
{
    DocumentStore store;
    SearchWindow search(store);
    EXPECT_EQ(test::tabOrder(&search, search.bannerList, 36),
              QStringLiteral("ListBox1 add Edit4 Edit5 Edit1 Edit2 Edit3 Button6 Edit6 CheckBox3 CheckBox4 "
                             "CheckBox5 CheckBox6 CheckBox7 CheckBox1 CheckBox2 CheckBox8 CheckBox9 CheckBox10 "
                             "CheckBox11 CheckBox12 ListBox4 CheckBox13 CheckBox14 CheckBox15 CheckBox16 Button9 "
                             "Edit7 Edit8 Edit9 Edit10 Button2 ListBox2 Button4 Edit11 ListBox1"));
}
