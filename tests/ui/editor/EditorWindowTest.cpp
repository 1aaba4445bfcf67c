#include "ui/common/Messages.h"
#include "ui/editor/EditorTesting.h"
#include "ui/help/HelpWindow.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QProgressDialog>
#include <QStandardPaths>
#include <QStatusBar>

#include <sys/stat.h>
#include <unistd.h>

using namespace kaldex;
using namespace kaldex::ui;

namespace {

std::unique_ptr<DocumentStore> pocketOf(std::initializer_list<int> entries)
{
    auto store = test::queryStore();
    for (int slot : entries)
        store->pocket[static_cast<size_t>(++store->pocketCount)] = slot;
    return store;
}

// The caption: the file part of the name, " - " and the program file's name without its extension.
QString title(const char *file)
{
    return QString::fromUtf8(file) + QStringLiteral(" - kaldex_ui_tests");
}

// The slots of the report's blocks, from their "Номер документа= N" lines, in order.
QString blockNumbers(const QTextEdit *text)
{
    QStringList numbers;
    for (QTextBlock block = text->document()->begin(); block.isValid(); block = block.next())
        if (block.text().startsWith(QStringLiteral("    Номер документа= ")))
            numbers << block.text().mid(21);
    return numbers.join(u' ');
}

}  // namespace

TEST(EditorWindow, OpensWithTheReportOfThePocket)
{
    auto store = pocketOf({5, 2, 5});
    PocketEditor editor(*store);
    auto *text = editor.findChild<QTextEdit *>(QStringLiteral("RichEdit1"));
    EXPECT_EQ(editor.currentFile(), QStringLiteral("Untitled"));
    EXPECT_EQ(editor.windowTitle(), title("Untitled"));
    // The report's text line for line is tests/data/editor/report.txt (PocketReport tests).
    EXPECT_EQ(text->document()->firstBlock().text(), QStringLiteral("$$                              KALDEX"));
    EXPECT_EQ(blockNumbers(text), QStringLiteral("5 2 5"));
    EXPECT_FALSE(text->document()->isModified());
    EXPECT_FALSE(text->isReadOnly());
    // "View " in the search window opens it on the pocket: tests/e2e/pocket.sh.
}

TEST(EditorWindow, EveryControlStandsWhereTheLayoutPutsIt)
{
    // Left, top, width and height in the client area (under the menu bar) or on the speed bar.
    const std::tuple<const char *, const char *, QRect> layout[] = {
        {"OpenButton", "SpeedBar", {8, 5, 25, 25}},
        {"SaveButton", "SpeedBar", {33, 5, 25, 25}},
        {"PrintButton", "SpeedBar", {58, 5, 25, 25}},
        {"UndoButton", "SpeedBar", {89, 5, 25, 25}},
        {"CutButton", "SpeedBar", {114, 5, 25, 25}},
        {"CopyButton", "SpeedBar", {139, 5, 25, 25}},
        {"PasteButton", "SpeedBar", {164, 5, 25, 25}},
        {"FontName", "SpeedBar", {194, 6, 131, 21}},
        {"FontSize", "SpeedBar", {328, 6, 31, 21}},
        {"UpDown1", "SpeedBar", {359, 6, 12, 21}},
        {"BoldButton", "SpeedBar", {380, 5, 25, 25}},
        {"ItalicButton", "SpeedBar", {406, 5, 25, 25}},
        {"UnderlineButton", "SpeedBar", {432, 5, 25, 25}},
        {"LeftAlign", "SpeedBar", {464, 5, 25, 25}},
        {"CenterAlign", "SpeedBar", {490, 5, 25, 25}},
        {"RightAlign", "SpeedBar", {516, 5, 25, 25}},
        {"BulletsButton", "SpeedBar", {547, 5, 25, 25}},
        {"RichEdit1", nullptr, {0, 58, 787, 460}},
        {"Button2", nullptr, {7, 483, 95, 35}},
        {"Button3", nullptr, {447, 34, 330, 25}},
    };
    test::ShownEditor e;
    QWidget *client = e.find("SpeedBar")->parentWidget();
    for (const auto &[name, in, rect] : layout) {
        QWidget *widget = e.find(name);
        const QPoint at = widget->mapTo(in ? e.find(in) : client, QPoint());
        EXPECT_EQ(at.x(), rect.x()) << name << " left";
        EXPECT_EQ(at.y(), rect.y()) << name << " top";
        EXPECT_EQ(widget->width(), rect.width()) << name << " width";
        EXPECT_EQ(widget->height(), rect.height()) << name << " height";
    }
    EXPECT_EQ(test::tabOrder(&e.editor, e.find("Button2"), 5),
              QStringLiteral("Button2 FontName FontSize UpDown1 RichEdit1"));
}

