#include "editor/TMainForm.h"

#include "app/Dialogs.h"
#include "app/Messages.h"
#include "app/Toolkit.h"
#include "editor/HelpWindow.h"
#include "editor/PocketReport.h"
#include "editor/RtfReader.h"
#include "editor/RtfWriter.h"
#include "store/DocumentStore.h"

#include <QAction>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QFontDialog>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPrinter>
#include <QPushButton>
#include <QSaveFile>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QStyle>
#include <QTextCursor>
#include <QTextEdit>
#include <QThread>
#include <QToolButton>
#include <QVBoxLayout>

namespace kaldex::ui {
namespace {

constexpr int kClientWidth = 787;
constexpr int kClientHeight = 541;
constexpr int kSpeedBarHeight = 32;
constexpr int kRulerHeight = 26;
constexpr int kStatusHeight = 23;
constexpr int kHelpContextRole = Qt::UserRole + 1;

// The margins of the text: 6 pixels from both sides, none at the top.
class TextEdit : public QTextEdit {
public:
    using QTextEdit::QTextEdit;
    void setTextMargins(int side) { setViewportMargins(side, 0, side, 0); }
};

}  // namespace

QString TMainForm::applicationTitle()
{
    return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
}

TMainForm::TMainForm(DocumentStore &store, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), store_(store)
{
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("Редактор кармана"));
    setFont(layoutFont(QStringLiteral("MS Sans Serif"), 11));
    setBackground(this, QColor(0xFF, 0xFF, 0x80));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    MainMenu = new QMenuBar(this);
    MainMenu->setObjectName(QStringLiteral("MainMenu"));
    layout->setMenuBar(MainMenu);
    client_ = new QWidget(this);
    client_->setMinimumSize(200, 150);
    layout->addWidget(client_);

    buildMenus();
    buildSpeedBar();
    buildFormatBar();

    Ruler = new QFrame(client_);
    Ruler->setObjectName(QStringLiteral("Ruler"));
    buildRuler();
    auto *edit = new TextEdit(client_);
    RichEdit1 = edit;
    RichEdit1->setObjectName(QStringLiteral("RichEdit1"));
    RichEdit1->setAcceptRichText(true);
    // The window's font in points, so that sizes read back as the size box shows them.
    RichEdit1->setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    RichEdit1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RichEdit1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RichEdit1->setProperty("helpContext", 400);
    RichEdit1->document()->setDocumentMargin(0);
    edit->setTextMargins(6);
    RichEdit1->installEventFilter(this);
    StatusBar = new QStatusBar(client_);
    StatusBar->setObjectName(QStringLiteral("StatusBar"));
    StatusBar->setSizeGripEnabled(false);

    Button2 = new QPushButton(QStringLiteral("OK"), client_);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setFont(layoutFont(QStringLiteral("Times New Roman"), 21, true));
    Button2->setAutoDefault(false);
    Button3 = new QPushButton(QStringLiteral("KALDEX - ТЕКСТОВЫЙ РЕДАКТОР"), client_);
    Button3->setObjectName(QStringLiteral("Button3"));
    Button3->setFont(layoutFont(QStringLiteral("Times New Roman"), 19, true));
    Button3->setAutoDefault(false);
    Button3->setFocusPolicy(Qt::NoFocus);
    connect(Button2, &QPushButton::clicked, this, &TMainForm::Button2Click);

    resize(kClientWidth, kClientHeight + MainMenu->sizeHint().height());
    layout->activate();  // gives the client area its size before the first showing
    layoutClient();
    centerOnScreen(this);
    RichEdit1->setFocus();

    FormCreate();
    fillReport();
}

