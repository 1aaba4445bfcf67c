#include "ui/start/StartWindow.h"
#include "ui/WindowTesting.h"
#include "ui/common/ErrorBanner.h"
#include "ui/common/Messages.h"
#include "ui/start/InfoWindow.h"

#include <QTabWidget>

#include <stdexcept>

using namespace kaldex;
using namespace kaldex::ui;
using test::onNextModal;

using StartWindowTest = test::WindowTest<StartWindow>;
using InfoWindowTest = test::WindowTest<InfoWindow>;
using ErrorBannerTest = test::WindowTest<ErrorBanner>;

TEST_F(StartWindowTest, CarriesTheLayoutsTextsAndPlaces)
{
    StartWindow &start = open();
    EXPECT_EQ(start.windowTitle(), QStringLiteral("KALDEX"));
    EXPECT_EQ(start.size(), QSize(489, 360));
    EXPECT_EQ(start.palette().color(QPalette::Window), QColor(Qt::cyan));
    // Label3 grows downwards where a substitute font wraps its text differently.
    test::expectLayout(&start, {
                                   {"Label2", "ЛАНТЕР", {145, 15, 0, 0}},
                                   {"Label3",
                                    "Библиографическая БД KALDEX  по транспортным  свойствам смесей разреженных "
                                    "нейтральных газов     и потенциалам взаимодействия их компонентов",
                                    {71, 53, 352, 0}},
                                   {"Bevel1", nullptr, {347, 152, 113, 61}},
                                   {"Label1", "Продолжать", {357, 154, 0, 0}},
                                   {"Button1", "CONT", {365, 177, 70, 24}},
                                   {"Button2", "Info", {213, 177, 70, 24}},
                                   {"Button4", "OK", {48, 177, 70, 24}},
                               });
    const QFont title = child<QLabel>("Label2")->font();
    EXPECT_EQ(title.pixelSize(), 24);
    EXPECT_TRUE(title.bold());
    EXPECT_EQ(child<QPushButton>("Button1")->font().family(), QStringLiteral("Times New Roman"));
    EXPECT_LT(child<QLabel>("Label3")->geometry().bottom(), child<QWidget>("Bevel1")->y())
        << "the wrapped text must clear the frame";
    EXPECT_EQ(test::tabOrder(&start, child<QPushButton>("Button1"), 4),
              QStringLiteral("Button1 Button2 Button4 Button1"));
}

TEST_F(StartWindowTest, InfoOpensTheInformationWindowAndOkCloses)
{
    StartWindow &start = open();
    QString caption;
    onNextModal([&caption](QWidget *modal) { caption = modal->windowTitle(); });
    child<QPushButton>("Button2")->click();
    EXPECT_EQ(caption, QStringLiteral("Информация "));

    start.show();
    child<QPushButton>("Button4")->click();
    EXPECT_FALSE(start.isVisible());
}

TEST_F(InfoWindowTest, CarriesTheLayoutsTextsAndPlaces)
{
    InfoWindow &info = open();
    EXPECT_EQ(info.size(), QSize(546, 267));
    test::expectLayout(&info, {
                                  {"PageControl1", nullptr, {-3, -5, 516, 174}},
                                  {"Label1", nullptr, {31, 25, 424, 93}},
                                  {"Button1", "OK", {176, 176, 105, 39}},
                              });
    EXPECT_EQ(child<QTabWidget>("PageControl1")->tabText(0), QStringLiteral("Информация"));
    EXPECT_FALSE(child<QLabel>("Label1")->text().isEmpty()) << "the contact text";
    info.show();
    child<QPushButton>("Button1")->click();
    EXPECT_FALSE(info.isVisible());
}

TEST_F(ErrorBannerTest, CarriesTheLayoutsTextsAndPlaces)
{
    ErrorBanner &banner = open();
    EXPECT_TRUE(banner.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(banner.size(), QSize(502, 64));
    test::expectLayout(&banner, {
                                    {"Label1", "Ошибки в задании", {10, -2, 0, 0}},
                                    {"Button1", "Выход", {413, 18, 75, 25}},
                                });
    EXPECT_EQ(child<QLabel>("Label1")->palette().color(QPalette::WindowText), QColor(Qt::red));
    banner.show();
    child<QPushButton>("Button1")->click();
    EXPECT_FALSE(banner.isVisible());
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
