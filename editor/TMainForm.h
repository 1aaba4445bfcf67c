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
class TMainForm : public QDialog {
    Q_OBJECT
public:
    explicit TMainForm(DocumentStore &store, QWidget *parent = nullptr);
    ~TMainForm() override;

    /** Reports longer than this are put into the editor by a worker while the window shows. */
    static constexpr size_t kBackgroundFillBytes = 1 << 20;
    /** Whether the report is still being put into the editor. */
    bool filling() const { return filler_.joinable(); }
    /** Waits for the report to be in the editor (tests and benchmarks). */
    void waitForReport();

    static constexpr const char *kUntitled = "Untitled";
    static constexpr const char *kHelpFile = "RICHEDIT.HLP";
    static constexpr const char *kFilter = "Rich Text Files (*.RTF);;Text Files (*.TXT)";

    /** The application's title in captions: the program file's name without extension. */
    static QString applicationTitle();

    QString CurrentFile;
    bool ToolbarSync = false;
    int GrabOffset = 0;
    bool MarkerDragging = false;

    QMenuBar *MainMenu;
    QFrame *SpeedBar;
    QToolButton *OpenButton, *SaveButton, *PrintButton, *UndoButton, *CutButton, *CopyButton, *PasteButton;
    QFrame *Bevel1;
    QComboBox *FontName;
    QLineEdit *FontSize;
    SpinControl *UpDown1;
    QToolButton *BoldButton, *ItalicButton, *UnderlineButton;
    QToolButton *LeftAlign, *CenterAlign, *RightAlign;
    QToolButton *BulletsButton;
    QFrame *Ruler;
    RulerMarker *FirstInd, *LeftInd, *RightInd;
    QFrame *RulerLine;
    QStatusBar *StatusBar;
    QTextEdit *RichEdit1;
    QPushButton *Button2;
    QPushButton *Button3;
    QMenu *FileMenu, *EditMenu, *HelpMenu;
    QAction *FileNewItem, *FileOpenItem, *FileSaveItem, *FileSaveAsItem, *FilePrintItem, *FileExitItem;
    QAction *EditUndoItem, *EditCutItem, *EditCopyItem, *EditPasteItem, *EditFontItem;
    QAction *HelpContentsItem, *HelpSearchItem, *HelpHowToItem, *HelpAboutItem;

    void ApplyFileName(const QString &fileName);
    /** False when the command that asked is to be abandoned. */
    bool ConfirmSave();
    void SetTextMargins();
    void ShowStatusHint(const QString &hint);

    void FileNewClick();
    void FileOpenClick();
    void FileSaveClick();
    void FileSaveAsClick();
    void FilePrintClick();
    void FileExitClick();
    void EditUndoClick();
    void EditCutClick();
    void EditCopyClick();
    void EditPasteClick();
    void SelectFont();
    void HelpContentsClick();
    void HelpSearchClick();
    void HelpHowToClick();
    void HelpAboutClick();
    void Button2Click();

    // The formatting bar and the ruler.
    static constexpr float kRulerScale = 1.3333333730697632f;  // ruler pixels per point of indent
    static constexpr const char *kSizeRangeText = "The number must be between 1 and 1638.";
    /** The ruler's caption: one hundred pairs of a tab and "|". */
    static QString rulerCaption();
    void SelectionChange();
    void LoadFontList();
    void FillRuler();
    void BoldButtonClick();
    void ItalicButtonClick();
    void UnderlineButtonClick();
    void FontSizeChange();
    void FontNameChange(int index);
    void AlignClick(QToolButton *button);
    void BulletsButtonClick();
    void RulerResize();
    void RulerItemMouseDown(RulerMarker *marker, int x);
    void RulerItemMouseMove(RulerMarker *marker, int x);
    void FirstIndMouseUp();
    void LeftIndMouseUp();
    void RightIndMouseUp();
    /** The paragraph attributes as the ruler speaks of them, in points. */
    struct Indents {
        int first = 0;  // the first line, from the left edge
        int left = 0;   // the other lines, from the first line
        int right = 0;
    };
    Indents paragraphIndents() const;
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
    void FormCreate();
    void FormActivate();
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
