#include "ui/WindowTesting.h"
#include "ui/common/Dialogs.h"
#include "ui/common/Messages.h"
#include "ui/editor/PocketEditor.h"
#include "ui/help/HelpWindow.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QProgressDialog>
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
    EXPECT_EQ(editor.currentFile + "|" + editor.windowTitle(), "Untitled|" + title("Untitled"));
    // The report's text line for line is tests/data/editor/report.txt (PocketReport tests).
    EXPECT_EQ(editor.textEdit->document()->firstBlock().text(),
              QStringLiteral("$$                              KALDEX"));
    EXPECT_EQ(blockNumbers(editor.textEdit), QStringLiteral("5 2 5"));
    EXPECT_FALSE(editor.textEdit->document()->isModified() || editor.textEdit->isReadOnly());
    EXPECT_TRUE(editor.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(editor.palette().color(QPalette::Window), QColor(0xFF, 0xFF, 0x80));
    EXPECT_EQ(editor.captionButton->text(), QStringLiteral("KALDEX - ТЕКСТОВЫЙ РЕДАКТОР"));
    EXPECT_EQ(QList<QRect>({editor.openButton->geometry(), editor.pasteButton->geometry(), editor.textEdit->geometry(),
                            editor.okButton->geometry()}),
              QList<QRect>({{8, 5, 25, 25}, {164, 5, 25, 25}, {0, 58, 787, 460}, {7, 483, 95, 35}}));
    EXPECT_EQ(editor.openButton->toolTip() + "|" + editor.openButton->statusTip(), QStringLiteral("Open|"));

    auto empty = pocketOf({});
    PocketEditor nothing(*empty);
    EXPECT_EQ(nothing.textEdit->document()->blockCount() + nothing.textEdit->toPlainText().size(), 1);
    // "View " in the search window opens it on the pocket: tests/e2e/run-e2e.
}

TEST(EditorWindow, SaveAsNamesTheFileAndSaveThenWritesWithoutAsking)
{
    test::TempDir dir;
    auto store = pocketOf({1});
    PocketEditor editor(*store);
    DialogHook dialogs;
    dialogs.saveName = QString::fromStdString(dir.file("pocket.rtf"));

    editor.save();  // "Untitled" always asks for a name
    EXPECT_EQ(dialogs.shown, 1);
    EXPECT_EQ(editor.currentFile, dialogs.saveName);
    EXPECT_EQ(editor.windowTitle(), title("pocket.rtf"));
    EXPECT_TRUE(test::readBytes(dir.file("pocket.rtf")).rfind("{\\rtf", 0) == 0);

    editor.textEdit->append(QStringLiteral("дописано"));
    EXPECT_TRUE(editor.textEdit->document()->isModified());
    editor.save();
    EXPECT_EQ(dialogs.shown, 1);
    EXPECT_FALSE(editor.textEdit->document()->isModified());
    EXPECT_NE(test::readBytes(dir.file("pocket.rtf")).find("\\'e4\\'ee\\'ef\\'e8\\'f1\\'e0\\'ed\\'ee"),
              std::string::npos);  // "дописано" in Windows-1251

    // A name ending in .txt still gets the rich-text form; cancelling changes nothing.
    dialogs.saveName = QString::fromStdString(dir.file("pocket.txt"));
    editor.saveAs();
    EXPECT_TRUE(test::readBytes(dir.file("pocket.txt")).rfind("{\\rtf", 0) == 0);
    dialogs.saveName.clear();
    editor.saveAs();
    EXPECT_EQ(editor.windowTitle(), title("pocket.txt"));

    // A file that cannot be written: a message, and name and caption stay.
    MessageHook messages;
    dialogs.saveName = QString::fromStdString(dir.file("no/such/folder/x.rtf"));
    editor.saveAs();
    EXPECT_EQ(
        messages.shown(),
        QStringList(
            {QStringLiteral("Не удалось сохранить файл «%1»: файл или папка не найдены.").arg(dialogs.saveName)}));
    EXPECT_EQ(editor.windowTitle(), title("pocket.txt"));
}

