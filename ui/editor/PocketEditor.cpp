#include "ui/editor/PocketEditor.h"

#include "core/report/PocketReport.h"
#include "core/store/DocumentStore.h"
#include "core/store/FileBytes.h"
#include "text/Indents.h"
#include "text/RtfReader.h"
#include "text/RtfWriter.h"
#include "ui/common/Dialogs.h"
#include "ui/common/Messages.h"
#include "ui/common/Toolkit.h"
#include "ui/help/HelpWindow.h"

#include <QAction>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QFontDialog>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPrinter>
#include <QProgressDialog>
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

#include <cerrno>

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

QString PocketEditor::applicationTitle()
{
    return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
}

PocketEditor::PocketEditor(DocumentStore &store, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), store_(store)
{
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("Редактор кармана"));
    setFont(layoutFont(QStringLiteral("MS Sans Serif"), 11));
    setBackground(this, QColor(0xFF, 0xFF, 0x80));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    mainMenu = new QMenuBar(this);
    mainMenu->setObjectName(QStringLiteral("MainMenu"));
    layout->setMenuBar(mainMenu);
    client_ = new QWidget(this);
    client_->setMinimumSize(200, 150);
    layout->addWidget(client_);

    buildMenus();
    buildSpeedBar();
    buildFormatBar();

    ruler = new QFrame(client_);
    ruler->setObjectName(QStringLiteral("Ruler"));
    buildRuler();
    auto *edit = new TextEdit(client_);
    textEdit = edit;
    textEdit->setObjectName(QStringLiteral("RichEdit1"));
    textEdit->setAcceptRichText(true);
    // The window's font in points, so that sizes read back as the size box shows them.
    textEdit->setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    textEdit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    textEdit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    textEdit->setProperty("helpContext", 400);
    textEdit->document()->setDocumentMargin(0);
    textEdit->document()->setIndentWidth(kListLevelPixels);
    edit->setTextMargins(6);
    // The margin beside the text is part of the white text area, not of the window.
    QPalette white = textEdit->palette();
    white.setColor(QPalette::Window, white.color(QPalette::Base));
    textEdit->setPalette(white);
    textEdit->setAutoFillBackground(true);
    textEdit->installEventFilter(this);
    statusBar = new QStatusBar(client_);
    statusBar->setObjectName(QStringLiteral("StatusBar"));
    statusBar->setSizeGripEnabled(false);

    okButton = new QPushButton(QStringLiteral("OK"), client_);
    okButton->setObjectName(QStringLiteral("Button2"));
    okButton->setFont(layoutFont(QStringLiteral("Times New Roman"), 21, true));
    okButton->setAutoDefault(false);
    captionButton = new QPushButton(QStringLiteral("KALDEX - ТЕКСТОВЫЙ РЕДАКТОР"), client_);
    captionButton->setObjectName(QStringLiteral("Button3"));
    captionButton->setFont(layoutFont(QStringLiteral("Times New Roman"), 19, true));
    captionButton->setAutoDefault(false);
    captionButton->setFocusPolicy(Qt::NoFocus);
    // Substitute fonts run a little wider than the layout's: tighten the
    // letters until the caption fits its button.
    QFont caption = captionButton->font();
    for (qreal spacing = -0.1; captionButton->sizeHint().width() > 330 && spacing > -1; spacing -= 0.1) {
        caption.setLetterSpacing(QFont::AbsoluteSpacing, spacing);
        captionButton->setFont(caption);
    }
    connect(okButton, &QPushButton::clicked, this, &PocketEditor::leave);

    resize(kClientWidth, kClientHeight + mainMenu->sizeHint().height());
    layout->activate();  // gives the client area its size before the first showing
    layoutClient();
    centerOnScreen(this);
    textEdit->setFocus();

    prepare();
    fillReport();
}

