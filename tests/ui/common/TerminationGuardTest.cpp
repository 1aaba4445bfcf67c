#include "ui/common/TerminationGuard.h"
#include "ui/WindowTesting.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <csignal>

using namespace kaldex;

namespace {

// Delivers the signal and lets the event loop see it.
void signalAndWait(int signal, const ui::TerminationGuard &guard)
{
    const std::string before = guard.sideFile();
    ::raise(signal);
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 300 || (before.empty() && guard.sideFile().empty() && waited.elapsed() < 5000))
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
}

}  // namespace

TEST(TerminationGuard, LogoutWritesTheUnsavedDocumentsBesideTheDatabase)
{
    test::TempDir dir;
    DocumentStore store;
    test::addDocument(store, "Mason");
    {
        ui::TerminationGuard guard(store, dir.path());
        signalAndWait(SIGTERM, guard);
        ASSERT_FALSE(guard.sideFile().empty());
        EXPECT_EQ(test::listing(dir.path()), guard.sideFile() + " ");
        const std::string saved = test::readBytes(dir.file(guard.sideFile()));
        EXPECT_NE(saved.find("\r\nMason@"), std::string::npos) << saved;

        // Nothing new since: a second signal writes nothing more.
        signalAndWait(SIGHUP, guard);
        EXPECT_EQ(test::listing(dir.path()), guard.sideFile() + " ");
    }
}
