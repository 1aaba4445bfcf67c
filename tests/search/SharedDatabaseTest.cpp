// Two programs on one "ba0": the second is told at "CONT", its save is
// refused and its documents go to a side file; an outside change between
// "CONT" and "OK" is kept; a lock dies with the program that held it.
#include "WindowTesting.h"
#include "app/Messages.h"
#include "app/StartWindow.h"
#include "search/SearchWindow.h"
#include "store/DatabaseFile.h"
#include "store/DatabaseLoader.h"

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

using namespace kaldex;
using namespace kaldex::ui;
namespace fs = std::filesystem;

namespace {

std::string threeDocuments() { return test::readBytes(test::dataFile("store/expected.ba0")); }

// What the entry window leaves after "Add" and "OK".
void addDocument(DocumentStore &store, const std::string &author)
{
    DocumentRecord &record = store.record(++store.documentCount);
    record = DocumentRecord{};
    record.number = store.documentCount;
    record.authors[0] = author;
    record.authorCount = 1;
    store.storedThisSession[static_cast<size_t>(store.documentCount)] = true;
    store.modified = 1;
}

std::vector<std::string> names()
{
    std::vector<std::string> all;
    for (const auto &entry : fs::directory_iterator("."))
        all.push_back(entry.path().filename());
    std::sort(all.begin(), all.end());
    return all;
}

std::vector<std::string> authors(const std::string &path)
{
    DocumentStore store;
    loadDatabaseFile(store, path);
    std::vector<std::string> all;
    for (int slot = 1; slot <= store.documentCount; ++slot)
        all.push_back(store.record(slot).authors[0]);
    return all;
}

}  // namespace

TEST(SharedDatabase, TheSecondProgramIsToldItsSaveIsRefusedAndItsDocumentsGoToASideFile)
{
    test::InDirectory here;
    test::writeBytes("ba0", threeDocuments());
    MessageHook messages;
    messages.setNextAnswer(Answer::Yes);

    auto first = std::make_unique<DocumentStore>();
    auto second = std::make_unique<DocumentStore>();
    StartWindow startFirst(*first), startSecond(*second);
    bool firstSaved = false, secondClosed = false;
    test::onNextModal([&](QWidget *modal) {
        auto *searchFirst = qobject_cast<SearchWindow *>(modal);
        ASSERT_NE(searchFirst, nullptr);
        EXPECT_TRUE(messages.shown().isEmpty());
        EXPECT_TRUE(test::exists("ba0.lock"));

        // The second program starts while the first holds "ba0".
        test::onNextModal([&](QWidget *modal) {
            auto *searchSecond = qobject_cast<SearchWindow *>(modal);
            ASSERT_NE(searchSecond, nullptr);
            EXPECT_EQ(searchSecond->documentCountField->text(), QStringLiteral("3"));  // it can search and read
            addDocument(*second, "Second");
            searchSecond->okButton->click();
            secondClosed = !searchSecond->isVisible();
        });
        startSecond.continueButton->click();

        addDocument(*first, "First");
        searchFirst->okButton->click();
        firstSaved = !searchFirst->isVisible();
    });
    startFirst.continueButton->click();

    EXPECT_TRUE(firstSaved);
    EXPECT_TRUE(secondClosed);
    ASSERT_EQ(messages.shown().size(), 3) << messages.shown().join(QStringLiteral(" | ")).toStdString();
    EXPECT_TRUE(messages.shown()[0].contains(QStringLiteral("открыт для изменений другой программой KALDEX (процесс %1")
                                                 .arg(::getpid())));
    EXPECT_TRUE(messages.shown()[1].startsWith(QStringLiteral("База не сохранена: файл «ba0» открыт для изменений")));
    EXPECT_TRUE(messages.shown()[1].contains(QStringLiteral("в отдельный файл")));
    EXPECT_TRUE(messages.shown()[2].contains(QStringLiteral("kaldex-tool append ba0.session-")));

    // "ba0": the three and the first program's document; the side file: the second's alone.
    const std::vector<std::string> all = names();
    ASSERT_EQ(all.size(), 3u);  // the backup, "ba0", the side file; the lock file is gone
    EXPECT_EQ(all[0].substr(all[0].size() - 2), "_0");
    std::vector<std::string> expected = authors(all[0]);
    ASSERT_EQ(expected.size(), 3u);
    expected.push_back("First");
    EXPECT_EQ(authors("ba0"), expected);
    EXPECT_EQ(all[2].substr(0, 12), "ba0.session-");
    EXPECT_EQ(authors(all[2]), std::vector<std::string>{"Second"});
}