void TMainForm::buildMenus()
{
    auto item = [this](QMenu *menu, const char *name, const char *text, int context, const char *hint,
                       void (TMainForm::*handler)()) {
        QAction *action = menu->addAction(QString::fromUtf8(text));
        action->setObjectName(QString::fromLatin1(name));
        action->setStatusTip(QString::fromUtf8(hint));
        action->setData(context);
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    auto menu = [this](const char *name, const char *title, int context) {
        QMenu *created = MainMenu->addMenu(QString::fromUtf8(title));
        created->setObjectName(QString::fromLatin1(name));
        created->menuAction()->setData(context);
        created->installEventFilter(this);
        return created;
    };

    FileMenu = menu("FileMenu", "&File", 100);
    FileNewItem = item(FileMenu, "FileNewItem", "&New", 101, "Create a new file", &TMainForm::FileNewClick);
    FileOpenItem = item(FileMenu, "FileOpenItem", "&Open...", 102, "Open an existing file", &TMainForm::FileOpenClick);
    FileSaveItem = item(FileMenu, "FileSaveItem", "&Save", 103, "Save current file", &TMainForm::FileSaveClick);
    FileSaveAsItem = item(FileMenu, "FileSaveAsItem", "Save &As...", 104, "Save current file under a new name",
                          &TMainForm::FileSaveAsClick);
    FileMenu->addSeparator();
    FilePrintItem = item(FileMenu, "FilePrintItem", "&Print", 105, "Print current file", &TMainForm::FilePrintClick);
    FileMenu->addSeparator();
    FileExitItem = item(FileMenu, "FileExitItem", "E&xit", 106, "Exit this application", &TMainForm::FileExitClick);
    FileExitItem->setShortcut(QKeySequence(Qt::Key_Delete));

    EditMenu = menu("EditMenu", "&Edit", 200);
    EditUndoItem = item(EditMenu, "EditUndoItem", "&Undo", 201, "Undo the last action", &TMainForm::EditUndoClick);
    EditMenu->addSeparator();
    EditCutItem = item(EditMenu, "EditCutItem", "Cu&t", 202, "Delete selected item", &TMainForm::EditCutClick);
    EditCopyItem = item(EditMenu, "EditCopyItem", "&Copy", 203, "Copy selected item to clipboard",
                        &TMainForm::EditCopyClick);
    EditPasteItem = item(EditMenu, "EditPasteItem", "&Paste", 204, "Paste contents of clipboard",
                         &TMainForm::EditPasteClick);
    EditMenu->addSeparator();
    EditFontItem = item(EditMenu, "EditFontItem", "&Font...", 205, "Select a font for the text.",
                        &TMainForm::SelectFont);

    HelpMenu = menu("HelpMenu", "&Help", 300);
    HelpContentsItem = item(HelpMenu, "HelpContentsItem", "&Contents", 0, "Display the help contents screen",
                            &TMainForm::HelpContentsClick);
    HelpSearchItem = item(HelpMenu, "HelpSearchItem", "&Search for Help On...", 0, "Search help file for a topic",
                          &TMainForm::HelpSearchClick);
    HelpHowToItem = item(HelpMenu, "HelpHowToItem", "&How to Use Help", 0, "Help on using the help system",
                         &TMainForm::HelpHowToClick);
    HelpMenu->addSeparator();
    HelpAboutItem = item(HelpMenu, "HelpAboutItem", "&About...", 0, "Show program information",
                         &TMainForm::HelpAboutClick);
}

void TMainForm::buildSpeedBar()
{
    SpeedBar = new QFrame(client_);
    SpeedBar->setObjectName(QStringLiteral("SpeedBar"));
    Bevel1 = new QFrame(SpeedBar);
    Bevel1->setObjectName(QStringLiteral("Bevel1"));
    Bevel1->setFrameStyle(QFrame::HLine | QFrame::Sunken);

    // Hints are "tool tip|status text"; the speed buttons leave the status empty.
    auto button = [this](const char *name, int left, QStyle::StandardPixmap icon, const char *text,
                         const char *hint, void (TMainForm::*handler)()) {
        auto *speed = new QToolButton(SpeedBar);
        speed->setObjectName(QString::fromLatin1(name));
        speed->setGeometry(left, 5, 25, 25);
        speed->setAutoRaise(true);
        speed->setFocusPolicy(Qt::NoFocus);
        const QString tip = QString::fromUtf8(hint);
        speed->setToolTip(tip.section(QLatin1Char('|'), 0, 0));
        speed->setStatusTip(tip.section(QLatin1Char('|'), 1));
        if (icon != QStyle::SP_CustomBase)
            speed->setIcon(style()->standardIcon(icon));
        else
            speed->setText(QString::fromUtf8(text));
        connect(speed, &QToolButton::clicked, this, handler);
        return speed;
    };
    OpenButton = button("OpenButton", 8, QStyle::SP_DialogOpenButton, "", "Open|", &TMainForm::FileOpenClick);
    SaveButton = button("SaveButton", 33, QStyle::SP_DialogSaveButton, "", "Save|", &TMainForm::FileSaveClick);
    PrintButton = button("PrintButton", 58, QStyle::SP_CustomBase, "P", "Print|", &TMainForm::FilePrintClick);
    UndoButton = button("UndoButton", 89, QStyle::SP_ArrowBack, "", "Undo|", &TMainForm::EditUndoClick);
    CutButton = button("CutButton", 114, QStyle::SP_CustomBase, "✂", "Cut|", &TMainForm::EditCutClick);
    CopyButton = button("CopyButton", 139, QStyle::SP_FileDialogContentsView, "", "Copy|",
                        &TMainForm::EditCopyClick);
    PasteButton = button("PasteButton", 164, QStyle::SP_FileDialogDetailedView, "", "Paste|",
                         &TMainForm::EditPasteClick);
}

void TMainForm::layoutClient()
{
    const int width = client_->width() > 0 ? client_->width() : kClientWidth;
    const int height = client_->height() > 0 ? client_->height() : kClientHeight;
    SpeedBar->setGeometry(0, 0, width, kSpeedBarHeight);
    Bevel1->setGeometry(0, 0, width, 2);
    Ruler->setGeometry(0, kSpeedBarHeight, width, kRulerHeight);
    const int textTop = kSpeedBarHeight + kRulerHeight;
    RichEdit1->setGeometry(0, textTop, width, std::max(0, height - textTop - kStatusHeight));
    StatusBar->setGeometry(0, height - kStatusHeight, width, kStatusHeight);
    Button2->setGeometry(7, 483 + (height - kClientHeight), 95, 35);
    Button3->setGeometry(447, 34, 330, 25);
    Button2->raise();
    Button3->raise();
}

void TMainForm::FormCreate()
{
    dialogDirectory_ = QCoreApplication::applicationDirPath();
    LoadFontList();
    FillRuler();
    SelectionChange();
    for (auto changed : {&QTextEdit::cursorPositionChanged, &QTextEdit::selectionChanged})
        connect(RichEdit1, changed, this, &TMainForm::SelectionChange);
    connect(RichEdit1, &QTextEdit::currentCharFormatChanged, this, &TMainForm::SelectionChange);
}

void TMainForm::FormActivate()
{
    RichEdit1->setFocus();
}

void TMainForm::fillReport()
{
    ApplyFileName(QString::fromLatin1(kUntitled));
    std::string text = reportText(buildReport(store_));
    if (text.size() < kBackgroundFillBytes) {
        RichEdit1->setPlainText(fromCp1251(text));
        return;
    }
    // A full pocket makes hundreds of thousands of paragraphs, which take the
    // text control about a second: build them beside the window, which shows
    // at once and takes the text when it is ready.
    RichEdit1->setReadOnly(true);
    StatusBar->showMessage(QStringLiteral("Отчёт загружается…"));
    QThread *guiThread = thread();
    filler_ = std::thread([this, guiThread, text = std::move(text)] {
        auto document = std::make_unique<QTextDocument>();
        document->setUndoRedoEnabled(false);
        document->setDocumentMargin(0);
        document->setPlainText(fromCp1251(text));
        document->setUndoRedoEnabled(true);
        document->setModified(false);
        document->moveToThread(guiThread);
        filled_ = std::move(document);
        QMetaObject::invokeMethod(this, &TMainForm::takeFilledDocument, Qt::QueuedConnection);
    });
}

void TMainForm::takeFilledDocument()
{
    if (!filler_.joinable())
        return;
    filler_.join();
    adoptDocument(filled_.release());
    RichEdit1->setReadOnly(false);
    StatusBar->clearMessage();
}

void TMainForm::adoptDocument(QTextDocument *document)
{
    document->setParent(RichEdit1);
    RichEdit1->setDocument(document);  // deletes the old one, a child of the editor too
}

void TMainForm::waitForReport()
{
    takeFilledDocument();  // joins the worker when it is still at work
}

TMainForm::~TMainForm()
{
    if (filler_.joinable())
        filler_.join();
}

void TMainForm::ApplyFileName(const QString &fileName)
{
    CurrentFile = fileName;
    setWindowTitle(QStringLiteral("%1 - %2").arg(QFileInfo(fileName).fileName(), applicationTitle()));
}

bool TMainForm::ConfirmSave()
{
    if (!RichEdit1->document()->isModified())
        return true;
    switch (askQuestion(this, QStringLiteral("Confimation"), QStringLiteral("Save Changes?"))) {
    case Answer::No:
        return true;
    case Answer::Yes:
        FileSaveClick();
        return false;
    case Answer::Cancel:
    default:
        return false;
    }
}

void TMainForm::SetTextMargins()
{
    static_cast<TextEdit *>(RichEdit1)->setTextMargins(6);
}

void TMainForm::ShowStatusHint(const QString &hint)
{
    StatusBar->showMessage(hint);
}

void TMainForm::FileNewClick()
{
    waitForReport();
    if (!ConfirmSave())
        return;
    ApplyFileName(QString::fromLatin1(kUntitled));
    RichEdit1->clear();
    RichEdit1->document()->setModified(false);
}

void TMainForm::FileOpenClick()
{
    waitForReport();
    if (!ConfirmSave())
        return;
    bool readOnly = false;
    const QString fileName =
        chooseFileToOpen(this, dialogDirectory_, QString::fromLatin1(kFilter), &readOnly);
    if (fileName.isEmpty())
        return;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        showMessage(this, windowTitle(),
                    QStringLiteral("Не удалось открыть файл «%1»: %2.").arg(fileName, file.errorString()));
        return;
    }
    const QByteArray bytes = file.readAll();
    // Read into a document of its own, without undo steps, that then replaces
    // the shown one whole: the text control lays it out once instead of
    // following every insertion, and undo cannot bring back the old text.
    auto document = std::make_unique<QTextDocument>();
    document->setUndoRedoEnabled(false);
    document->setDocumentMargin(RichEdit1->document()->documentMargin());
    document->setDefaultFont(RichEdit1->document()->defaultFont());
    if (looksLikeRtf(bytes)) {
        QString error;
        if (!readRtf(bytes, *document, &error)) {
            showMessage(this, windowTitle(), QStringLiteral("Файл «%1» не прочитан: %2").arg(fileName, error));
            return;
        }
    } else {
        readPlainText(bytes, *document);
    }
    document->setUndoRedoEnabled(true);
    adoptDocument(document.release());
    ApplyFileName(fileName);
    RichEdit1->setFocus();
    RichEdit1->document()->setModified(false);
    RichEdit1->setReadOnly(readOnly);
}

