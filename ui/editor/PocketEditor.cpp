#include "ui/editor/PocketEditor.h"

#include "core/report/PocketReport.h"
#include "core/store/DocumentStore.h"
#include "core/store/FileBytes.h"
#include "text/Indents.h"
#include "text/RtfReader.h"
#include "text/RtfWriter.h"
#include "ui/common/Dialogs.h"
#include "ui/common/MessageTexts.h"
#include "ui/common/Messages.h"
#include "ui/common/Toolkit.h"
#include "ui/editor/FormatBar.h"
#include "ui/editor/Ruler.h"
#include "ui/editor/TextFormat.h"
#include "ui/help/HelpWindow.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDialog>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QPrinter>
#include <QProgressDialog>
#include <QPushButton>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QStyle>
#include <QTextCharFormat>
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
constexpr const char *kHelpFile = "RICHEDIT.HLP";
constexpr const char *kFilter = "Rich Text Files (*.RTF);;Text Files (*.TXT)";

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
    mainMenu_ = new QMenuBar(this);
    mainMenu_->setObjectName(QStringLiteral("MainMenu"));
    layout->setMenuBar(mainMenu_);
    client_ = new QWidget(this);
    client_->setMinimumSize(200, 150);
    layout->addWidget(client_);

    buildMenus();
    buildSpeedBar();
    buildText();
    statusBar_ = new QStatusBar(client_);
    statusBar_->setObjectName(QStringLiteral("StatusBar"));
    statusBar_->setSizeGripEnabled(false);

    okButton_ = new QPushButton(QStringLiteral("OK"), client_);
    okButton_->setObjectName(QStringLiteral("Button2"));
    okButton_->setFont(layoutFont(QStringLiteral("Times New Roman"), 21, true));
    okButton_->setAutoDefault(false);
    captionButton_ = new QPushButton(QStringLiteral("KALDEX - ТЕКСТОВЫЙ РЕДАКТОР"), client_);
    captionButton_->setObjectName(QStringLiteral("Button3"));
    captionButton_->setFont(layoutFont(QStringLiteral("Times New Roman"), 19, true));
    captionButton_->setAutoDefault(false);
    captionButton_->setFocusPolicy(Qt::NoFocus);
    // Substitute fonts run a little wider than the layout's: tighten the
    // letters until the caption fits its button.
    QFont caption = captionButton_->font();
    for (qreal spacing = -0.1; captionButton_->sizeHint().width() > 330 && spacing > -1; spacing -= 0.1) {
        caption.setLetterSpacing(QFont::AbsoluteSpacing, spacing);
        captionButton_->setFont(caption);
    }
    connect(okButton_, &QPushButton::clicked, this, &PocketEditor::leave);

    resize(kClientWidth, kClientHeight + mainMenu_->sizeHint().height());
    layout->activate();  // gives the client area its size before the first showing
    layoutClient();
    centerOnScreen(this);
    text_->setFocus();

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
        QMenu *created = mainMenu_->addMenu(QString::fromUtf8(title));
        created->setObjectName(QString::fromLatin1(name));
        created->menuAction()->setData(context);
        created->installEventFilter(this);
        return created;
    };

    QMenu *file = menu("FileMenu", "&File", 100);
    // The keys people expect; the menus show them.
    item(file, "FileNewItem", "&New", 101, "Create a new file", &PocketEditor::newFile)->setShortcut(QKeySequence::New);
    item(file, "FileOpenItem", "&Open...", 102, "Open an existing file", &PocketEditor::openFile)
        ->setShortcut(QKeySequence::Open);
    item(file, "FileSaveItem", "&Save", 103, "Save current file", &PocketEditor::save)->setShortcut(QKeySequence::Save);
    item(file, "FileSaveAsItem", "Save &As...", 104, "Save current file under a new name", &PocketEditor::saveAs);
    file->addSeparator();
    item(file, "FilePrintItem", "&Print", 105, "Print current file", &PocketEditor::print)
        ->setShortcut(QKeySequence::Print);
    file->addSeparator();
    // No key closes the editor: Delete belongs to the text, and closing on it
    // would throw work away.
    item(file, "FileExitItem", "E&xit", 106, "Exit this application", &PocketEditor::leave);

    QMenu *edit = menu("EditMenu", "&Edit", 200);
    item(edit, "EditUndoItem", "&Undo", 201, "Undo the last action", &PocketEditor::undo);
    edit->addSeparator();
    item(edit, "EditCutItem", "Cu&t", 202, "Delete selected item", &PocketEditor::cut);
    item(edit, "EditCopyItem", "&Copy", 203, "Copy selected item to clipboard", &PocketEditor::copy);
    item(edit, "EditPasteItem", "&Paste", 204, "Paste contents of clipboard", &PocketEditor::paste);
    edit->addSeparator();
    item(edit, "EditFontItem", "&Font...", 205, "Select a font for the text.", &PocketEditor::selectFont);

    QMenu *help = menu("HelpMenu", "&Help", 300);
    item(help, "HelpContentsItem", "&Contents", 0, "Display the help contents screen", &PocketEditor::showHelpContents);
    item(help, "HelpSearchItem", "&Search for Help On...", 0, "Search help file for a topic",
         &PocketEditor::searchHelp);
    item(help, "HelpHowToItem", "&How to Use Help", 0, "Help on using the help system", &PocketEditor::showHelpOnHelp);
    help->addSeparator();
    item(help, "HelpAboutItem", "&About...", 0, "Show program information", &PocketEditor::showAbout);
}

