// A document added through the windows, saved, and found again after a reload.
#include "TestFiles.h"
#include "WindowTesting.h"
#include "app/StartWindow.h"
#include "entry/EntryWindow.h"
#include "search/SearchWindow.h"
#include "store/DatabaseWriter.h"
#include "viewer/ResultViewer.h"

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
QString findWith(SearchWindow &search, const std::function<void(SearchWindow &)> &criteria)
{
    for (QCheckBox *box : search.findChildren<QCheckBox *>())
        box->setChecked(false);
    for (QLineEdit *edit : {search.authorPrefixField, search.upperYearField, search.lowerYearField, search.firstSubstanceField, search.secondSubstanceField, search.numberField,
                            search.textFragmentField})
        edit->clear();
    criteria(search);
    QString shown;
    onNextModal([&shown](QWidget *modal) {
        if (auto *viewer = qobject_cast<ResultViewer *>(modal))
            shown = viewer->documentText->document()->firstBlock().text() + QLatin1Char('/') + viewer->foundCountField->text();
    });
    search.findButton->click();
    return shown;
}

}  // namespace

TEST(EndToEnd, AddSaveReloadAndFindByEveryCriterion)
{
    test::InDirectory here;
    const std::string original = test::readBytes(test::dataFile("search/query.ba0"));
    test::writeBytes(here.dir.file("ba0"), original);
    DocumentStore store;
    StartWindow start(store);

    onNextModal([](QWidget *modal) {
        auto *search = qobject_cast<SearchWindow *>(modal);
        ASSERT_NE(search, nullptr);
        onNextModal([](QWidget *window) {
            auto *entry = qobject_cast<EntryWindow *>(window);
            ASSERT_NE(entry, nullptr);
            entry->author1Field->setText(QStringLiteral("Hellmann"));
            entry->author2Field->setText(QStringLiteral("Bich"));
            entry->substance1Field->setText(QStringLiteral("He"));
            entry->substance2Field->setText(QStringLiteral("Ne"));
            entry->yearField->setText(QStringLiteral("2007"));
            entry->categoryBoxes[Pot]->setChecked(true);
            entry->categoryBoxes[Vir]->setChecked(true);
            entry->pairBoxes[pairIndex(1, 2)]->setChecked(true);
            entry->notesText->setPlainText(QStringLiteral("Потенциал ab initio для He-Ne"));
            entry->okButton->click();
        });
        search->addButton->click();
        search->okButton->click();  // saves, since a document was stored
    });
    start.continueButton->click();

    const std::string backup = backupStem(LocalDate::today()) + "0";
    ASSERT_TRUE(test::exists(here.dir.file(backup)));
    EXPECT_EQ(test::readBytes(here.dir.file(backup)), original);
    EXPECT_NE(test::readBytes(here.dir.file("ba0")), original);

    store = DocumentStore();  // nothing of the first run may help the second
    QStringList found;
    onNextModal([&found](QWidget *modal) {
        auto &search = *qobject_cast<SearchWindow *>(modal);
        EXPECT_EQ(search.documentCountField->text(), QStringLiteral("10"));
        found << findWith(search, [](SearchWindow &s) {
            s.potentialKey->setChecked(true);  // "Pot"
            s.virialKey->setChecked(true);   // "Vir"
        });
        found << findWith(search, [](SearchWindow &s) {
            s.bySubstancesBox->setChecked(true);
            s.firstSubstanceField->setText(QStringLiteral("he"));
            s.secondSubstanceField->setText(QStringLiteral("NE"));
        });
        found << findWith(search, [](SearchWindow &s) {
            s.byAuthorBox->setChecked(true);
            s.authorPrefixField->setText(QStringLiteral("Hell"));
        });
        found << findWith(search, [](SearchWindow &s) {
            s.byLowerYearBox->setChecked(true);
            s.lowerYearField->setText(QStringLiteral("2000"));
        });
        found << findWith(search, [](SearchWindow &s) { s.textFragmentField->setText(QStringLiteral("ab initio")); });
        found << findWith(search, [](SearchWindow &s) {
            s.byNumberBox->setChecked(true);
            s.numberField->setText(QStringLiteral("10"));
        });
    });
    start.continueButton->click();
    const QString hit = QStringLiteral("Номер документа= 10/1");
    EXPECT_EQ(found, (QStringList{hit, hit, hit, hit, hit, QStringLiteral("Номер документа= 10/10")}));
}
