#include "ui/start/StartWindow.h"
#include "ui/WindowTesting.h"
#include "ui/common/ErrorBanner.h"
#include "ui/common/Messages.h"
#include "ui/start/InfoWindow.h"

#include <QFrame>
#include <QTabWidget>

#include <stdexcept>

using namespace kaldex;
using namespace kaldex::ui;
using test::onNextModal;

TEST(StartWindow, CarriesTheLayoutsTextsAndPlaces)
{
    DocumentStore store;
    StartWindow start(store);
    EXPECT_EQ(start.windowTitle(), QStringLiteral("KALDEX"));
    EXPECT_EQ(start.size(), QSize(489, 360));
    EXPECT_EQ(start.palette().color(QPalette::Window), QColor(Qt::cyan));
    EXPECT_EQ(start.titleLabel->text(), QStringLiteral("ЛАНТЕР"));
    EXPECT_TRUE(start.titleLabel->font().pixelSize() == 24 && start.titleLabel->font().bold());
    EXPECT_TRUE(start.subjectLabel->text().contains(QStringLiteral("KALDEX  по транспортным  свойствам")) &&
                start.subjectLabel->text().contains(QStringLiteral("газов     и потенциалам")));
    EXPECT_LT(start.subjectLabel->geometry().bottom(), start.continueFrame->y());  // the wrapped text clears the frame
    EXPECT_EQ(start.continueLabel->text() + "/" + start.continueButton->text(), QStringLiteral("Продолжать/CONT"));
    const std::pair<QWidget *, QRect> places[] = {
        {start.titleLabel, {145, 15, 0, 0}},        {start.subjectLabel, {71, 53, 352, 0}},
        {start.continueFrame, {347, 152, 113, 61}}, {start.continueButton, {365, 177, 70, 24}},
        {start.infoButton, {213, 177, 70, 24}},     {start.quitButton, {48, 177, 70, 24}}};
    for (const auto &[widget, rect] : places)  // a zero height or size: only what is given is checked
        EXPECT_EQ(QRect(widget->pos(), QSize(rect.width() ? widget->width() : 0, rect.height() ? widget->height() : 0)),
                  rect)
            << widget->objectName().toStdString();
    EXPECT_EQ(start.continueButton->font().family(), QStringLiteral("Times New Roman"));
    EXPECT_TRUE(start.continueButton->nextInFocusChain() == start.infoButton &&
                start.infoButton->nextInFocusChain() == start.quitButton);
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
    EXPECT_TRUE(banner.exitButton->text() == QStringLiteral("Выход") &&
                banner.exitButton->geometry() == QRect(413, 18, 75, 25));
    banner.show();
    banner.exitButton->click();
    EXPECT_FALSE(banner.isVisible());

    // "OK" closes the start window.
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
