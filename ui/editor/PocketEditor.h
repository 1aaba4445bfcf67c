#pragma once

#include <QDialog>

#include <memory>
#include <thread>

class QFrame;
class QMenuBar;
class QPushButton;
class QStatusBar;
class QTextDocument;
class QTextEdit;

namespace kaldex {
class DocumentStore;
}

namespace kaldex::ui {

class FormatBar;
class Ruler;

/**
 * The pocket editor: opens with the report of the pocket, edits it, saves
 * and opens RTF files, prints, and gives help on its menu entries. Its
 * formatting bar and ruler are widgets of their own over its text control.
 */
class PocketEditor : public QDialog {
    Q_OBJECT
public:
    explicit PocketEditor(DocumentStore &store, QWidget *parent = nullptr);
    ~PocketEditor() override;

    /** Reports longer than this are put into the editor by a worker while the window shows. */
    static constexpr size_t kBackgroundFillBytes = 1 << 20;
    /** Whether the report is still being put into the editor. */
    bool filling() const { return filler_.joinable(); }
    /** Waits for the report to be in the editor (tests and benchmarks). */
    void waitForReport();

    /** Open refuses files larger than this (256 MB) before reading them. */
    static constexpr qint64 kMaxOpenBytes = qint64(256) << 20;
    /** Opening an RTF file larger than this (2 MB) shows its progress and can be cancelled. */
    static constexpr qint64 kProgressOpenBytes = qint64(2) << 20;

    static constexpr const char *kUntitled = "Untitled";

    /** The application's title in captions: the program file's name without extension. */
    static QString applicationTitle();

    /** The file the text belongs to: kUntitled until Open or Save As give it a full path. */
    const QString &currentFile() const { return currentFile_; }

    // The file commands of the menu and the speed bar.
    void newFile();
    void openFile();
    void save();
    void saveAs();
    void print();

public slots:
    void done(int result) override;

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void buildMenus();
    void buildSpeedBar();
    void buildText();
    void layoutClient();
    void prepare();
    /** Brings the formatting bar and the ruler into line with the selection. */
    void followSelection();
    void fillReport();
    void takeFilledDocument();
    void adoptDocument(QTextDocument *document);  // shown from now on, owned by the editor
    void setFileName(const QString &fileName);
    /** False when the command that asked is to be abandoned. */
    bool confirmSave();
    /** Writes the text as RTF; shows what failed and returns false. */
    bool saveTo(const QString &fileName);
    void resetTextMargins();
    void focusText();

    void leave();
    void undo();
    void cut();
    void copy();
    void paste();
    void selectFont();
    void showHelpContents();
    void searchHelp();
    void showHelpOnHelp();
    void showAbout();
    /** Asks the help engine for a help context (a menu entry's, or 400 for the text). */
    void contextHelp(int context);

    DocumentStore &store_;
    QString currentFile_;
    QString dialogDirectory_;
    QMenuBar *mainMenu_;
    QWidget *client_;
    QFrame *speedBar_;
    QFrame *speedBarEdge_;
    FormatBar *formatBar_;
    Ruler *ruler_;
    QTextEdit *text_;
    QStatusBar *statusBar_;
    QPushButton *okButton_;
    QPushButton *captionButton_;
    std::thread filler_;
    std::unique_ptr<QTextDocument> filled_;
};

}  // namespace kaldex::ui
