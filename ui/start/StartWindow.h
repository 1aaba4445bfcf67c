#pragma once

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

namespace kaldex {
class DocumentStore;
struct LoadResult;
struct LockHolder;
}  // namespace kaldex

namespace kaldex::ui {

/** The start window: loads the database and opens the search window. */
class StartWindow : public QDialog {
    Q_OBJECT
public:
    explicit StartWindow(DocumentStore &store, QWidget *parent = nullptr);

    QLabel *titleLabel;
    QLabel *subjectLabel;
    QFrame *continueFrame;
    QLabel *continueLabel;
    QPushButton *continueButton;
    QPushButton *infoButton;
    QPushButton *quitButton;

    void loadAndSearch();  // "CONT"
    void showInfo();       // "Info"
    void quit();           // "OK"

    /** What "CONT" says when "ba0" is there but could not be read (errno error). */
    static QString unreadText(int error);
    /** What "CONT" says when "ba0" is there but gives no database (not read, no text, no document). */
    static QString unreadText(const LoadResult &loaded);
    /** What "CONT" says when another program holds "ba0" for changes. */
    static QString lockedText(const LockHolder &holder);
    /** What "CONT" says when no lock could be had (errno error; the lock file's name). */
    static QString unlockedText(int error, const QString &lockName);

private:
    DocumentStore &store_;
};

}  // namespace kaldex::ui
