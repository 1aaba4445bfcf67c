#include "core/store/DatabaseLocation.h"
#include "core/store/DocumentStore.h"
#include "ui/common/KaldexApplication.h"
#include "ui/common/MessageTexts.h"
#include "ui/common/Messages.h"
#include "ui/common/TerminationGuard.h"
#include "ui/start/StartWindow.h"

#include <QStringList>

#include <cerrno>
#include <csignal>
#include <exception>
#include <memory>

int main(int argc, char **argv)
{
    // A file-size limit must fail a write, not kill the program mid-save.
    std::signal(SIGXFSZ, SIG_IGN);

    auto store = std::make_unique<kaldex::DocumentStore>();
    kaldex::ui::KaldexApplication app(argc, argv);
    // kaldex [FILE|FOLDER]: the database, followed through its links.
    const QStringList arguments = app.arguments();
    kaldex::DatabaseLocation database;
    const std::string given = arguments.size() > 1 ? arguments[1].toLocal8Bit().toStdString() : std::string();
    if (!kaldex::locateDatabase(given, database)) {
        kaldex::ui::showMessage(nullptr, QStringLiteral("KALDEX"),
                                QStringLiteral("База «%1» недоступна: %2.")
                                    .arg(QString::fromLocal8Bit(given.c_str()), kaldex::ui::systemErrorText(errno)));
        return 1;
    }
    store->database = database;
    kaldex::ui::TerminationGuard guard(*store, database.folder);
    QObject::connect(&guard, &kaldex::ui::TerminationGuard::terminated, &app, &QCoreApplication::exit);
    kaldex::ui::StartWindow start(*store);
    start.show();
    try {
        return app.exec();
    } catch (const std::exception &failure) {
        kaldex::ui::showMessage(nullptr, QStringLiteral("KALDEX"), QString::fromUtf8(failure.what()));
        return 1;
    }
}
