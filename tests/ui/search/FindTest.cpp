#include "ui/WindowTesting.h"
#include "ui/search/SearchWindow.h"

using namespace kaldex;
using namespace kaldex::ui;
using test::onNextModal;

namespace {

struct SearchFixture {
    std::unique_ptr<DocumentStore> store = test::queryStore();
    std::unique_ptr<SearchWindow> window = std::make_unique<SearchWindow>(*store);

    QStringList messages() const { return test::items(window->messageList); }

    // Presses "Find" and reports which window it opened, if any.
    QString find()
    {
        QString opened;
        onNextModal([&opened](QWidget *modal) { opened = modal->metaObject()->className(); });
        window->findButton->click();
        QApplication::processEvents();  // a watcher that saw no window must not outlive this call
        return opened;
    }
};

}  // namespace

TEST(Find, MessagesAndTheBanner)
{
    SearchFixture f;
    EXPECT_EQ(f.find(), QStringLiteral("kaldex::ui::ErrorBanner"));  // nothing asked for
    EXPECT_TRUE(f.messages().isEmpty());

    f.window->byUpperYearBox->setChecked(true);
    f.window->upperYearField->setText(QStringLiteral("1970"));
    f.window->byLowerYearBox->setChecked(true);
    f.window->lowerYearField->setText(QStringLiteral("1980"));
    EXPECT_EQ(f.find(), QString());
    EXPECT_EQ(f.messages(), QStringList{QStringLiteral("Год <=>= Противор.")});

    f.window->upperYearField->setText(QStringLiteral("1900"));
    f.window->lowerYearField->setText(QStringLiteral("1900"));
    EXPECT_EQ(f.find(), QString());
    EXPECT_EQ(f.messages(), QStringList{QStringLiteral("Док.не найд.")});

    // The number lookup keeps what the list held and adds its space line.
    f.window->byNumberBox->setChecked(true);
    f.window->numberField->setText(QStringLiteral("10"));
    EXPECT_EQ(f.find(), QString());
    EXPECT_EQ(f.messages(),
              (QStringList{QStringLiteral("Док.не найд."), QStringLiteral(" "), QStringLiteral("Ном.док.не найд.")}));
    f.window->numberField->clear();
    EXPECT_EQ(f.find(), QStringLiteral("kaldex::ui::ErrorBanner"));
    EXPECT_EQ(f.messages().size(), 4);
    EXPECT_EQ(f.messages().last(), QStringLiteral(" "));
}
