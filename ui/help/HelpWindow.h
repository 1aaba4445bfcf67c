#pragma once

#include "core/help/HelpFile.h"

#include <QDialog>

class QLineEdit;
class QListWidget;
class QTextBrowser;

namespace kaldex::ui {

/** Command codes of the help engine. */
enum HelpCommand { HelpContext = 1, HelpContents = 3, HelpOnHelp = 4, HelpPartialKey = 0x105 };

/**
 * The help engine: a window over the help file with a search field, the list
 * of topics that match it and the text of the chosen one.
 */
class HelpWindow : public QDialog {
    Q_OBJECT
public:
    HelpWindow(HelpFile file, QWidget *parent = nullptr);

    /** Carries out a help command; data is the help context for HelpContext. */
    void run(int command, int data = 0);
    /** The key of the topic on show. */
    QString shownKey() const { return shownKey_; }

private:
    void showTopic(const QString &key);
    void filter(const QString &partial);

    HelpFile file_;
    QString shownKey_;
    QLineEdit *searchField_;
    QListWidget *topicList_;
    QTextBrowser *topicText_;
};

/**
 * Where the help file is for a program in programDir: beside it (the build
 * tree) or in the data folder of an installed tree (bin/../share/kaldex); the
 * first that exists, else the path beside the program.
 */
QString helpFilePath(const QString &programDir, const QString &fileName);

/**
 * Runs a help command on the help file found by helpFilePath(), opening the help
 * window over parent (or reusing the one already open). A missing or
 * unreadable file gives a message naming the file.
 */
HelpWindow *callHelp(QWidget *parent, const QString &fileName, int command, int data = 0);

/** The windows' help file and its topics, one for each window. */
constexpr const char *kWindowsHelpFile = "KALDEX.HLP";
enum WindowHelpTopic { kStartHelp = 10, kSearchHelp = 20, kViewerHelp = 30, kEntryHelp = 40, kKeywordHelp = 50 };

/** F1 anywhere in window opens its topic of the windows' help file. */
void addHelpKey(QWidget *window, WindowHelpTopic topic);

}  // namespace kaldex::ui