void PocketEditor::buildMenus()
{
    auto item = [this](QMenu *menu, const char *name, const char *text, int context, const char *hint,
                       void (PocketEditor::*handler)()) {
        QAction *action = menu->addAction(QString::fromUtf8(text));
        action->setObjectName(QString::fromLatin1(name));
        action->setStatusTip(QString::fromUtf8(hint));
        action->setData(context);
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    auto menu = [this](const char *name, const char *title, int context) {
        QMenu *created = mainMenu->addMenu(QString::fromUtf8(title));
        created->setObjectName(QString::fromLatin1(name));
        created->menuAction()->setData(context);
        created->installEventFilter(this);
        return created;
    };

    fileMenu = menu("FileMenu", "&File", 100);
    newAction = item(fileMenu, "FileNewItem", "&New", 101, "Create a new file", &PocketEditor::newFile);
    openAction = item(fileMenu, "FileOpenItem", "&Open...", 102, "Open an existing file", &PocketEditor::openFile);
    saveAction = item(fileMenu, "FileSaveItem", "&Save", 103, "Save current file", &PocketEditor::save);
    saveAsAction = item(fileMenu, "FileSaveAsItem", "Save &As...", 104, "Save current file under a new name",
                        &PocketEditor::saveAs);
    fileMenu->addSeparator();
    printAction = item(fileMenu, "FilePrintItem", "&Print", 105, "Print current file", &PocketEditor::print);
    fileMenu->addSeparator();
    // "Delete" is shown beside Exit but is no shortcut: the key belongs to the
    // text, and closing the editor on it would throw work away.
    exitAction =
        item(fileMenu, "FileExitItem", "E&xit\tDelete", 106, "Exit this application", &PocketEditor::exitEditor);

    editMenu = menu("EditMenu", "&Edit", 200);
    undoAction = item(editMenu, "EditUndoItem", "&Undo", 201, "Undo the last action", &PocketEditor::undo);
    editMenu->addSeparator();
    cutAction = item(editMenu, "EditCutItem", "Cu&t", 202, "Delete selected item", &PocketEditor::cut);
    copyAction = item(editMenu, "EditCopyItem", "&Copy", 203, "Copy selected item to clipboard", &PocketEditor::copy);
    pasteAction = item(editMenu, "EditPasteItem", "&Paste", 204, "Paste contents of clipboard", &PocketEditor::paste);
    editMenu->addSeparator();
    fontAction =
        item(editMenu, "EditFontItem", "&Font...", 205, "Select a font for the text.", &PocketEditor::selectFont);

    helpMenu = menu("HelpMenu", "&Help", 300);
    helpContentsAction = item(helpMenu, "HelpContentsItem", "&Contents", 0, "Display the help contents screen",
                              &PocketEditor::showHelpContents);
    helpSearchAction = item(helpMenu, "HelpSearchItem", "&Search for Help On...", 0, "Search help file for a topic",
                            &PocketEditor::searchHelp);
    helpOnHelpAction = item(helpMenu, "HelpHowToItem", "&How to Use Help", 0, "Help on using the help system",
                            &PocketEditor::showHelpOnHelp);
    helpMenu->addSeparator();
    aboutAction = item(helpMenu, "HelpAboutItem", "&About...", 0, "Show program information", &PocketEditor::showAbout);
}

void PocketEditor::buildSpeedBar()
{
    speedBar = new QFrame(client_);
    speedBar->setObjectName(QStringLiteral("SpeedBar"));
    speedBarEdge = new QFrame(speedBar);
    speedBarEdge->setObjectName(QStringLiteral("Bevel1"));
    speedBarEdge->setFrameStyle(QFrame::HLine | QFrame::Sunken);

    // Hints are "tool tip|status text"; the speed buttons leave the status empty.
    auto button = [this](const char *name, int left, QStyle::StandardPixmap icon, const char *text, const char *hint,
                         void (PocketEditor::*handler)()) {
        auto *speed = new QToolButton(speedBar);
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
    openButton = button("OpenButton", 8, QStyle::SP_DialogOpenButton, "", "Open|", &PocketEditor::openFile);
    saveButton = button("SaveButton", 33, QStyle::SP_DialogSaveButton, "", "Save|", &PocketEditor::save);
    printButton = button("PrintButton", 58, QStyle::SP_CustomBase, "P", "Print|", &PocketEditor::print);
    undoButton = button("UndoButton", 89, QStyle::SP_ArrowBack, "", "Undo|", &PocketEditor::undo);
    cutButton = button("CutButton", 114, QStyle::SP_CustomBase, "✂", "Cut|", &PocketEditor::cut);
    copyButton = button("CopyButton", 139, QStyle::SP_FileDialogContentsView, "", "Copy|", &PocketEditor::copy);
    pasteButton = button("PasteButton", 164, QStyle::SP_FileDialogDetailedView, "", "Paste|", &PocketEditor::paste);
}

void PocketEditor::layoutClient()
{
    const int width = client_->width() > 0 ? client_->width() : kClientWidth;
    const int height = client_->height() > 0 ? client_->height() : kClientHeight;
    speedBar->setGeometry(0, 0, width, kSpeedBarHeight);
    speedBarEdge->setGeometry(0, 0, width, 2);
    ruler->setGeometry(0, kSpeedBarHeight, width, kRulerHeight);
    const int textTop = kSpeedBarHeight + kRulerHeight;
    textEdit->setGeometry(0, textTop, width, std::max(0, height - textTop - kStatusHeight));
    statusBar->setGeometry(0, height - kStatusHeight, width, kStatusHeight);
    okButton->setGeometry(7, 483 + (height - kClientHeight), 95, 35);
    captionButton->setGeometry(447, 34, 330, 25);
    okButton->raise();
    captionButton->raise();
}

void PocketEditor::prepare()
{
    dialogDirectory_ = QCoreApplication::applicationDirPath();
    loadFontList();
    fillRuler();
    syncToolbar();
    for (auto changed : {&QTextEdit::cursorPositionChanged, &QTextEdit::selectionChanged})
        connect(textEdit, changed, this, &PocketEditor::syncToolbar);
    connect(textEdit, &QTextEdit::currentCharFormatChanged, this, &PocketEditor::syncToolbar);
    connect(textEdit->document(), &QTextDocument::contentsChanged, this, &PocketEditor::syncToolbar);
}

void PocketEditor::focusText()
{
    textEdit->setFocus();
}

void PocketEditor::fillReport()
{
    setFileName(QString::fromLatin1(kUntitled));
    std::string text = reportText(buildReport(store_));
    if (text.size() < kBackgroundFillBytes) {
        textEdit->setPlainText(fromCp1251(text));
        return;
    }
    // A full pocket makes hundreds of thousands of paragraphs, which take the
    // text control about a second: build them beside the window, which shows
    // at once and takes the text when it is ready.
    textEdit->setReadOnly(true);
    statusBar->showMessage(QStringLiteral("Отчёт загружается…"));
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
        QMetaObject::invokeMethod(this, &PocketEditor::takeFilledDocument, Qt::QueuedConnection);
    });
}