TEST(EditorWindow, SaveAsNamesTheFileAndSaveThenWritesWithoutAsking)
{
    test::TempDir dir;
    test::ShownEditor e;
    DialogHook dialogs;
    dialogs.saveName = QString::fromStdString(dir.file("pocket.rtf"));

    e.editor.save();  // "Untitled" always asks for a name
    EXPECT_EQ(dialogs.shown, 1);
    EXPECT_EQ(e.editor.currentFile(), dialogs.saveName);
    EXPECT_EQ(e.editor.windowTitle(), title("pocket.rtf"));
    EXPECT_TRUE(test::readBytes(dir.file("pocket.rtf")).rfind("{\\rtf", 0) == 0);

    e.text->append(QStringLiteral("дописано"));
    EXPECT_TRUE(e.text->document()->isModified());
    e.editor.save();
    EXPECT_EQ(dialogs.shown, 1);
    EXPECT_FALSE(e.text->document()->isModified());
    EXPECT_NE(test::readBytes(dir.file("pocket.rtf")).find("\\'e4\\'ee\\'ef\\'e8\\'f1\\'e0\\'ed\\'ee"),
              std::string::npos);  // "дописано" in Windows-1251

    // A name ending in .txt still gets the rich-text form; cancelling changes nothing.
    dialogs.saveName = QString::fromStdString(dir.file("pocket.txt"));
    e.editor.saveAs();
    EXPECT_TRUE(test::readBytes(dir.file("pocket.txt")).rfind("{\\rtf", 0) == 0);
    dialogs.saveName.clear();
    e.editor.saveAs();
    EXPECT_EQ(e.editor.windowTitle(), title("pocket.txt"));

    // A file that cannot be written: a message, and name and caption stay.
    MessageHook messages;
    dialogs.saveName = QString::fromStdString(dir.file("no/such/folder/x.rtf"));
    e.editor.saveAs();
    EXPECT_EQ(
        messages.shown(),
        QStringList(
            {QStringLiteral("Не удалось сохранить файл «%1»: файл или папка не найдены.").arg(dialogs.saveName)}));
    EXPECT_EQ(e.editor.windowTitle(), title("pocket.txt"));
}

TEST(EditorWindow, TheSavePromptsThreeAnswers)
{
    test::TempDir dir;
    test::ShownEditor e;
    DialogHook dialogs;
    dialogs.saveName = QString::fromStdString(dir.file("kept.rtf"));
    MessageHook messages;
    e.text->insertPlainText(QStringLiteral("x"));

    for (Answer answer : {Answer::Cancel, Answer::Yes}) {  // Yes saves, and New does not go on
        messages.setNextAnswer(answer);
        e.editor.newFile();
        EXPECT_FALSE(e.text->toPlainText().isEmpty());
        EXPECT_EQ(messages.shown().last(), QStringLiteral("Save Changes?"));
    }
    EXPECT_TRUE(test::exists(dir.file("kept.rtf")));
    EXPECT_FALSE(e.text->document()->isModified());
    e.editor.newFile();  // nothing to ask now
    EXPECT_TRUE(e.text->toPlainText().isEmpty());
    EXPECT_EQ(e.editor.currentFile(), QStringLiteral("Untitled"));
    EXPECT_EQ(messages.shown().size(), 2);

    e.text->insertPlainText(QStringLiteral("y"));
    messages.setNextAnswer(Answer::No);
    dialogs.openName = QString::fromStdString(dir.file("kept.rtf"));
    e.editor.openFile();
    EXPECT_EQ(e.editor.currentFile(), dialogs.openName);

    // Closing by OK, Esc or Exit: Cancel keeps the window, No closes it.
    e.text->insertPlainText(QStringLiteral("z"));
    for (Answer answer : {Answer::Cancel, Answer::Cancel, Answer::No})
        messages.setNextAnswer(answer);
    e.find<QPushButton>("Button2")->click();
    QTest::keyClick(&e.editor, Qt::Key_Escape);
    EXPECT_TRUE(e.editor.isVisible());
    e.find<QAction>("FileExitItem")->trigger();
    EXPECT_FALSE(e.editor.isVisible());
}

