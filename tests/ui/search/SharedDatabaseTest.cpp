// Two programs on one "ba0": the second is told at "CONT", its save refused, its documents go to a
// side file; an outside change between "CONT" and "OK" is kept; with no lock to be had "CONT" says
// so and "OK" still saves over the file loaded. The lock after a kill: SharedFile.
#include "core/store/DatabaseLoader.h"
#include "ui/WindowTesting.h"
#include "ui/common/Messages.h"
#include "ui/search/SearchWindow.h"
#include "ui/start/StartWindow.h"

#include <unistd.h>

using namespace kaldex;
using namespace kaldex::ui;

namespace {

std::string authors(const std::string &path)
{
    DocumentStore store;
    loadDatabaseFile(store, path);
    std::string all;
    for (int slot = 1; slot <= store.documentCount; ++slot)
        all += store.record(slot).authors[0] + " ";
    return all;
}

// Presses "CONT" in start and hands the search window to inside.
void onSearch(StartWindow &start, std::function<void(SearchWindow *)> inside)
{
    test::onNextModal([inside](QWidget *modal) {
        auto *search = qobject_cast<SearchWindow *>(modal);
        ASSERT_NE(search, nullptr);
        inside(search);
    });
    test::child<QPushButton>(&start, "Button1")->click();
}

}  // namespace

TEST(SharedDatabase, TheSecondProgramIsToldItsSaveIsRefusedAndItsDocumentsGoToASideFile)
{
    test::InDirectory here;
    test::writeBytes("ba0", test::threeDocuments());
    MessageHook messages;
    messages.setNextAnswer(Answer::Yes);
    auto first = std::make_unique<DocumentStore>();
    auto second = std::make_unique<DocumentStore>();
    StartWindow startFirst(*first);
    StartWindow startSecond(*second);
    bool firstSaved = false;
    bool secondClosed = false;
    onSearch(startFirst, [&](SearchWindow *searchFirst) {
        EXPECT_TRUE(messages.shown().isEmpty());
        EXPECT_TRUE(test::exists("ba0.lock"));
        // The second program starts while the first holds "ba0".
        onSearch(startSecond, [&](SearchWindow *searchSecond) {
            EXPECT_EQ(test::child<QLineEdit>(searchSecond, "Edit7")->text(),
                      QStringLiteral("3"));  // it can search and read
            test::addDocument(*second, "Second");
            test::child<QPushButton>(searchSecond, "Button9")->click();
            secondClosed = !searchSecond->isVisible();
        });
        test::addDocument(*first, "First");
        test::child<QPushButton>(searchFirst, "Button9")->click();
        firstSaved = !searchFirst->isVisible();
    });
    EXPECT_TRUE(firstSaved);
    EXPECT_TRUE(secondClosed);
    const QStringList shown = messages.shown();
    ASSERT_EQ(shown.size(), 3) << shown.join(QStringLiteral(" | ")).toStdString();
    EXPECT_TRUE(
        shown[0].contains(QStringLiteral("открыт для изменений другой программой KALDEX (процесс %1").arg(::getpid())));
    EXPECT_TRUE(shown[1].startsWith(QStringLiteral("База не сохранена: файл «ba0» открыт для изменений")));
    EXPECT_TRUE(shown[1].contains(QStringLiteral("в отдельный файл")));
    EXPECT_TRUE(shown[2].contains(QStringLiteral("kaldex-tool append ba0.session-")));

    // "ba0": the three and the first program's document; the side file: the second's alone.
    const QStringList names = QString::fromStdString(test::listing(".")).split(u' ', Qt::SkipEmptyParts);
    ASSERT_EQ(names.size(), 3);  // the backup, "ba0", the side file; the lock file is gone
    EXPECT_TRUE(names[0].endsWith(QStringLiteral("_0")));
    EXPECT_EQ(authors("ba0"), authors(names[0].toStdString()) + "First ");
    EXPECT_TRUE(names[2].startsWith(QStringLiteral("ba0.session-")));
    EXPECT_EQ(authors(names[2].toStdString()), "Second ");
}

TEST(SharedDatabase, AChangeByAnotherProgramBetweenContAndOkIsKept)
{
    test::InDirectory here;
    test::writeBytes("ba0", test::threeDocuments());
    const std::string theirs = test::threeDocuments() + test::threeDocuments();
    MessageHook messages;
    auto store = std::make_unique<DocumentStore>();
    StartWindow start(*store);
    onSearch(start, [&](SearchWindow *search) {
        // A program that takes no lock (an older KALDEX, an editor) saves "ba0" meanwhile.
        test::writeBytes("ba0.other", theirs);
        std::filesystem::rename("ba0.other", "ba0");
        test::addDocument(*store, "Mine");
        auto *ok = test::child<QPushButton>(search, "Button9");
        ok->click();  // the offer is declined: the window stays
        EXPECT_TRUE(search->isVisible());
        messages.setNextAnswer(Answer::Yes);
        ok->click();
        EXPECT_FALSE(search->isVisible());
    });
    const QStringList shown = messages.shown();
    ASSERT_EQ(shown.size(), 3) << shown.join(QStringLiteral(" | ")).toStdString();
    EXPECT_TRUE(shown[0].startsWith(QStringLiteral("База не сохранена: файл «ba0» изменился после загрузки — "
                                                   "его заменили другим файлом")));
    EXPECT_TRUE(shown[0].contains(QStringLiteral("файл на диске оставлен как есть")));
    EXPECT_TRUE(shown[0].contains(QString::number(theirs.size())));
    EXPECT_EQ(test::readBytes("ba0"), theirs);
    const std::string names = test::listing(".");
    ASSERT_EQ(names.rfind("ba0 ba0.session-", 0), 0u) << names;  // no backup was spent
    EXPECT_EQ(authors(names.substr(4, names.size() - 5)), "Mine ");
}

TEST(SharedDatabase, WithoutALockContSaysSoAndOkSavesOnlyOverTheFileLoaded)
{
    test::InDirectory here;
    test::writeBytes("ba0", test::threeDocuments());
    std::filesystem::create_directory("ba0.lock");
    MessageHook messages;
    auto store = std::make_unique<DocumentStore>();
    StartWindow start(*store);
    onSearch(start, [&](SearchWindow *search) {
        test::addDocument(*store, "Mine");
        test::child<QPushButton>(search, "Button9")->click();
        EXPECT_FALSE(search->isVisible());
    });
    ASSERT_EQ(messages.shown().size(), 1);
    EXPECT_TRUE(messages.shown()[0].startsWith(
        QStringLiteral("Файл базы «ba0» не удалось закрепить за этой программой: «ba0.lock» — это папка.")));
    EXPECT_EQ(authors("ba0"), authors(test::listing(".").substr(0, test::listing(".").find(' '))) + "Mine ");
    EXPECT_EQ(test::saveFiles("."), "ba0.lock ");  // its claim is gone
}