void PocketEditor::buildSpeedBar()
{
    speedBar_ = new QFrame(client_);
    speedBar_->setObjectName(QStringLiteral("SpeedBar"));
    speedBarEdge_ = new QFrame(speedBar_);
    speedBarEdge_->setObjectName(QStringLiteral("Bevel1"));
    speedBarEdge_->setFrameStyle(QFrame::HLine | QFrame::Sunken);

    // Hints are "tool tip|status text"; the speed buttons leave the status empty.
    auto button = [this](const char *name, int left, QStyle::StandardPixmap icon, const char *text, const char *hint,
                         void (PocketEditor::*handler)()) {
        auto *speed = new QToolButton(speedBar_);
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
    };
    button("OpenButton", 8, QStyle::SP_DialogOpenButton, "", "Open|", &PocketEditor::openFile);
    button("SaveButton", 33, QStyle::SP_DialogSaveButton, "", "Save|", &PocketEditor::save);
    button("PrintButton", 58, QStyle::SP_CustomBase, "P", "Print|", &PocketEditor::print);
    button("UndoButton", 89, QStyle::SP_ArrowBack, "", "Undo|", &PocketEditor::undo);
    button("CutButton", 114, QStyle::SP_CustomBase, "✂", "Cut|", &PocketEditor::cut);
    button("CopyButton", 139, QStyle::SP_FileDialogContentsView, "", "Copy|", &PocketEditor::copy);
    button("PasteButton", 164, QStyle::SP_FileDialogDetailedView, "", "Paste|", &PocketEditor::paste);
}

void PocketEditor::buildText()
{
    // The text control joins the window after the formatting bar and the
    // ruler that follow it: the tab order is the order of joining.
    auto *text = new TextEdit;
    formatBar_ = new FormatBar(text, speedBar_);
    ruler_ = new Ruler(text, client_);
    text->setParent(client_);
    text_ = text;
    text_->setObjectName(QStringLiteral("RichEdit1"));
    text_->setAcceptRichText(true);
    // The window's font in points, so that sizes read back as the size box shows them.
    text_->setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    text_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    text_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    text_->setProperty("helpContext", 400);
    text_->document()->setDocumentMargin(0);
    text_->document()->setIndentWidth(kListLevelPixels);
    text->setTextMargins(6);
    // The margin beside the text is part of the white text area, not of the window.
    QPalette white = text_->palette();
    white.setColor(QPalette::Window, white.color(QPalette::Base));
    text_->setPalette(white);
    text_->setAutoFillBackground(true);
    text_->installEventFilter(this);
}

void PocketEditor::layoutClient()
{
    const int width = client_->width() > 0 ? client_->width() : kClientWidth;
    const int height = client_->height() > 0 ? client_->height() : kClientHeight;
    speedBar_->setGeometry(0, 0, width, kSpeedBarHeight);
    speedBarEdge_->setGeometry(0, 0, width, 2);
    ruler_->setGeometry(0, kSpeedBarHeight, width, kRulerHeight);
    const int textTop = kSpeedBarHeight + kRulerHeight;
    text_->setGeometry(0, textTop, width, std::max(0, height - textTop - kStatusHeight));
    statusBar_->setGeometry(0, height - kStatusHeight, width, kStatusHeight);
    okButton_->setGeometry(7, 483 + (height - kClientHeight), 95, 35);
    captionButton_->setGeometry(447, 34, 330, 25);
    okButton_->raise();
    captionButton_->raise();
}

void PocketEditor::prepare()
{
    // Dialogs start where the user can write: the database's folder, else the
    // documents folder; later, the folder of the file last used.
    const QString databaseFolder = QString::fromStdString(store_.database.folder);
    dialogDirectory_ = store_.database.folder != "." && QFileInfo(databaseFolder).isWritable()
                           ? databaseFolder
                           : QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    followSelection();
}

