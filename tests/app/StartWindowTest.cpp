#include "TestFiles.h"
#include "WindowTesting.h"
#include "app/KaldexApplication.h"
#include "app/Messages.h"
#include "app/TForm1.h"
#include "app/TForm6.h"
#include "app/TForm8.h"
#include "search/Tbase.h"
#include "store/DocumentStore.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <stdexcept>

using namespace kaldex;
using namespace kaldex::ui;
using test::InDirectory;
using test::onNextModal;

TEST(StartWindow, CarriesTheLayoutsTextsAndPlaces)
{
    DocumentStore store;
    TForm1 start(store);
    EXPECT_EQ(start.windowTitle(), QStringLiteral("KALDEX"));
    EXPECT_EQ(start.size(), QSize(489, 360));
    EXPECT_EQ(start.palette().color(QPalette::Window), QColor(Qt::cyan));
    EXPECT_EQ(start.Label2->text(), QStringLiteral("ЛАНТЕР"));
    EXPECT_EQ(start.Label2->pos(), QPoint(145, 15));
    EXPECT_EQ(start.Label2->font().pixelSize(), 24);
    EXPECT_TRUE(start.Label2->font().bold());
    EXPECT_TRUE(start.Label3->text().contains(QStringLiteral("KALDEX  по транспортным  свойствам")));
    EXPECT_TRUE(start.Label3->text().contains(QStringLiteral("газов     и потенциалам")));
    EXPECT_EQ(start.Label3->pos(), QPoint(71, 53));
    EXPECT_EQ(start.Label3->width(), 352);
    EXPECT_GE(start.Label3->height(), 57);
    EXPECT_LT(start.Label3->geometry().bottom(), start.Bevel1->y());
    EXPECT_EQ(start.Bevel1->geometry(), QRect(347, 152, 113, 61));
    EXPECT_EQ(start.Label1->text(), QStringLiteral("Продолжать"));
    EXPECT_EQ(start.Button1->text(), QStringLiteral("CONT"));
    EXPECT_EQ(start.Button1->geometry(), QRect(365, 177, 70, 24));
    EXPECT_EQ(start.Button2->geometry(), QRect(213, 177, 70, 24));
    EXPECT_EQ(start.Button4->geometry(), QRect(48, 177, 70, 24));
    EXPECT_EQ(start.Button1->font().family(), QStringLiteral("Times New Roman"));
    EXPECT_EQ(start.Button1->nextInFocusChain(), start.Button2);
    EXPECT_EQ(start.Button2->nextInFocusChain(), start.Button4);
}

TEST(StartWindow, ContWithoutADatabaseOpensAnEmptySearchWindow)
{
    InDirectory here;
    DocumentStore store;
    store.documentCount = 12;  // whatever an earlier load left
    TForm1 start(store);
    QString shownCount;
    onNextModal([&](QWidget *modal) {
        auto *search = qobject_cast<Tbase *>(modal);
        ASSERT_NE(search, nullptr);
        shownCount = search->Edit7->text();
    });
    start.Button1->click();
    EXPECT_EQ(shownCount, QStringLiteral("0"));
    EXPECT_FALSE(test::exists(here.dir.file("ba0")));  // leaving without "OK" writes nothing
}

TEST(StartWindow, ContLoadsTheFileAgainEachTime)
{
    InDirectory here;
    std::filesystem::copy_file(test::dataFile("store/expected.ba0"), here.dir.file("ba0"));
    DocumentStore store;
    TForm1 start(store);
    QString shownCount;
    onNextModal([&](QWidget *modal) { shownCount = qobject_cast<Tbase *>(modal)->Edit7->text(); });
    start.Button1->click();
    EXPECT_EQ(shownCount, QStringLiteral("3"));

    test::writeBytes(here.dir.file("ba0"), test::readBytes(test::dataFile("store/expected.ba0")).substr(0, 60));
    onNextModal([&](QWidget *modal) { shownCount = qobject_cast<Tbase *>(modal)->Edit7->text(); });
    start.Button1->click();
    EXPECT_EQ(shownCount, QStringLiteral("0"));
}

TEST(StartWindow, InfoAndBannerWindows)
{
    DocumentStore store;
    TForm1 start(store);
    QString caption, contact;
    onNextModal([&](QWidget *modal) {
        auto *info = qobject_cast<TForm6 *>(modal);
        ASSERT_NE(info, nullptr);
        caption = info->windowTitle();
        contact = info->Label1->text();
        EXPECT_EQ(info->size(), QSize(546, 267));
        EXPECT_EQ(info->PageControl1->tabText(0), QStringLiteral("Информация"));
        EXPECT_EQ(info->Button1->geometry(), QRect(176, 176, 105, 39));
    });
    start.Button2->click();
    EXPECT_EQ(caption, QStringLiteral("Информация "));
    EXPECT_FALSE(contact.isEmpty());

    TForm8 banner;
    EXPECT_TRUE(banner.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(banner.size(), QSize(502, 64));
    EXPECT_EQ(banner.Label1->text(), QStringLiteral("Ошибки в задании"));
    EXPECT_EQ(banner.Label1->palette().color(QPalette::WindowText), QColor(Qt::red));
    EXPECT_EQ(banner.Button1->text(), QStringLiteral("Выход"));
    EXPECT_EQ(banner.Button1->geometry(), QRect(413, 18, 75, 25));
    banner.show();
    banner.Button1->click();
    EXPECT_FALSE(banner.isVisible());
}

TEST(StartWindow, OkClosesIt)
{
    DocumentStore store;
    TForm1 start(store);
    start.show();
    start.Button4->click();
    EXPECT_FALSE(start.isVisible());
}

namespace {

class Throwing : public QObject {
public:
    bool event(QEvent *) override { throw std::runtime_error("Сбой в обработчике"); }
};

}  // namespace

TEST(Application, AFailureInAHandlerIsShownAndTheProgramGoesOn)
{
    MessageHook hook;
    Throwing object;
    QEvent event(QEvent::User);
    EXPECT_FALSE(QApplication::sendEvent(&object, &event));
    ASSERT_EQ(hook.shown().size(), 1);
    EXPECT_EQ(hook.shown()[0], QStringLiteral("Сбой в обработчике"));
}
