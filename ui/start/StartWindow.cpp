#include "ui/start/StartWindow.h"

#include "core/store/DatabaseLoader.h"
#include "core/store/DatabaseWriter.h"
#include "ui/common/MessageTexts.h"
#include "ui/common/Messages.h"
#include "ui/common/Toolkit.h"
#include "ui/help/HelpWindow.h"
#include "ui/search/SearchWindow.h"
#include "ui/start/InfoWindow.h"

#include <QDir>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

#include <algorithm>
#include <cerrno>

namespace kaldex::ui {

StartWindow::StartWindow(DocumentStore &store, QWidget *parent) : QDialog(parent), store_(store)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("KALDEX"));
    setFixedSize(489, 360);
    setBackground(this, Qt::cyan);  // aqua

    const QString times = QStringLiteral("Times New Roman");
    auto label = [&](const char *name, const QString &text, QRect place, const QFont &font) {
        auto *widget = new QLabel(text, this);
        widget->setObjectName(QString::fromLatin1(name));
        widget->setGeometry(place);
        widget->setFont(font);
        return widget;
    };
    auto button = [&](const char *name, const QString &text, QRect place) {
        auto *widget = new QPushButton(text, this);
        widget->setObjectName(QString::fromLatin1(name));
        widget->setGeometry(place);
        widget->setFont(layoutFont(times, 16, true));
        widget->setAutoDefault(false);
        return widget;
    };

    auto *titleLabel = label("Label2", QStringLiteral("ЛАНТЕР"), QRect(145, 15, 200, 30), layoutFont(times, 24, true));
    auto *subjectLabel =
        label("Label3",
              QStringLiteral("Библиографическая БД KALDEX  по транспортным  свойствам смесей разреженных "
                             "нейтральных газов     и потенциалам взаимодействия их компонентов"),
              QRect(71, 53, 352, 57), layoutFont(times, 16));
    subjectLabel->setWordWrap(true);
    subjectLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Substitute fonts wrap a little differently: let the text grow downwards
    // rather than lose its last line.
    subjectLabel->resize(352, std::max(57, subjectLabel->heightForWidth(352)));
    auto *continueFrame = new QFrame(this);
    continueFrame->setObjectName(QStringLiteral("Bevel1"));
    continueFrame->setFrameStyle(QFrame::Box | QFrame::Sunken);
    continueFrame->setGeometry(347, 152, 113, 61);
    auto *continueLabel =
        label("Label1", QStringLiteral("Продолжать"), QRect(357, 154, 100, 20), layoutFont(times, 16, true));
    auto *continueButton = button("Button1", QStringLiteral("CONT"), QRect(365, 177, 70, 24));
    auto *infoButton = button("Button2", QStringLiteral("Info"), QRect(213, 177, 70, 24));
    auto *quitButton = button("Button4", QStringLiteral("OK"), QRect(48, 177, 70, 24));
    for (QLabel *text : {continueLabel, titleLabel})
        text->adjustSize();

    setTabChain({continueButton, infoButton, quitButton});
    continueButton->setFocus();

    connect(continueButton, &QPushButton::clicked, this, &StartWindow::loadAndSearch);
    connect(infoButton, &QPushButton::clicked, this, &StartWindow::showInfo);
    connect(quitButton, &QPushButton::clicked, this, &StartWindow::quit);
    centerOnScreen(this);
    addHelpKey(this, kStartHelp);
}

namespace {

// The lock beside "ba0" in the working folder by its name alone.
std::string shownLockName(const std::string &path)
{
    return path.rfind("./", 0) == 0 ? path.substr(2) : path;
}

}  // namespace

void StartWindow::loadAndSearch()
{
    // The lock comes first, so that no other program saves between the load
    // and the lock; it is held while the search window is open.
    const DatabaseLocation &database = store_.database;
    DatabaseLock lock = DatabaseLock::acquire(database.folder, database.name);
    LoadResult loaded = loadDatabaseFile(store_, database.path());
    store_.lockedElsewhere = lock.state() == DatabaseLock::State::HeldElsewhere;
    store_.withoutLock = lock.state() == DatabaseLock::State::Unavailable;
    // A missing file is a new, empty database; one that is there but cannot be
    // read is not, and the user must know before working on an empty table.
    if (store_.unreadFile) {
        showMessage(this, QStringLiteral("KALDEX"), unreadText(loaded));
    } else {
        if (!loaded.opened && loaded.errorNumber == ENOENT)
            showMessage(this, QStringLiteral("KALDEX"), missingText(database));
        if (store_.lockedElsewhere)
            showMessage(this, QStringLiteral("KALDEX"), lockedText(lock.holder()));
        else if (store_.withoutLock)
            showMessage(this, QStringLiteral("KALDEX"),
                        unlockedText(lock.errorNumber(), QString::fromStdString(shownLockName(lock.path()))));
    }
    // Documents of an earlier session that could not be saved wait beside the
    // database until someone adds them.
    const QStringList waiting =
        QDir(QString::fromStdString(database.folder))
            .entryList({QString::fromStdString(database.name) + QStringLiteral(".session-*")}, QDir::Files, QDir::Name);
    if (!waiting.isEmpty())
        showMessage(this, QStringLiteral("KALDEX"), waitingSideFilesText(waiting.join(QLatin1Char('\n')), database));
    // A file this session can never save over is nobody's to hold.
    if (store_.unreadFile || store_.loadOverflow)
        lock.release();
    SearchWindow search(store_, this);
    search.exec();
}

void StartWindow::showInfo()
{
    InfoWindow info(this);
    info.setToolTip(databaseText(store_.database));
    info.exec();
}

void StartWindow::quit()
{
    close();
}

}  // namespace kaldex::ui