void PocketEditor::followSelection()
{
    ruler_->sync();
    formatBar_->sync();
}

void PocketEditor::focusText()
{
    text_->setFocus();
}

void PocketEditor::fillReport()
{
    setFileName(QString::fromLatin1(kUntitled));
    std::string text = reportText(buildReport(store_));
    if (text.size() < kBackgroundFillBytes) {
        text_->setPlainText(fromCp1251(text));
        return;
    }
    // A full pocket makes hundreds of thousands of paragraphs, which take the
    // text control about a second: build them beside the window, which shows
    // at once and takes the text when it is ready.
    text_->setReadOnly(true);
    statusBar_->showMessage(QStringLiteral("Отчёт загружается…"));
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
    text_->setReadOnly(false);
    statusBar_->clearMessage();
}

void PocketEditor::adoptDocument(QTextDocument *document)
{
    document->setParent(text_);
    document->setIndentWidth(kListLevelPixels);
    text_->setDocument(document);  // deletes the old one, a child of the editor too
    // A fresh caret: the control would carry the old text's typing format over.
    text_->setTextCursor(QTextCursor(document));
    followSelection();
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
    currentFile_ = fileName;
    if (fileName != QLatin1String(kUntitled))
        dialogDirectory_ = QFileInfo(fileName).absolutePath();
    setWindowTitle(QStringLiteral("%1 - %2").arg(QFileInfo(fileName).fileName(), applicationTitle()));
}

bool PocketEditor::confirmSave()
{
    if (!text_->document()->isModified())
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
    static_cast<TextEdit *>(text_)->setTextMargins(6);
}

void PocketEditor::newFile()
{
    waitForReport();
    if (!confirmSave())
        return;
    setFileName(QString::fromLatin1(kUntitled));
    text_->clear();
    // A new text starts from the default format, as an opened one does.
    text_->setCurrentCharFormat(QTextCharFormat());
    text_->document()->setModified(false);
    followSelection();
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
    document->setDocumentMargin(text_->document()->documentMargin());
    document->setDefaultFont(text_->document()->defaultFont());
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
                statusBar_->showMessage(
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
    text_->setFocus();
    text_->document()->setModified(false);
    text_->setReadOnly(readOnly);
}

bool PocketEditor::saveTo(const QString &fileName)
{
    waitForReport();
    // The old file stays whole until the new one is complete.
    QSaveFile file(fileName);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly) || file.write(writeRtf(*text_->document())) < 0 || !file.commit()) {
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
    if (currentFile_ == QLatin1String(kUntitled)) {
        saveAs();
        return;
    }
    if (saveTo(currentFile_))
        text_->document()->setModified(false);
}

void PocketEditor::saveAs()
{
    const QString fileName =
        chooseFileToSave(this, dialogDirectory_, QString::fromLatin1(kFilter), QStringLiteral("rtf"));
    if (fileName.isEmpty() || !saveTo(fileName))
        return;
    setFileName(fileName);
    text_->document()->setModified(false);
}

void PocketEditor::print()
{
    waitForReport();
    QPrinter printer;
    // Printing to a file goes to the documents folder, not a hidden one.
    const QString name = QFileInfo(currentFile_).completeBaseName();
    printer.setOutputFileName(
        QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
            .filePath((name.isEmpty() ? QStringLiteral("report") : name) + QStringLiteral(".pdf")));
    if (!choosePrinter(this, printer))
        return;
    printer.setDocName(currentFile_);
    text_->document()->print(&printer);
}

void PocketEditor::leave()
{
    close();
}

void PocketEditor::undo()
{
    text_->undo();
}

void PocketEditor::cut()
{
    text_->cut();
}

void PocketEditor::copy()
{
    text_->copy();
}

void PocketEditor::paste()
{
    text_->paste();
}

void PocketEditor::selectFont()
{
    bool chosen = false;
    const QFont font = QFontDialog::getFont(&chosen, text_->currentFont(), this);
    if (!chosen)
        return;
    QTextCharFormat format;
    format.setFont(font, QTextCharFormat::FontPropertiesSpecifiedOnly);
    mergeFormat(*text_, format);
    text_->setFocus();
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
        statusBar_->showMessage(static_cast<QStatusTipEvent *>(event)->tip());
        return true;
    }
    if (event->type() == QEvent::WindowActivate)
        focusText();
    return QDialog::event(event);
}

bool PocketEditor::eventFilter(QObject *watched, QEvent *event)
{
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
    followSelection();
}

void PocketEditor::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    layoutClient();
}

}  // namespace kaldex::ui