void PocketEditor::takeFilledDocument()
{
    if (!filler_.joinable())
        return;
    filler_.join();
    adoptDocument(filled_.release());
    textEdit->setReadOnly(false);
    statusBar->clearMessage();
}

void PocketEditor::adoptDocument(QTextDocument *document)
{
    document->setParent(textEdit);
    document->setIndentWidth(kListLevelPixels);
    textEdit->setDocument(document);  // deletes the old one, a child of the editor too
    // A fresh caret: the control would carry the old text's typing format over.
    textEdit->setTextCursor(QTextCursor(document));
    // Undo, redo and format changes move no caret: the bar follows the document itself.
    connect(document, &QTextDocument::contentsChanged, this, &PocketEditor::syncToolbar);
    syncToolbar();
}

void PocketEditor::waitForReport()
{
    takeFilledDocument();  // joins the worker when it is still at work
}

PocketEditor::~PocketEditor()
{
    if (filler_.joinable())
        filler_.join();
}

void PocketEditor::setFileName(const QString &fileName)
{
    currentFile = fileName;
    setWindowTitle(QStringLiteral("%1 - %2").arg(QFileInfo(fileName).fileName(), applicationTitle()));
}

bool PocketEditor::confirmSave()
{
    if (!textEdit->document()->isModified())
        return true;
    switch (askQuestion(this, QStringLiteral("Confimation"), QStringLiteral("Save Changes?"))) {
    case Answer::No: return true;
    case Answer::Yes: save(); return false;
    case Answer::Cancel:
    default: return false;
    }
}

void PocketEditor::resetTextMargins()
{
    static_cast<TextEdit *>(textEdit)->setTextMargins(6);
}

void PocketEditor::showStatusHint(const QString &hint)
{
    statusBar->showMessage(hint);
}

