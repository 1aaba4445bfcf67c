#include "ui/common/TerminationGuard.h"

#include "core/store/DatabaseWriter.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace kaldex::ui {

namespace {

int wakeFds[2] = {-1, -1};
constexpr int kSignals[] = {SIGTERM, SIGHUP, SIGINT};

void wake(int signal)
{
    // Only what is safe in a signal handler: one write, errno kept.
    const int saved = errno;
    const char byte = static_cast<char>(signal);
    [[maybe_unused]] const ssize_t written = ::write(wakeFds[1], &byte, 1);
    errno = saved;
}

}  // namespace

TerminationGuard::TerminationGuard(DocumentStore &store, std::string databaseFolder, QObject *parent)
    : QObject(parent), store_(store), folder_(std::move(databaseFolder))
{
    if (wakeFds[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, wakeFds) != 0)
        return;  // without it the signals keep their default: the program ends as before
    notifier_ = new QSocketNotifier(wakeFds[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &TerminationGuard::terminate);
    struct sigaction action {};
    action.sa_handler = wake;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : kSignals)
        ::sigaction(signal, &action, nullptr);
}

TerminationGuard::~TerminationGuard()
{
    for (int signal : kSignals)
        std::signal(signal, SIG_DFL);
}

void TerminationGuard::terminate()
{
    char byte = 0;
    while (::read(wakeFds[0], &byte, 1) == 1) {
    }
    const int signal = static_cast<unsigned char>(byte);
    if (store_.modified) {
        sideFile_ = saveSessionDocuments(store_, folder_, LocalDate::today());
        if (sideFile_.empty())
            std::fprintf(stderr, "kaldex: документы сеанса не записаны в %s: %s\n", folder_.c_str(),
                         std::strerror(errno));
        else
            std::fprintf(stderr,
                         "kaldex: документы сеанса записаны в %s; добавить их в базу: kaldex-tool append %s ba0\n",
                         sideFile_.c_str(), sideFile_.c_str());
        store_.modified = 0;
    }
    emit terminated(128 + signal);
}

}  // namespace kaldex::ui
