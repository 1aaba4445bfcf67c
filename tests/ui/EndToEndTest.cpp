// A document added through the windows, saved, and found again after a reload.
#include "ui/WindowTesting.h"
#include "ui/entry/EntryWindow.h"
#include "ui/search/SearchWindow.h"
#include "ui/start/StartWindow.h"
#include "ui/viewer/ResultViewer.h"

using namespace kaldex;
using namespace kaldex::ui;
using test::onNextModal;

namespace {

// Sets up the search window for one query and reports the viewer's first line.
QString findWith(SearchWindow &search, const std::function<void(SearchWindow &)> &criteria)
{
    for (QCheckBox *box : search.findChildren<QCheckBox *>())
        box->setChecked(false);
    for (QLineEdit *edit : {search.authorPrefixField, search.upperYearField, search.lowerYearField, search.numberField,
                            search.firstSubstanceField, search.secondSubstanceField, search.textFragmentField})
        edit->clear();
    criteria(search);
    QString shown;
    onNextModal([&shown](QWidget *modal) {
        if (auto *viewer = qobject_cast<ResultViewer *>(modal))
            shown = viewer->documentText->document()->firstBlock().text() + QLatin1Char('/') +
                    viewer->foundCountField->text();
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
            entry->author1Field->setText("Hellmann"), entry->author2Field->setText("Bich");
            entry->substance1Field->setText("He"), entry->substance2Field->setText("Ne");
            entry->yearField->setText("2007");
            for (QCheckBox *box :
                 {entry->categoryBoxes[Pot], entry->categoryBoxes[Vir], entry->pairBoxes[pairIndex(1, 2)]})
                box->setChecked(true);
            entry->notesText->setPlainText(QStringLiteral("Потенциал ab initio для He-Ne"));
            entry->okButton->click();
        });
        search->addButton->click();
        search->okButton->click();  // saves, since a document was stored
    });
    start.continueButton->click();

    // The backup of the old file: tests/e2e/run-e2e and the Backup tests.
    EXPECT_NE(test::readBytes("ba0"), original);

    store = DocumentStore();  // nothing of the first run may help the second
    QStringList found;
    onNextModal([&found](QWidget *modal) {
        auto &search = *qobject_cast<SearchWindow *>(modal);
        EXPECT_EQ(search.documentCountField->text(), QStringLiteral("10"));
        found << findWith(search,
                          [](SearchWindow &s) { s.potentialKey->setChecked(true), s.virialKey->setChecked(true); });
        found << findWith(search, [](SearchWindow &s) {
            s.bySubstancesBox->setChecked(true), s.firstSubstanceField->setText("he"),
                s.secondSubstanceField->setText("NE");
        });
        found << findWith(
            search, [](SearchWindow &s) { s.byAuthorBox->setChecked(true), s.authorPrefixField->setText("Hell"); });
        found << findWith(
            search, [](SearchWindow &s) { s.byLowerYearBox->setChecked(true), s.lowerYearField->setText("2000"); });
        found << findWith(search, [](SearchWindow &s) { s.textFragmentField->setText(QStringLiteral("ab initio")); });
        found << findWith(search,
                          [](SearchWindow &s) { s.byNumberBox->setChecked(true), s.numberField->setText("10"); });
    });
    start.continueButton->click();
    const QString hit = QStringLiteral("Номер документа= 10/1");
    EXPECT_EQ(found, (QStringList{hit, hit, hit, hit, hit, QStringLiteral("Номер документа= 10/10")}));
}
