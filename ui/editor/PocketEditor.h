#pragma once

#include <QDialog>

#include <memory>
#include <thread>

class QAction;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QPushButton;
class QStatusBar;
class QTextDocument;
class QTextEdit;
class QToolButton;

namespace kaldex {
class DocumentStore;
}

namespace kaldex::ui {

class RulerMarker;
class SpinControl;

/**
 * The pocket editor: opens with the report of the pocket, edits it, saves
 * and opens RTF files, prints, and gives help on its menu entries.
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
    static constexpr const char *kHelpFile = "RICHEDIT.HLP";
    static constexpr const char *kFilter = "Rich Text Files (*.RTF);;Text Files (*.TXT)";

    /** The application's title in captions: the program file's name without extension. */
    static QString applicationTitle();

    QString currentFile;
    bool syncingToolbar = false;
    int grabOffset = 0;
    bool draggingMarker = false;

    QMenuBar *mainMenu;
    QFrame *speedBar;
    QToolButton *openButton, *saveButton, *printButton, *undoButton, *cutButton, *copyButton, *pasteButton;
    QFrame *speedBarEdge;
    QComboBox *fontNameBox;
    QLineEdit *fontSizeField;
    SpinControl *fontSizeSpin;
    QToolButton *boldButton, *italicButton, *underlineButton;
    QToolButton *alignLeftButton, *alignCenterButton, *alignRightButton;
    QToolButton *bulletsButton;
    QFrame *ruler;
    RulerMarker *firstIndentMarker, *leftIndentMarker, *rightIndentMarker;
    QFrame *rulerLine;
    QStatusBar *statusBar;
    QTextEdit *textEdit;
    QPushButton *okButton;
    QPushButton *captionButton;
    QMenu *fileMenu, *editMenu, *helpMenu;
    QAction *newAction, *openAction, *saveAction, *saveAsAction, *printAction, *exitAction;
    QAction *undoAction, *cutAction, *copyAction, *pasteAction, *fontAction;
    QAction *helpContentsAction, *helpSearchAction, *helpOnHelpAction, *aboutAction;

    void setFileName(const QString &fileName);
    /** False when the command that asked is to be abandoned. */
    bool confirmSave();
    void resetTextMargins();
    void showStatusHint(const QString &hint);

    void newFile();
    void openFile();
    void save();
    void saveAs();
    void print();
    void exitEditor();
    void undo();
    void cut();
    void copy();
    void paste();
    void selectFont();
    void showHelpContents();
    void searchHelp();
    void showHelpOnHelp();
    void showAbout();
    void leave();

    // The formatting bar and the ruler.
    static constexpr float kRulerScale = 1.3333333730697632f;  // ruler pixels per point of indent
    static constexpr const char *kSizeRangeText = "The number must be between 1 and 1638.";
    /** The ruler's caption: one hundred pairs of a tab and "|". */
    static QString rulerCaption();
    void syncToolbar();
    void loadFontList();
    void fillRuler();
    void toggleBold();
    void toggleItalic();
    void toggleUnderline();
    void applyFontSize();
    void applyFontName(int index);
    void align(QToolButton *button);
    void toggleBullets();
    void resizeRuler();
    void grabMarker(RulerMarker *marker, int x);
    void dragMarker(RulerMarker *marker, int x);
    void moveMarker(RulerMarker *marker, int x);
    void dropFirstIndent();
    void dropLeftIndent();
    void dropRightIndent();
    /** The paragraph attributes as the ruler speaks of them, in points. */
    struct Indents {
        int first = 0;  // the first line, from the left edge
        int left = 0;   // the other lines, from the first line
        int right = 0;
    };
    Indents paragraphIndents() const;
    /** Where a bulleted paragraph's list puts its text, in document pixels. */
    qreal listIndent() const;
    void setParagraphIndents(const Indents &indents);
    int rulerClientWidth() const;

    /** Asks the help engine for a help context (a menu entry's, or 400 for the text). */
    void contextHelp(int context);

public slots:
    void done(int result) override;

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void prepare();
    void focusText();
    void buildMenus();
    void buildSpeedBar();
    void buildFormatBar();
    void buildRuler();
    void setCharacterStyle(QToolButton *button);
    void paintRuler();
    void fillReport();
    /** Writes the text as RTF; shows what failed and returns false. */
    bool saveTo(const QString &fileName);
    void layoutClient();
    void takeFilledDocument();
    void adoptDocument(QTextDocument *document);  // shown from now on, owned by the editor

    DocumentStore &store_;
    QWidget *client_;
    QString dialogDirectory_;
    std::thread filler_;
    std::unique_ptr<QTextDocument> filled_;
};

}  // namespace kaldex::ui