TEST(EditorWindow, TheSavePromptsThreeAnswers)
{
    test::TempDir dir;
    auto store = pocketOf({1});
    DialogHook dialogs;
    dialogs.saveName = QString::fromStdString(dir.file("kept.rtf"));
    MessageHook messages;

    PocketEditor editor(*store);
    editor.show();
    editor.textEdit->insertPlainText(QStringLiteral("x"));

    for (Answer answer : {Answer::Cancel, Answer::Yes}) {  // Yes saves, and New does not go on
        messages.setNextAnswer(answer);
        editor.newFile();
        EXPECT_FALSE(editor.textEdit->toPlainText().isEmpty());
        EXPECT_EQ(messages.shown().last(), QStringLiteral("Save Changes?"));
    }
    EXPECT_TRUE(test::exists(dir.file("kept.rtf")) && !editor.textEdit->document()->isModified());
    editor.newFile();  // nothing to ask now
    EXPECT_TRUE(editor.textEdit->toPlainText().isEmpty());
    EXPECT_EQ(editor.currentFile, QStringLiteral("Untitled"));
    EXPECT_EQ(messages.shown().size(), 2);

    editor.textEdit->insertPlainText(QStringLiteral("y"));
    messages.setNextAnswer(Answer::No);
    dialogs.openName = QString::fromStdString(dir.file("kept.rtf"));
    editor.openFile();
    EXPECT_EQ(editor.currentFile, dialogs.openName);

    // Closing by OK, Esc or Exit: Cancel keeps the window, No closes it.
    editor.textEdit->insertPlainText(QStringLiteral("z"));
    for (Answer answer : {Answer::Cancel, Answer::Cancel, Answer::No})
        messages.setNextAnswer(answer);
    editor.okButton->click();
    QTest::keyClick(&editor, Qt::Key_Escape);
    EXPECT_TRUE(editor.isVisible());
    editor.exitEditor();
    EXPECT_FALSE(editor.isVisible());
}

TEST(EditorWindow, OpenReadsRichAndPlainTextAndKeepsReadOnly)
{
    test::TempDir dir;
    auto store = pocketOf({});
    PocketEditor editor(*store);
    DialogHook dialogs;

    test::writeBytes(dir.file("utf8.txt"), "Вязкость\r\nвторая строка");
    dialogs.openName = QString::fromStdString(dir.file("utf8.txt"));
    dialogs.openReadOnly = true;
    editor.openFile();
    EXPECT_EQ(editor.textEdit->toPlainText(), QStringLiteral("Вязкость\nвторая строка"));
    EXPECT_TRUE(editor.textEdit->isReadOnly() && editor.windowTitle() == title("utf8.txt"));
    editor.newFile();
    EXPECT_TRUE(editor.textEdit->isReadOnly());  // until the next Open

    test::writeBytes(dir.file("old.txt"), test::cp1251("Теплопроводность"));
    dialogs.openName = QString::fromStdString(dir.file("old.txt"));
    dialogs.openReadOnly = false;
    editor.openFile();
    EXPECT_EQ(editor.textEdit->toPlainText(), QStringLiteral("Теплопроводность"));
    // The opened file is where editing starts: undo does not bring back what was there before.
    EXPECT_FALSE(editor.textEdit->isReadOnly() || editor.textEdit->document()->isUndoAvailable());
    EXPECT_EQ(editor.textEdit->document()->documentMargin(), 0);
    editor.textEdit->textCursor().insertText(QStringLiteral("x"));
    EXPECT_TRUE(editor.textEdit->document()->isModified());
    editor.textEdit->undo();
    EXPECT_EQ(editor.textEdit->toPlainText(), QStringLiteral("Теплопроводность"));
    editor.textEdit->document()->setModified(false);

    MessageHook messages;
    dialogs.openName = QString::fromStdString(dir.file("missing.rtf"));
    editor.openFile();
    EXPECT_EQ(messages.shown().size(), 1);
    EXPECT_EQ(editor.windowTitle(), title("old.txt"));
}

TEST(EditorWindow, HintsAndHelp)
{
    auto store = pocketOf({});
    PocketEditor editor(*store);
    editor.newAction->showStatusText(editor.mainMenu);  // as a highlighted entry does
    EXPECT_EQ(editor.statusBar->currentMessage(), QStringLiteral("Create a new file"));

    // F1 on a highlighted entry gives its topic; in the text, the text's topic.
    editor.show();
    editor.fileMenu->popup(QPoint(0, 0));
    editor.fileMenu->setActiveAction(editor.openAction);
    QTest::keyClick(editor.fileMenu, Qt::Key_F1);
    auto *help = editor.findChild<HelpWindow *>();
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(help->shownKey(), QStringLiteral("102"));
    QTest::keyClick(editor.textEdit, Qt::Key_F1);
    EXPECT_EQ(help->shownKey(), QStringLiteral("400"));

    // The shipped file has a topic for every context (its format: fuzz/HelpFuzz.cpp).
    HelpFile file;
    std::string error;
    ASSERT_TRUE(file.parse(test::readBytes(std::string(KALDEX_SOURCE_DIR) + "/ui/help/RICHEDIT.HLP"), &error)) << error;
    for (const char *key : {"contents", "help-on-help", "100", "101", "102", "103", "104", "105", "106", "200", "201",
                            "202", "203", "204", "205", "300", "400"})
        EXPECT_TRUE(file.find(key) && !file.find(key)->text.empty()) << key;
}