bool TMainForm::saveTo(const QString &fileName)
{
    waitForReport();
    // The old file stays whole until the new one is complete.
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(writeRtf(*RichEdit1->document())) < 0 || !file.commit()) {
        showMessage(this, windowTitle(),
                    QStringLiteral("Не удалось сохранить файл «%1»: %2.").arg(fileName, file.errorString()));
        return false;
    }
    return true;
}

void TMainForm::FileSaveClick()
{
    if (CurrentFile == QLatin1String(kUntitled)) {
        FileSaveAsClick();
        return;
    }
    if (saveTo(CurrentFile))
        RichEdit1->document()->setModified(false);
}

void TMainForm::FileSaveAsClick()
{
    const QString fileName =
        chooseFileToSave(this, dialogDirectory_, QString::fromLatin1(kFilter), QStringLiteral("rtf"));
    if (fileName.isEmpty() || !saveTo(fileName))
        return;
    ApplyFileName(fileName);
    RichEdit1->document()->setModified(false);
}

void TMainForm::FilePrintClick()
{
    waitForReport();
    QPrinter printer;
    if (!choosePrinter(this, printer))
        return;
    printer.setDocName(CurrentFile);
    RichEdit1->document()->print(&printer);
}

void TMainForm::FileExitClick()
{
    close();
}