TEST(SharedDatabase, AChangeByAnotherProgramBetweenContAndOkIsKept)
{
    test::InDirectory here;
    test::writeBytes("ba0", threeDocuments());
    const std::string theirs = threeDocuments() + threeDocuments();
    MessageHook messages;
    auto store = std::make_unique<DocumentStore>();
    StartWindow start(*store);
    test::onNextModal([&](QWidget *modal) {
        auto *search = qobject_cast<SearchWindow *>(modal);
        ASSERT_NE(search, nullptr);
        // A program that takes no lock (an older KALDEX, an editor) saves "ba0" meanwhile.
        test::writeBytes("ba0.other", theirs);
        fs::rename("ba0.other", "ba0");
        addDocument(*store, "Mine");
        search->okButton->click();  // the offer is declined: the window stays
        EXPECT_TRUE(search->isVisible());
        messages.setNextAnswer(Answer::Yes);
        search->okButton->click();
        EXPECT_FALSE(search->isVisible());
    });
    start.continueButton->click();

    ASSERT_EQ(messages.shown().size(), 3) << messages.shown().join(QStringLiteral(" | ")).toStdString();
    EXPECT_TRUE(messages.shown()[0].startsWith(QStringLiteral("База не сохранена: файл «ba0» изменился после загрузки — "
                                                              "его заменили другим файлом")));
    EXPECT_TRUE(messages.shown()[0].contains(QStringLiteral("файл на диске оставлен как есть")));
    EXPECT_TRUE(messages.shown()[0].contains(QString::number(theirs.size())));
    EXPECT_EQ(test::readBytes("ba0"), theirs);
    const std::vector<std::string> all = names();
    ASSERT_EQ(all.size(), 2u);  // no backup was spent
    EXPECT_EQ(authors(all[1]), std::vector<std::string>{"Mine"});
}

TEST(SharedDatabase, ALockHeldByAnotherProcessIsFreedWhenItIsKilled)
{
    test::InDirectory here;
    test::writeBytes("ba0", threeDocuments());
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    pid_t child = ::fork();
    if (child == 0) {
        DatabaseLock lock = DatabaseLock::acquire(".", "ba0");
        (void)!::write(ready[1], lock.state() == DatabaseLock::State::Held ? "y" : "n", 1);
        for (;;)
            ::pause();
    }
    char state = 0;
    ASSERT_EQ(::read(ready[0], &state, 1), 1);
    ::close(ready[0]);
    ::close(ready[1]);
    ASSERT_EQ(state, 'y');

    MessageHook messages;
    auto store = std::make_unique<DocumentStore>();
    StartWindow start(*store);
    test::onNextModal([&](QWidget *modal) {
        auto *search = qobject_cast<SearchWindow *>(modal);
        ASSERT_NE(search, nullptr);
        addDocument(*store, "Mine");
        search->okButton->click();  // refused; the side file declined
        EXPECT_TRUE(search->isVisible());
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        search->okButton->click();  // the holder is gone and "ba0" unchanged: saved
        EXPECT_FALSE(search->isVisible());
    });
    start.continueButton->click();

    ASSERT_EQ(messages.shown().size(), 2) << messages.shown().join(QStringLiteral(" | ")).toStdString();
    EXPECT_TRUE(messages.shown()[0].contains(QStringLiteral("(процесс %1 на компьютере ").arg(child)));
    EXPECT_TRUE(messages.shown()[1].contains(QStringLiteral("открыт для изменений другой программой KALDEX (процесс %1")
                                                 .arg(child)));
    EXPECT_EQ(authors("ba0").size(), 4u);
    EXPECT_EQ(authors("ba0").back(), "Mine");
}