void PocketEditor::newFile()
{
    waitForReport();
    if (!confirmSave())
        return;
    setFileName(QString::fromLatin1(kUntitled));
    textEdit->clear();
    textEdit->document()->setModified(false);
    syncToolbar();
}

void PocketEditor::openFile()
{
    waitForReport();
    if (!confirmSave())
        return;
    bool readOnly = false;
    const QString fileName = chooseFileToOpen(this, dialogDirectory_, QString::fromLatin1(kFilter), &readOnly);
    if (fileName.isEmpty())
        return;
    QFile file(fileName);
    errno = 0;
    // Only a plain file, as "CONT" reads "ba0": a pipe would hold the whole
    // program until something writes to it, a device might never end.
    struct stat info {};
    const int fd = openPlainFile(QFile::encodeName(fileName).toStdString(), info);
    if (fd < 0 && (info.st_mode & S_IFMT) != 0 && !S_ISREG(info.st_mode)) {
        showMessage(this, windowTitle(),
                    QStringLiteral("«%1» не открыт: это %2, а редактор открывает только обычные файлы.")
                        .arg(fileName, S_ISDIR(info.st_mode)    ? QStringLiteral("папка")
                                       : S_ISFIFO(info.st_mode) ? QStringLiteral("именованный канал")
                                       : S_ISSOCK(info.st_mode) ? QStringLiteral("сокет")
                                                                : QStringLiteral("устройство")));
        return;
    }
    QByteArray bytes;
    bool tooLarge = false;
    if (fd >= 0 && file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        // Nothing beyond the limit is read: the size is known before, and a
        // file that grows meanwhile is read until it passes it.
        tooLarge = !file.isSequential() && file.size() > kMaxOpenBytes;
        if (!tooLarge && !file.isSequential())
            bytes.reserve(file.size());
        while (!tooLarge && file.error() == QFileDevice::NoError) {
            const QByteArray chunk = file.read(qint64(1) << 20);
            if (chunk.isEmpty())
                break;
            bytes += chunk;
            tooLarge = bytes.size() > kMaxOpenBytes;
        }
    }
    if (tooLarge) {
        showMessage(this, windowTitle(),
                    QStringLiteral("Файл «%1» не открыт: он больше %2 МБ, а редактор открывает файлы не больше %2 МБ.")
                        .arg(fileName)
                        .arg(kMaxOpenBytes >> 20));
        return;
    }
    if (fd < 0 || file.error() != QFileDevice::NoError) {
        const int error = errno;
        showMessage(this, windowTitle(),
                    QStringLiteral("Не удалось открыть файл «%1»: %2.")
                        .arg(fileName, error ? systemErrorText(error) : QStringLiteral("ошибка чтения")));
        return;
    }
    // Read into a document of its own, without undo steps, that then replaces
    // the shown one whole: the text control lays it out once instead of
    // following every insertion, and undo cannot bring back the old text.
    auto document = std::make_unique<QTextDocument>();
    document->setUndoRedoEnabled(false);
    document->setDocumentMargin(textEdit->document()->documentMargin());
    document->setDefaultFont(textEdit->document()->defaultFont());
    if (looksLikeRtf(bytes)) {
        // A large file shows how far reading has come, and Cancel stops it;
        // the shown text stays as it was.
        std::unique_ptr<QProgressDialog> progressDialog;
        RtfProgress progress;
        if (bytes.size() > kProgressOpenBytes) {
            progressDialog = std::make_unique<QProgressDialog>(
                QStringLiteral("Открывается файл «%1»…").arg(QFileInfo(fileName).fileName()), QStringLiteral("Отмена"),
                0, 1000, this);
            progressDialog->setObjectName(QStringLiteral("OpenProgress"));
            progressDialog->setWindowTitle(windowTitle());
            progressDialog->setWindowModality(Qt::WindowModal);
            progressDialog->setMinimumDuration(400);
            progressDialog->setAutoClose(false);
            progressDialog->setAutoReset(false);
            progressDialog->setValue(0);
            progress = [dialog = progressDialog.get()](int permille) {
                dialog->setValue(permille);
                QCoreApplication::processEvents();
                return !dialog->wasCanceled();
            };
        }
        QString error;
        if (!readRtf(bytes, *document, &error, progress)) {
            if (error.isEmpty())
                statusBar->showMessage(
                    QStringLiteral("Открытие файла «%1» отменено; текст в редакторе остался прежним.").arg(fileName));
            else
                showMessage(this, windowTitle(), QStringLiteral("Файл «%1» не прочитан: %2").arg(fileName, error));
            return;
        }
    } else {
        readPlainText(bytes, *document);
    }
    document->setUndoRedoEnabled(true);
    adoptDocument(document.release());
    setFileName(fileName);
    textEdit->setFocus();
    textEdit->document()->setModified(false);
    textEdit->setReadOnly(readOnly);
}

