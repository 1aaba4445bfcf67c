#include "TestFiles.h"
#include "WindowTesting.h"
#include "app/Dialogs.h"
#include "app/Messages.h"
#include "app/Toolkit.h"
#include "editor/HelpWindow.h"
#include "editor/PocketReport.h"
#include "editor/TMainForm.h"
#include "search/Tbase.h"
#include "store/DatabaseLoader.h"

#include <QAction>
#include <QLineEdit>
#include <QListWidget>
#include <QToolButton>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QStatusBar>
#include <QTextBlock>
#include <QTextEdit>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <memory>

using namespace kaldex;
using namespace kaldex::ui;

namespace {

std::unique_ptr<DocumentStore> pocketOf(std::initializer_list<int> entries)
{
    auto store = std::make_unique<DocumentStore>();
    loadDatabase(*store, test::readBytes(test::dataFile("search/query.ba0")));
    for (int slot : entries)
        store->pocket[static_cast<size_t>(++store->pocketCount)] = slot;
    return store;
}

QString title(const QString &file)
{
    return file + QStringLiteral(" - ") + TMainForm::applicationTitle();
}

QString run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(30000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

}  // namespace

TEST(EditorWindow, OpensWithTheReportOfThePocket)
{
    auto store = pocketOf({5, 2, 5});
    TMainForm editor(*store);
    EXPECT_EQ(editor.CurrentFile, QStringLiteral("Untitled"));
    EXPECT_EQ(editor.windowTitle(), title(QStringLiteral("Untitled")));
    EXPECT_EQ(editor.RichEdit1->toPlainText(), fromCp1251(reportText(buildReport(*store))));
    EXPECT_FALSE(editor.RichEdit1->document()->isModified());
    EXPECT_FALSE(editor.RichEdit1->isReadOnly());
    EXPECT_TRUE(editor.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(editor.palette().color(QPalette::Window), QColor(0xFF, 0xFF, 0x80));
    EXPECT_EQ(editor.Button3->text(), QStringLiteral("KALDEX - ТЕКСТОВЫЙ РЕДАКТОР"));
    EXPECT_EQ(editor.OpenButton->geometry(), QRect(8, 5, 25, 25));
    EXPECT_EQ(editor.PasteButton->geometry(), QRect(164, 5, 25, 25));
    EXPECT_EQ(editor.RichEdit1->geometry(), QRect(0, 58, 787, 460));
    EXPECT_EQ(editor.Button2->geometry(), QRect(7, 483, 95, 35));

    auto empty = pocketOf({});
    TMainForm nothing(*empty);
    EXPECT_EQ(nothing.RichEdit1->document()->blockCount(), 1);
    EXPECT_EQ(nothing.RichEdit1->toPlainText(), QString());
    EXPECT_EQ(nothing.windowTitle(), title(QStringLiteral("Untitled")));
}

TEST(EditorWindow, ViewInTheSearchWindowOpensIt)
{
    auto store = pocketOf({3});
    Tbase search(*store);
    QString firstLine;
    test::onNextModal([&firstLine](QWidget *modal) {
        auto *editor = qobject_cast<TMainForm *>(modal);
        ASSERT_NE(editor, nullptr);
        firstLine = editor->RichEdit1->document()->firstBlock().text();
    });
    search.Button2->click();
    EXPECT_EQ(firstLine, QStringLiteral("$$                              KALDEX"));
    EXPECT_EQ(store->pocketCount, 1);
}

TEST(EditorWindow, SaveAsNamesTheFileAndSaveThenWritesWithoutAsking)
{
    test::TempDir dir;
    auto store = pocketOf({1});
    TMainForm editor(*store);
    DialogHook dialogs;
    dialogs.saveName = QString::fromStdString(dir.file("pocket.rtf"));

    editor.FileSaveClick();  // "Untitled" always asks for a name
    EXPECT_EQ(dialogs.shown, 1);
    EXPECT_EQ(editor.CurrentFile, dialogs.saveName);
    EXPECT_EQ(editor.windowTitle(), title(QStringLiteral("pocket.rtf")));
    EXPECT_TRUE(test::readBytes(dir.file("pocket.rtf")).rfind("{\\rtf", 0) == 0);

    editor.RichEdit1->append(QStringLiteral("дописано"));
    EXPECT_TRUE(editor.RichEdit1->document()->isModified());
    editor.FileSaveClick();
    EXPECT_EQ(dialogs.shown, 1);
    EXPECT_FALSE(editor.RichEdit1->document()->isModified());
    EXPECT_NE(test::readBytes(dir.file("pocket.rtf")).find("\\'e4\\'ee\\'ef\\'e8\\'f1\\'e0\\'ed\\'ee"),
              std::string::npos);  // "дописано" in Windows-1251

    // A name ending in .txt still gets the rich-text form; cancelling changes nothing.
    dialogs.saveName = QString::fromStdString(dir.file("pocket.txt"));
    editor.FileSaveAsClick();
    EXPECT_TRUE(test::readBytes(dir.file("pocket.txt")).rfind("{\\rtf", 0) == 0);
    dialogs.saveName.clear();
    editor.FileSaveAsClick();
    EXPECT_EQ(editor.windowTitle(), title(QStringLiteral("pocket.txt")));

    // A file that cannot be written: a message, and name and caption stay.
    MessageHook messages;
    dialogs.saveName = QString::fromStdString(dir.file("no/such/folder/x.rtf"));
    editor.FileSaveAsClick();
    EXPECT_EQ(messages.shown().size(), 1);
    EXPECT_EQ(editor.windowTitle(), title(QStringLiteral("pocket.txt")));
}

TEST(EditorWindow, TheSavePromptsThreeAnswers)
{
    test::TempDir dir;
    auto store = pocketOf({1});
    DialogHook dialogs;
    dialogs.saveName = QString::fromStdString(dir.file("kept.rtf"));
    MessageHook messages;

    TMainForm editor(*store);
    editor.show();
    editor.RichEdit1->insertPlainText(QStringLiteral("x"));

    messages.setNextAnswer(Answer::Cancel);
    editor.FileNewClick();
    EXPECT_FALSE(editor.RichEdit1->toPlainText().isEmpty());
    EXPECT_EQ(messages.shown().last(), QStringLiteral("Save Changes?"));

    messages.setNextAnswer(Answer::Yes);  // saves, and New does not go on
    editor.FileNewClick();
    EXPECT_TRUE(test::exists(dir.file("kept.rtf")));
    EXPECT_FALSE(editor.RichEdit1->toPlainText().isEmpty());
    EXPECT_FALSE(editor.RichEdit1->document()->isModified());
    editor.FileNewClick();  // nothing to ask now
    EXPECT_TRUE(editor.RichEdit1->toPlainText().isEmpty());
    EXPECT_EQ(editor.CurrentFile, QStringLiteral("Untitled"));
    EXPECT_EQ(messages.shown().size(), 2);

    editor.RichEdit1->insertPlainText(QStringLiteral("y"));
    messages.setNextAnswer(Answer::No);
    dialogs.openName = QString::fromStdString(dir.file("kept.rtf"));
    editor.FileOpenClick();
    EXPECT_EQ(editor.CurrentFile, dialogs.openName);

    // Closing: Cancel keeps the window, No closes it.
    editor.RichEdit1->insertPlainText(QStringLiteral("z"));
    messages.setNextAnswer(Answer::Cancel);
    editor.Button2->click();
    EXPECT_TRUE(editor.isVisible());
    messages.setNextAnswer(Answer::Cancel);
    QTest::keyClick(&editor, Qt::Key_Escape);
    EXPECT_TRUE(editor.isVisible());
    messages.setNextAnswer(Answer::No);
    editor.FileExitClick();
    EXPECT_FALSE(editor.isVisible());
}

TEST(EditorWindow, OpenReadsRichAndPlainTextAndKeepsReadOnly)
{
    test::TempDir dir;
    auto store = pocketOf({});
    TMainForm editor(*store);
    DialogHook dialogs;

    test::writeBytes(dir.file("utf8.txt"), "Вязкость\r\nвторая строка");
    dialogs.openName = QString::fromStdString(dir.file("utf8.txt"));
    dialogs.openReadOnly = true;
    editor.FileOpenClick();
    EXPECT_EQ(editor.RichEdit1->toPlainText(), QStringLiteral("Вязкость\nвторая строка"));
    EXPECT_TRUE(editor.RichEdit1->isReadOnly());
    EXPECT_EQ(editor.windowTitle(), title(QStringLiteral("utf8.txt")));
    editor.FileNewClick();
    EXPECT_TRUE(editor.RichEdit1->isReadOnly());  // until the next Open

    test::writeBytes(dir.file("old.txt"), test::cp1251("Теплопроводность"));
    dialogs.openName = QString::fromStdString(dir.file("old.txt"));
    dialogs.openReadOnly = false;
    editor.FileOpenClick();
    EXPECT_EQ(editor.RichEdit1->toPlainText(), QStringLiteral("Теплопроводность"));
    EXPECT_FALSE(editor.RichEdit1->isReadOnly());
    // The opened file is where editing starts: undo does not bring back what was there before.
    EXPECT_FALSE(editor.RichEdit1->document()->isUndoAvailable());
    EXPECT_EQ(editor.RichEdit1->document()->documentMargin(), 0);
    editor.RichEdit1->textCursor().insertText(QStringLiteral("x"));
    EXPECT_TRUE(editor.RichEdit1->document()->isModified());
    editor.RichEdit1->undo();
    EXPECT_EQ(editor.RichEdit1->toPlainText(), QStringLiteral("Теплопроводность"));
    editor.RichEdit1->document()->setModified(false);

    MessageHook messages;
    dialogs.openName = QString::fromStdString(dir.file("missing.rtf"));
    editor.FileOpenClick();
    EXPECT_EQ(messages.shown().size(), 1);
    EXPECT_EQ(editor.windowTitle(), title(QStringLiteral("old.txt")));
}

TEST(EditorWindow, PrintsTheReportUnderItsFileName)
{
    test::TempDir dir;
    auto store = pocketOf({2});
    TMainForm editor(*store);
    DialogHook dialogs;
    dialogs.pdfFile = QString::fromStdString(dir.file("report.pdf"));
    editor.FilePrintClick();
    ASSERT_TRUE(test::exists(dir.file("report.pdf")));
    const QString text = run(QStringLiteral("pdftotext"), {dialogs.pdfFile, QStringLiteral("-")});
    if (text.isEmpty())
        GTEST_SKIP() << "pdftotext is missing";
    EXPECT_TRUE(text.contains(QStringLiteral("Номер документа= 2")));
    EXPECT_TRUE(text.contains(QStringLiteral("Обзор: метод двух колб")));
    EXPECT_TRUE(run(QStringLiteral("pdfinfo"), {dialogs.pdfFile}).contains(QStringLiteral("Untitled")));

    dialogs.pdfFile.clear();  // a cancelled dialog prints nothing
    editor.FilePrintClick();
    EXPECT_EQ(dialogs.shown, 2);
}

TEST(EditorWindow, HintsAndHelp)
{
    auto store = pocketOf({});
    TMainForm editor(*store);
    editor.FileNewItem->showStatusText(editor.MainMenu);  // as a highlighted entry does
    EXPECT_EQ(editor.StatusBar->currentMessage(), QStringLiteral("Create a new file"));
    EXPECT_EQ(editor.OpenButton->toolTip(), QStringLiteral("Open"));
    EXPECT_EQ(editor.OpenButton->statusTip(), QString());

    // F1 on a highlighted entry gives its topic; in the text, the text's topic.
    editor.show();
    editor.FileMenu->popup(QPoint(0, 0));
    editor.FileMenu->setActiveAction(editor.FileOpenItem);
    QTest::keyClick(editor.FileMenu, Qt::Key_F1);
    auto *help = editor.findChild<HelpWindow *>();
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(help->shownKey(), QStringLiteral("102"));
    QTest::keyClick(editor.RichEdit1, Qt::Key_F1);
    EXPECT_EQ(help->shownKey(), QStringLiteral("400"));
    editor.HelpHowToClick();
    EXPECT_EQ(help->shownKey(), QStringLiteral("help-on-help"));
    editor.HelpSearchClick();
    help->Search->setText(QStringLiteral("пустой"));
    EXPECT_GE(help->Topics->count(), 1);
    EXPECT_LT(help->Topics->count(), 5);
    editor.HelpContentsClick();
    EXPECT_EQ(help->shownKey(), QStringLiteral("contents"));
}

TEST(HelpFile, TheShippedFileHasATopicForEveryContext)
{
    HelpFile file;
    std::string error;
    ASSERT_TRUE(file.parse(test::readBytes(std::string(KALDEX_SOURCE_DIR) + "/editor/RICHEDIT.HLP"), &error))
        << error;
    for (const char *key : {"contents", "help-on-help", "100", "101", "102", "103", "104", "105", "106", "200",
                            "201", "202", "203", "204", "205", "300", "400"}) {
        const HelpTopic *topic = file.find(key);
        ASSERT_NE(topic, nullptr) << key;
        EXPECT_FALSE(topic->text.empty()) << key;
    }

    EXPECT_FALSE(file.parse("just text\n", &error));
    EXPECT_FALSE(file.parse("== 1 A\n== 1 again\n", &error));
    ASSERT_TRUE(file.parse("# note\r\n== 7 Title here\r\nline\r\n\r\n\r\n== 8\n", &error));
    EXPECT_EQ(file.find("7")->title, "Title here");
    EXPECT_EQ(file.find("7")->text, "line\n");
    EXPECT_EQ(file.find("8")->title, "8");
}

TEST(EditorWindow, AFullPocketShowsAtOnceAndItsTextFollows)
{
    auto store = pocketOf({});
    store->pocketCount = DocumentStore::kMaxPocket;
    for (int entry = 1; entry <= store->pocketCount; ++entry)
        store->pocket[static_cast<size_t>(entry)] = 1 + entry % 9;
    TMainForm editor(*store);
    EXPECT_TRUE(editor.filling());
    EXPECT_TRUE(editor.RichEdit1->isReadOnly());  // nothing typed meanwhile can be lost
    editor.show();
    editor.waitForReport();
    EXPECT_FALSE(editor.filling());
    EXPECT_FALSE(editor.RichEdit1->isReadOnly());
    EXPECT_FALSE(editor.RichEdit1->document()->isModified());
    EXPECT_EQ(editor.RichEdit1->toPlainText(), fromCp1251(reportText(buildReport(*store))));
    QApplication::processEvents();  // the worker's late call finds nothing left to do
    EXPECT_EQ(editor.RichEdit1->document()->blockCount(),
              fromCp1251(reportText(buildReport(*store))).count(QLatin1Char('\n')) + 1);
}
