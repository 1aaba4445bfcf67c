// A document added through the windows, saved, and found again after a reload.
#include "ui/WindowTesting.h"
#include "ui/entry/EntryWindow.h"
#include "ui/search/SearchWindow.h"
#include "ui/start/StartWindow.h"
#include "ui/viewer/ResultViewer.h"

using namespace kaldex;
using namespace kaldex::ui;
using test::child;
using test::onNextModal;

namespace {

// Sets up the search window for one query and reports the viewer's first line and found count.
QString findWith(QWidget *search, std::initializer_list<const char *> ticked,
                 std::initializer_list<std::pair<const char *, const char *>> typed)
{
    for (QCheckBox *box : search->findChildren<QCheckBox *>())
        box->setChecked(false);
    for (const char *edit : {"Edit1", "Edit2", "Edit3", "Edit4", "Edit5", "Edit6", "Edit11"})
        child<QLineEdit>(search, edit)->clear();
    for (const char *box : ticked)
        child<QCheckBox>(search, box)->setChecked(true);
    for (const auto &[edit, text] : typed)
        child<QLineEdit>(search, edit)->setText(QString::fromUtf8(text));
    QString shown;
    onNextModal([&shown](QWidget *modal) {
        if (qobject_cast<ResultViewer *>(modal))
            shown = child<QTextEdit>(modal, "RichEdit1")->document()->firstBlock().text() + QLatin1Char('/') +
                    child<QLineEdit>(modal, "Edit4")->text();
    });
    child<QPushButton>(search, "Button6")->click();
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

    onNextModal([](QWidget *search) {
        ASSERT_NE(qobject_cast<SearchWindow *>(search), nullptr);
        onNextModal([](QWidget *entry) {
            ASSERT_NE(qobject_cast<EntryWindow *>(entry), nullptr);
            const std::pair<const char *, const char *> typed[] = {
                {"Edit1", "Hellmann"}, {"Edit2", "Bich"}, {"Edit4", "He"}, {"Edit5", "Ne"}, {"Edit9", "2007"}};
            for (const auto &[edit, text] : typed)
                child<QLineEdit>(entry, edit)->setText(QString::fromUtf8(text));
            for (const char *box : {"CheckBox6", "CheckBox7", "CheckBox13"})  // Pot, Vir, the pair 1-2
                child<QCheckBox>(entry, box)->setChecked(true);
            child<QTextEdit>(entry, "RichEdit3")->setPlainText(QStringLiteral("Потенциал ab initio для He-Ne"));
            child<QPushButton>(entry, "Button1")->click();
        });
        child<QPushButton>(search, "add")->click();
        child<QPushButton>(search, "Button9")->click();  // saves, since a document was stored
    });
    child<QPushButton>(&start, "Button1")->click();

    // The backup of the old file: tests/e2e/pocket.sh and the Backup tests.
    EXPECT_NE(test::readBytes("ba0"), original);

    store = DocumentStore();  // nothing of the first run may help the second
    QStringList found;
    onNextModal([&found](QWidget *search) {
        EXPECT_EQ(child<QLineEdit>(search, "Edit7")->text(), QStringLiteral("10"));
        found << findWith(search, {"CheckBox10", "CheckBox6"}, {});  // Pot, Vir
        found << findWith(search, {"CheckBox2"}, {{"Edit4", "he"}, {"Edit5", "NE"}});
        found << findWith(search, {"CheckBox13"}, {{"Edit1", "Hell"}});
        found << findWith(search, {"CheckBox15"}, {{"Edit3", "2000"}});
        found << findWith(search, {}, {{"Edit11", "ab initio"}});
        found << findWith(search, {"CheckBox1"}, {{"Edit6", "10"}});
    });
    child<QPushButton>(&start, "Button1")->click();
    const QString hit = QStringLiteral("Номер документа= 10/1");
    EXPECT_EQ(found, (QStringList{hit, hit, hit, hit, hit, QStringLiteral("Номер документа= 10/10")}));
}