bool PocketEditor::saveTo(const QString &fileName)
{
    waitForReport();
    // The old file stays whole until the new one is complete.
    QSaveFile file(fileName);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly) || file.write(writeRtf(*textEdit->document())) < 0 || !file.commit()) {
        const int error = errno;
        showMessage(this, windowTitle(),
                    QStringLiteral("Не удалось сохранить файл «%1»: %2.")
                        .arg(fileName, error ? systemErrorText(error) : QStringLiteral("ошибка записи")));
        return false;
    }
    return true;
}

void PocketEditor::save()
{
    if (currentFile == QLatin1String(kUntitled)) {
        saveAs();
        return;
    }
    if (saveTo(currentFile))
        textEdit->document()->setModified(false);
}

void PocketEditor::saveAs()
{
    const QString fileName =
        chooseFileToSave(this, dialogDirectory_, QString::fromLatin1(kFilter), QStringLiteral("rtf"));
    if (fileName.isEmpty() || !saveTo(fileName))
        return;
    setFileName(fileName);
    textEdit->document()->setModified(false);
}

void PocketEditor::print()
{
    waitForReport();
    QPrinter printer;
    if (!choosePrinter(this, printer))
        return;
    printer.setDocName(currentFile);
    textEdit->document()->print(&printer);
}

void PocketEditor::exitEditor()
{
    close();
}

void PocketEditor::leave()
{
    close();
}

void PocketEditor::undo()
{
    textEdit->undo();
}

void PocketEditor::cut()
{
    textEdit->cut();
}

void PocketEditor::copy()
{
    textEdit->copy();
}

void PocketEditor::paste()
{
    textEdit->paste();
}

void PocketEditor::selectFont()
{
    bool chosen = false;
    const QFont font = QFontDialog::getFont(&chosen, textEdit->currentFont(), this);
    if (!chosen)
        return;
    QTextCharFormat format;
    format.setFont(font, QTextCharFormat::FontPropertiesSpecifiedOnly);
    textEdit->mergeCurrentCharFormat(format);
    textEdit->setFocus();
}

void PocketEditor::showHelpContents()
{
    callHelp(this, QString::fromLatin1(kHelpFile), HelpContents);
}

void PocketEditor::searchHelp()
{
    callHelp(this, QString::fromLatin1(kHelpFile), HelpPartialKey);
}

void PocketEditor::showHelpOnHelp()
{
    callHelp(this, QString::fromLatin1(kHelpFile), HelpOnHelp);
}

void PocketEditor::showAbout() {}

void PocketEditor::contextHelp(int context)
{
    callHelp(this, QString::fromLatin1(kHelpFile), HelpContext, context);
}

void PocketEditor::done(int result)
{
    // Every way of closing (OK, Esc, Exit, the system) asks about unsaved changes first.
    if (!confirmSave())
        return;
    QDialog::done(result);
}

bool PocketEditor::event(QEvent *event)
{
    if (event->type() == QEvent::StatusTip) {
        showStatusHint(static_cast<QStatusTipEvent *>(event)->tip());
        return true;
    }
    if (event->type() == QEvent::WindowActivate)
        focusText();
    return QDialog::event(event);
}

bool PocketEditor::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ruler) {
        if (event->type() == QEvent::Paint)
            paintRuler();
        else if (event->type() == QEvent::Resize)
            resizeRuler();
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
            showHelpContents();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void PocketEditor::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    layoutClient();
    resetTextMargins();
    syncToolbar();
}

void PocketEditor::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    layoutClient();
}

}  // namespace kaldex::ui