TEST(EditorWindow, OpenReadsRichAndPlainTextAndKeepsReadOnly)
{
    test::TempDir dir;
    test::ShownEditor e;
    DialogHook dialogs;
    test::writeBytes(dir.file("utf8.txt"), "Вязкость\r\nвторая строка");
    dialogs.openName = QString::fromStdString(dir.file("utf8.txt"));
    dialogs.openReadOnly = true;
    e.editor.openFile();
    EXPECT_EQ(e.text->toPlainText(), QStringLiteral("Вязкость\nвторая строка"));
    EXPECT_EQ(e.editor.windowTitle(), title("utf8.txt"));
    EXPECT_TRUE(e.text->isReadOnly());
    e.editor.newFile();
    EXPECT_TRUE(e.text->isReadOnly()) << "until the next Open";

    test::writeBytes(dir.file("old.txt"), test::cp1251("Теплопроводность"));
    dialogs.openName = QString::fromStdString(dir.file("old.txt"));
    dialogs.openReadOnly = false;
    e.editor.openFile();
    EXPECT_EQ(e.text->toPlainText(), QStringLiteral("Теплопроводность"));
    EXPECT_FALSE(e.text->isReadOnly());
    // The opened file is where editing starts: undo does not bring back what was there before.
    EXPECT_FALSE(e.text->document()->isUndoAvailable());
    EXPECT_EQ(e.text->document()->documentMargin(), 0);
    e.text->textCursor().insertText(QStringLiteral("x"));
    EXPECT_TRUE(e.text->document()->isModified());
    e.text->undo();
    EXPECT_EQ(e.text->toPlainText(), QStringLiteral("Теплопроводность"));
    e.text->document()->setModified(false);

    MessageHook messages;
    dialogs.openName = QString::fromStdString(dir.file("missing.rtf"));
    e.editor.openFile();
    EXPECT_EQ(messages.shown().size(), 1);
    EXPECT_EQ(e.editor.windowTitle(), title("old.txt"));
}

TEST(EditorWindow, HintsAndHelp)
{
    test::ShownEditor e;
    e.find<QAction>("FileNewItem")->showStatusText(e.find("MainMenu"));  // as a highlighted entry does
    EXPECT_EQ(e.find<QStatusBar>("StatusBar")->currentMessage(), QStringLiteral("Create a new file"));

    // F1 on a highlighted entry gives its topic; in the text, the text's topic.
    auto *fileMenu = e.find<QMenu>("FileMenu");
    fileMenu->popup(QPoint(0, 0));
    fileMenu->setActiveAction(e.find<QAction>("FileOpenItem"));
    QTest::keyClick(fileMenu, Qt::Key_F1);
    auto *help = e.editor.findChild<HelpWindow *>();
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(help->shownKey(), QStringLiteral("102"));
    QTest::keyClick(e.text, Qt::Key_F1);
    EXPECT_EQ(help->shownKey(), QStringLiteral("400"));

    // The shipped file has a topic for every context (its format: fuzz/HelpFuzz.cpp).
    HelpFile file;
    std::string error;
    ASSERT_TRUE(file.parse(test::readBytes(std::string(KALDEX_SOURCE_DIR) + "/ui/help/RICHEDIT.HLP"), &error)) << error;
    for (const char *key : {"contents", "help-on-help", "100", "101", "102", "103", "104", "105", "106", "200", "201",
                            "202", "203", "204", "205", "300", "400"}) {
        ASSERT_NE(file.find(key), nullptr) << key;
        EXPECT_FALSE(file.find(key)->text.empty()) << key;
    }
}

TEST(EditorWindow, AFullPocketShowsAtOnceAndItsTextFollows)
{
    auto store = pocketOf({});
    store->pocketCount = DocumentStore::kMaxPocket;
    for (int entry = 1; entry <= store->pocketCount; ++entry)
        store->pocket[static_cast<size_t>(entry)] = 1 + entry % 9;
    PocketEditor editor(*store);
    auto *text = editor.findChild<QTextEdit *>(QStringLiteral("RichEdit1"));
    EXPECT_TRUE(editor.filling());
    EXPECT_TRUE(text->isReadOnly()) << "nothing typed meanwhile can be lost";
    editor.show();
    editor.waitForReport();
    EXPECT_FALSE(editor.filling());
    EXPECT_FALSE(text->isReadOnly());
    EXPECT_FALSE(text->document()->isModified());
    QApplication::processEvents();  // the worker's late call finds nothing left to do
    // Every block, in pocket order: entry e holds slot 1 + e % 9, so the last one is 5.
    const QString numbers = blockNumbers(text);
    EXPECT_EQ(numbers.count(u' ') + 1, DocumentStore::kMaxPocket);
    EXPECT_TRUE(numbers.startsWith(QStringLiteral("2 3 4 5 6 7 8 9 1 2 ")));
    EXPECT_TRUE(numbers.endsWith(QStringLiteral(" 3 4 5")));
}

