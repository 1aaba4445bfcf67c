#include "TestFiles.h"
#include "WindowTesting.h"
#include "app/KaldexApplication.h"
#include "app/Messages.h"
#include "app/StartWindow.h"
#include "app/InfoWindow.h"
#include "app/ErrorBanner.h"
#include "search/SearchWindow.h"
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
    StartWindow start(store);
    EXPECT_EQ(start.windowTitle(), QStringLiteral("KALDEX"));
    EXPECT_EQ(start.size(), QSize(489, 360));
    EXPECT_EQ(start.palette().color(QPalette::Window), QColor(Qt::cyan));
    EXPECT_EQ(start.titleLabel->text(), QStringLiteral("ЛАНТЕР"));
    EXPECT_EQ(start.titleLabel->pos(), QPoint(145, 15));
    EXPECT_EQ(start.titleLabel->font().pixelSize(), 24);
    EXPECT_TRUE(start.titleLabel->font().bold());
    EXPECT_TRUE(start.subjectLabel->text().contains(QStringLiteral("KALDEX  по транспортным  свойствам")));
    EXPECT_TRUE(start.subjectLabel->text().contains(QStringLiteral("газов     и потенциалам")));
    EXPECT_EQ(start.subjectLabel->pos(), QPoint(71, 53));
    EXPECT_EQ(start.subjectLabel->width(), 352);
    EXPECT_GE(start.subjectLabel->height(), 57);
    EXPECT_LT(start.subjectLabel->geometry().bottom(), start.continueFrame->y());
    EXPECT_EQ(start.continueFrame->geometry(), QRect(347, 152, 113, 61));
    EXPECT_EQ(start.continueLabel->text(), QStringLiteral("Продолжать"));
    EXPECT_EQ(start.continueButton->text(), QStringLiteral("CONT"));
    EXPECT_EQ(start.continueButton->geometry(), QRect(365, 177, 70, 24));
    EXPECT_EQ(start.infoButton->geometry(), QRect(213, 177, 70, 24));
    EXPECT_EQ(start.quitButton->geometry(), QRect(48, 177, 70, 24));
    EXPECT_EQ(start.continueButton->font().family(), QStringLiteral("Times New Roman"));
    EXPECT_EQ(start.continueButton->nextInFocusChain(), start.infoButton);
    EXPECT_EQ(start.infoButton->nextInFocusChain(), start.quitButton);
}

TEST(StartWindow, ContWithoutADatabaseOpensAnEmptySearchWindow)
{
    InDirectory here;
    DocumentStore store;
    store.documentCount = 12;  // whatever an earlier load left
    StartWindow start(store);
    QString shownCount;
    onNextModal([&](QWidget *modal) {
        auto *search = qobject_cast<SearchWindow *>(modal);
        ASSERT_NE(search, nullptr);
        shownCount = search->documentCountField->text();
    });
    start.continueButton->click();
    EXPECT_EQ(shownCount, QStringLiteral("0"));
    EXPECT_FALSE(test::exists(here.dir.file("ba0")));  // leaving without "OK" writes nothing
}

TEST(StartWindow, ContLoadsTheFileAgainEachTime)
{
    InDirectory here;
    std::filesystem::copy_file(test::dataFile("store/expected.ba0"), here.dir.file("ba0"));
    DocumentStore store;
    StartWindow start(store);
    QString shownCount;
    onNextModal([&](QWidget *modal) { shownCount = qobject_cast<SearchWindow *>(modal)->documentCountField->text(); });
    start.continueButton->click();
    EXPECT_EQ(shownCount, QStringLiteral("3"));

    test::writeBytes(here.dir.file("ba0"), test::readBytes(test::dataFile("store/expected.ba0")).substr(0, 60));
    onNextModal([&](QWidget *modal) { shownCount = qobject_cast<SearchWindow *>(modal)->documentCountField->text(); });
    start.continueButton->click();
    EXPECT_EQ(shownCount, QStringLiteral("0"));
}

TEST(StartWindow, InfoAndBannerWindows)
{
    DocumentStore store;
    StartWindow start(store);
    QString caption, contact;
    onNextModal([&](QWidget *modal) {
        auto *info = qobject_cast<InfoWindow *>(modal);
        ASSERT_NE(info, nullptr);
        caption = info->windowTitle();
        contact = info->contactLabel->text();
        EXPECT_EQ(info->size(), QSize(546, 267));
        EXPECT_EQ(info->pages->tabText(0), QStringLiteral("Информация"));
        EXPECT_EQ(info->okButton->geometry(), QRect(176, 176, 105, 39));
    });
    start.infoButton->click();
    EXPECT_EQ(caption, QStringLiteral("Информация "));
    EXPECT_FALSE(contact.isEmpty());

    ErrorBanner banner;
    EXPECT_TRUE(banner.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(banner.size(), QSize(502, 64));
    EXPECT_EQ(banner.messageLabel->text(), QStringLiteral("Ошибки в задании"));
    EXPECT_EQ(banner.messageLabel->palette().color(QPalette::WindowText), QColor(Qt::red));
    EXPECT_EQ(banner.exitButton->text(), QStringLiteral("Выход"));
    EXPECT_EQ(banner.exitButton->geometry(), QRect(413, 18, 75, 25));
    banner.show();
    banner.exitButton->click();
    EXPECT_FALSE(banner.isVisible());
}

TEST(StartWindow, OkClosesIt)
{
    DocumentStore store;
    StartWindow start(store);
    start.show();
    start.quitButton->click();
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
