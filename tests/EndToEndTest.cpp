// A document added through the windows, saved, and found again after a reload.
#include "TestFiles.h"
#include "WindowTesting.h"
#include "app/TForm1.h"
#include "entry/TForm2.h"
#include "search/Tbase.h"
#include "store/DatabaseWriter.h"
#include "viewer/TForm3.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QTextEdit>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

using namespace kaldex;
using namespace kaldex::ui;
using test::onNextModal;

namespace {

// Sets up the search window for one query and reports the viewer's first line.
QString findWith(Tbase &search, const std::function<void(Tbase &)> &criteria)
{
    for (QCheckBox *box : search.findChildren<QCheckBox *>())
        box->setChecked(false);
    for (QLineEdit *edit : {search.Edit1, search.Edit2, search.Edit3, search.Edit4, search.Edit5, search.Edit6,
                            search.Edit11})
        edit->clear();
    criteria(search);
    QString shown;
    onNextModal([&shown](QWidget *modal) {
        if (auto *viewer = qobject_cast<TForm3 *>(modal))
            shown = viewer->RichEdit1->document()->firstBlock().text() + QLatin1Char('/') + viewer->Edit4->text();
    });
    search.Button6->click();
    return shown;
}

}  // namespace

TEST(EndToEnd, AddSaveReloadAndFindByEveryCriterion)
{
    test::InDirectory here;
    const std::string original = test::readBytes(test::dataFile("search/query.ba0"));
    test::writeBytes(here.dir.file("ba0"), original);
    DocumentStore store;
    TForm1 start(store);

    onNextModal([](QWidget *modal) {
        auto *search = qobject_cast<Tbase *>(modal);
        ASSERT_NE(search, nullptr);
        onNextModal([](QWidget *window) {
            auto *entry = qobject_cast<TForm2 *>(window);
            ASSERT_NE(entry, nullptr);
            entry->Edit1->setText(QStringLiteral("Hellmann"));
            entry->Edit2->setText(QStringLiteral("Bich"));
            entry->Edit4->setText(QStringLiteral("He"));
            entry->Edit5->setText(QStringLiteral("Ne"));
            entry->Edit9->setText(QStringLiteral("2007"));
            entry->categoryBoxes[Pot]->setChecked(true);
            entry->categoryBoxes[Vir]->setChecked(true);
            entry->pairBoxes[pairIndex(1, 2)]->setChecked(true);
            entry->RichEdit3->setPlainText(QStringLiteral("Потенциал ab initio для He-Ne"));
            entry->Button1->click();
        });
        search->add->click();
        search->Button9->click();  // saves, since a document was stored
    });
    start.Button1->click();

    const std::string backup = backupStem(LocalDate::today()) + "0";
    ASSERT_TRUE(test::exists(here.dir.file(backup)));
    EXPECT_EQ(test::readBytes(here.dir.file(backup)), original);
    EXPECT_NE(test::readBytes(here.dir.file("ba0")), original);

    store = DocumentStore();  // nothing of the first run may help the second
    QStringList found;
    onNextModal([&found](QWidget *modal) {
        auto &search = *qobject_cast<Tbase *>(modal);
        EXPECT_EQ(search.Edit7->text(), QStringLiteral("10"));
        found << findWith(search, [](Tbase &s) {
            s.CheckBox10->setChecked(true);  // "Pot"
            s.CheckBox6->setChecked(true);   // "Vir"
        });
        found << findWith(search, [](Tbase &s) {
            s.CheckBox2->setChecked(true);
            s.Edit4->setText(QStringLiteral("he"));
            s.Edit5->setText(QStringLiteral("NE"));
        });
        found << findWith(search, [](Tbase &s) {
            s.CheckBox13->setChecked(true);
            s.Edit1->setText(QStringLiteral("Hell"));
        });
        found << findWith(search, [](Tbase &s) {
            s.CheckBox15->setChecked(true);
            s.Edit3->setText(QStringLiteral("2000"));
        });
        found << findWith(search, [](Tbase &s) { s.Edit11->setText(QStringLiteral("ab initio")); });
        found << findWith(search, [](Tbase &s) {
            s.CheckBox1->setChecked(true);
            s.Edit6->setText(QStringLiteral("10"));
        });
    });
    start.Button1->click();
    const QString hit = QStringLiteral("Номер документа= 10/1");
    EXPECT_EQ(found, (QStringList{hit, hit, hit, hit, hit, QStringLiteral("Номер документа= 10/10")}));
}
