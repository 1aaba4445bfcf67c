#include "core/store/DocumentStore.h"
#include "ui/common/KaldexApplication.h"
#include "ui/common/Messages.h"
#include "ui/common/TerminationGuard.h"
#include "ui/start/StartWindow.h"

#include <csignal>
#include <exception>
#include <memory>

int main(int argc, char **argv)
{
    // A file-size limit must fail a write, not kill the program mid-save.
    std::signal(SIGXFSZ, SIG_IGN);

    auto store = std::make_unique<kaldex::DocumentStore>();
    kaldex::ui::KaldexApplication app(argc, argv);
    kaldex::ui::TerminationGuard guard(*store, ".");
    kaldex::ui::StartWindow start(*store);
    start.show();
    try {
        return app.exec();
    } catch (const std::exception &failure) {
        kaldex::ui::showMessage(nullptr, QStringLiteral("KALDEX"), QString::fromUtf8(failure.what()));
        return 1;
    }
}
