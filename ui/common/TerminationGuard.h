#pragma once

#include <QObject>

#include <string>

class QSocketNotifier;

namespace kaldex {
class DocumentStore;
}

namespace kaldex::ui {

/**
 * Keeps the session's documents when the program is told to end (SIGTERM at
 * logout, SIGHUP when its terminal goes, SIGINT): the signal only wakes the
 * event loop, which writes the documents stored since the last save to a new
 * side file beside the database, as a refused save does, and then says
 * the program is to end.
 */
class TerminationGuard : public QObject {
    Q_OBJECT
public:
    TerminationGuard(DocumentStore &store, std::string databaseFolder, QObject *parent = nullptr);
    ~TerminationGuard() override;

    /** The side file written at the last signal, or empty. */
    const std::string &sideFile() const { return sideFile_; }

signals:
    /** The program is to end with this status (128 and the signal's number). */
    void terminated(int status);

private:
    void terminate();

    DocumentStore &store_;
    std::string folder_;
    std::string sideFile_;
    QSocketNotifier *notifier_ = nullptr;
};

}  // namespace kaldex::ui