// Reading a named pipe would hold the whole program until something writes to it.
TEST(EditorWindow, OpenRefusesAnythingButAPlainFileAsContDoes)
{
    test::TempDir dir;
    test::ShownEditor e;
    e.text->setPlainText(QStringLiteral("прежний текст"));
    e.text->document()->setModified(false);
    DialogHook dialogs;
    MessageHook messages;
    ASSERT_EQ(::mkfifo(dir.file("pipe").c_str(), 0644), 0);
    dialogs.openName = QString::fromStdString(dir.file("pipe"));
    ::alarm(20);  // a hang ends the test rather than the run
    e.editor.openFile();
    ::alarm(0);
    ASSERT_EQ(messages.shown().size(), 1);
    EXPECT_EQ(messages.shown()[0],
              QStringLiteral("«%1» не открыт: это именованный канал, а редактор открывает только обычные файлы.")
                  .arg(dialogs.openName));
    EXPECT_EQ(e.text->toPlainText(), QStringLiteral("прежний текст"));
}

TEST(EditorWindow, OpenRefusesAFileBeyondTheLimitAndCancelKeepsTheText)
{
    test::TempDir dir;
    test::ShownEditor e;
    e.text->setPlainText(QStringLiteral("прежний текст"));
    DialogHook dialogs;
    MessageHook messages;

    // A sparse file one byte beyond the limit: refused before it is read.
    dialogs.openName = QString::fromStdString(dir.file("huge.rtf"));
    ASSERT_TRUE(QFile(dialogs.openName).open(QIODevice::WriteOnly));
    ASSERT_TRUE(QFile::resize(dialogs.openName, PocketEditor::kMaxOpenBytes + 1));
    e.editor.openFile();
    EXPECT_EQ(messages.shown(),
              QStringList({QStringLiteral("Файл «%1» не открыт: он больше 256 МБ, а редактор открывает файлы не больше "
                                          "256 МБ.")
                               .arg(dialogs.openName)}));

    // A large RTF shows its progress; Cancel leaves the text and the file name.
    test::writeBytes(dir.file("large.rtf"), "{\\rtf1 " + std::string(3 << 20, 'x') + "\\par}");
    dialogs.openName = QString::fromStdString(dir.file("large.rtf"));
    QTimer::singleShot(0, &e.editor, [&] {
        if (auto *progress = e.editor.findChild<QProgressDialog *>(QStringLiteral("OpenProgress")))
            progress->cancel();
    });
    e.editor.openFile();
    EXPECT_EQ(messages.shown().size(), 1);
    EXPECT_EQ(e.text->toPlainText(), QStringLiteral("прежний текст"));
    EXPECT_EQ(e.editor.currentFile(), QStringLiteral("Untitled"));
    EXPECT_TRUE(e.find<QStatusBar>("StatusBar")->currentMessage().contains(QStringLiteral("отменено")));
}

// The keys people expect, shown in the menu; dialogs start where the user can write.
TEST(EditorWindow, FileKeysAndWhereTheDialogsStart)
{
    test::TempDir dir;
    test::ShownEditor e;
    EXPECT_EQ(e.find<QAction>("FileNewItem")->shortcut(), QKeySequence(QStringLiteral("Ctrl+N")));
    EXPECT_EQ(e.find<QAction>("FileOpenItem")->shortcut(), QKeySequence(QStringLiteral("Ctrl+O")));
    EXPECT_EQ(e.find<QAction>("FileSaveItem")->shortcut(), QKeySequence(QStringLiteral("Ctrl+S")));
    EXPECT_EQ(e.find<QAction>("FilePrintItem")->shortcut(), QKeySequence(QStringLiteral("Ctrl+P")));
    EXPECT_EQ(e.find<QAction>("FileExitItem")->text(), QStringLiteral("E&xit")) << "no key shown that does nothing";

    DialogHook dialogs;
    e.find<QAction>("FileSaveAsItem")->trigger();
    EXPECT_EQ(dialogs.lastDirectory, QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
        << "no database folder known: the documents folder";
    dialogs.saveName = QString::fromStdString(dir.file("kept.rtf"));
    e.find<QAction>("FileSaveAsItem")->trigger();
    e.find<QAction>("FileOpenItem")->trigger();
    EXPECT_EQ(dialogs.lastDirectory, QString::fromStdString(dir.path())) << "the folder of the file last used";
}