void TMainForm::Button2Click()
{
    close();
}

void TMainForm::EditUndoClick()
{
    RichEdit1->undo();
}

void TMainForm::EditCutClick()
{
    RichEdit1->cut();
}

void TMainForm::EditCopyClick()
{
    RichEdit1->copy();
}

void TMainForm::EditPasteClick()
{
    RichEdit1->paste();
}

void TMainForm::SelectFont()
{
    bool chosen = false;
    const QFont font = QFontDialog::getFont(&chosen, RichEdit1->currentFont(), this);
    if (!chosen)
        return;
    QTextCharFormat format;
    format.setFont(font, QTextCharFormat::FontPropertiesSpecifiedOnly);
    RichEdit1->mergeCurrentCharFormat(format);
    RichEdit1->setFocus();
}

void TMainForm::HelpContentsClick()
{
    callHelp(this, QString::fromLatin1(kHelpFile), HelpContents);
}

void TMainForm::HelpSearchClick()
{
    callHelp(this, QString::fromLatin1(kHelpFile), HelpPartialKey);
}

void TMainForm::HelpHowToClick()
{
    callHelp(this, QString::fromLatin1(kHelpFile), HelpOnHelp);
}

void TMainForm::HelpAboutClick()
{
}

void TMainForm::contextHelp(int context)
{
    callHelp(this, QString::fromLatin1(kHelpFile), HelpContext, context);
}

void TMainForm::done(int result)
{
    // Every way of closing (OK, Esc, Exit, the system) asks about unsaved changes first.
    if (!ConfirmSave())
        return;
    QDialog::done(result);
}

bool TMainForm::event(QEvent *event)
{
    if (event->type() == QEvent::StatusTip) {
        ShowStatusHint(static_cast<QStatusTipEvent *>(event)->tip());
        return true;
    }
    if (event->type() == QEvent::WindowActivate)
        FormActivate();
    return QDialog::event(event);
}

bool TMainForm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Ruler) {
        if (event->type() == QEvent::Paint)
            paintRuler();
        else if (event->type() == QEvent::Resize)
            RulerResize();
        return false;
    }
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(event)->key() == Qt::Key_F1) {
        int context = 400;
        if (auto *menu = qobject_cast<QMenu *>(watched)) {
            QAction *highlighted = menu->activeAction();
            context = (highlighted && highlighted->data().toInt() ? highlighted : menu->menuAction())->data().toInt();
            menu->close();
        }
        if (context)
            contextHelp(context);
        else
            HelpContentsClick();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TMainForm::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    layoutClient();
    SetTextMargins();
    SelectionChange();
}

void TMainForm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    layoutClient();
}

}  // namespace kaldex::ui