TEST(EditorWindow, AFullPocketShowsAtOnceAndItsTextFollows)
{
    auto store = pocketOf({});
    store->pocketCount = DocumentStore::kMaxPocket;
    for (int entry = 1; entry <= store->pocketCount; ++entry)
        store->pocket[static_cast<size_t>(entry)] = 1 + entry % 9;
    PocketEditor editor(*store);
    EXPECT_TRUE(editor.filling() && editor.textEdit->isReadOnly());  // nothing typed meanwhile can be lost
    editor.show();
    editor.waitForReport();
    EXPECT_FALSE(editor.filling() || editor.textEdit->isReadOnly() || editor.textEdit->document()->isModified());
    QApplication::processEvents();  // the worker's late call finds nothing left to do
    // Every block, in pocket order: entry e holds slot 1 + e % 9, so the last one is 5.
    const QString numbers = blockNumbers(editor.textEdit);
    EXPECT_EQ(numbers.count(u' ') + 1, DocumentStore::kMaxPocket);
    EXPECT_TRUE(numbers.startsWith(QStringLiteral("2 3 4 5 6 7 8 9 1 2 ")));
    EXPECT_TRUE(numbers.endsWith(QStringLiteral(" 3 4 5")));
}

// Reading a named pipe would hold the whole program until something writes to it.
TEST(EditorWindow, OpenRefusesAnythingButAPlainFileAsContDoes)
{
    test::TempDir dir;
    auto store = pocketOf({});
    PocketEditor editor(*store);
    editor.textEdit->setPlainText(QStringLiteral("прежний текст"));
    editor.textEdit->document()->setModified(false);
    DialogHook dialogs;
    MessageHook messages;
    ASSERT_EQ(::mkfifo(dir.file("pipe").c_str(), 0644), 0);
    dialogs.openName = QString::fromStdString(dir.file("pipe"));
    ::alarm(20);  // a hang ends the test rather than the run
    editor.openFile();
    ::alarm(0);
    ASSERT_EQ(messages.shown().size(), 1);
    EXPECT_EQ(messages.shown()[0],
              QStringLiteral("«%1» не открыт: это именованный канал, а редактор открывает только обычные файлы.")
                  .arg(dialogs.openName));
    EXPECT_EQ(editor.textEdit->toPlainText(), QStringLiteral("прежний текст"));
}

TEST(EditorWindow, OpenRefusesAFileBeyondTheLimitAndCancelKeepsTheText)
{
    test::TempDir dir;
    auto store = pocketOf({});
    PocketEditor editor(*store);
    editor.textEdit->setPlainText(QStringLiteral("прежний текст"));
    editor.textEdit->document()->setModified(false);
    DialogHook dialogs;
    MessageHook messages;

    // A sparse file one byte beyond the limit: refused before it is read.
    dialogs.openName = QString::fromStdString(dir.file("huge.rtf"));
    ASSERT_TRUE(QFile(dialogs.openName).open(QIODevice::WriteOnly));
    ASSERT_TRUE(QFile::resize(dialogs.openName, PocketEditor::kMaxOpenBytes + 1));
    editor.openFile();
    ASSERT_EQ(messages.shown().size(), 1);
    EXPECT_TRUE(messages.shown()[0].contains(QStringLiteral("«%1»").arg(dialogs.openName)) &&
                messages.shown()[0].contains(QStringLiteral("256 МБ")));

    // A large RTF shows its progress; Cancel leaves the text and the file name.
    test::writeBytes(dir.file("large.rtf"), "{\\rtf1 " + std::string(3 << 20, 'x') + "\\par}");
    dialogs.openName = QString::fromStdString(dir.file("large.rtf"));
    QTimer::singleShot(0, &editor, [&] {
        if (auto *progress = editor.findChild<QProgressDialog *>(QStringLiteral("OpenProgress")))
            progress->cancel();
    });
    editor.openFile();
    EXPECT_EQ(messages.shown().size(), 1);
    EXPECT_EQ(editor.textEdit->toPlainText(), QStringLiteral("прежний текст"));
    EXPECT_EQ(editor.currentFile, QString::fromLatin1(PocketEditor::kUntitled));
    EXPECT_TRUE(editor.statusBar->currentMessage().contains(QStringLiteral("отменено")));
}
