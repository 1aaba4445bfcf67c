#include "ui/start/StartWindow.h"

#include "core/store/DatabaseLoader.h"
#include "core/store/DatabaseWriter.h"
#include "ui/common/Messages.h"
#include "ui/common/Toolkit.h"
#include "ui/search/SearchWindow.h"
#include "ui/start/InfoWindow.h"

#include <QDateTime>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

#include <algorithm>
#include <cerrno>
#include <sys/stat.h>

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

    titleLabel = label("Label2", QStringLiteral("ЛАНТЕР"), QRect(145, 15, 200, 30), layoutFont(times, 24, true));
    subjectLabel = label("Label3",
                         QStringLiteral("Библиографическая БД KALDEX  по транспортным  свойствам смесей разреженных "
                                        "нейтральных газов     и потенциалам взаимодействия их компонентов"),
                         QRect(71, 53, 352, 57), layoutFont(times, 16));
    subjectLabel->setWordWrap(true);
    subjectLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Substitute fonts wrap a little differently: let the text grow downwards
    // rather than lose its last line.
    subjectLabel->resize(352, std::max(57, subjectLabel->heightForWidth(352)));
    continueFrame = new QFrame(this);
    continueFrame->setObjectName(QStringLiteral("Bevel1"));
    continueFrame->setFrameStyle(QFrame::Box | QFrame::Sunken);
    continueFrame->setGeometry(347, 152, 113, 61);
    continueLabel =
        label("Label1", QStringLiteral("Продолжать"), QRect(357, 154, 100, 20), layoutFont(times, 16, true));
    continueButton = button("Button1", QStringLiteral("CONT"), QRect(365, 177, 70, 24));
    infoButton = button("Button2", QStringLiteral("Info"), QRect(213, 177, 70, 24));
    quitButton = button("Button4", QStringLiteral("OK"), QRect(48, 177, 70, 24));
    for (QLabel *text : {continueLabel, titleLabel})
        text->adjustSize();

    setTabChain({continueButton, infoButton, quitButton});
    continueButton->setFocus();

    connect(continueButton, &QPushButton::clicked, this, &StartWindow::loadAndSearch);
    connect(infoButton, &QPushButton::clicked, this, &StartWindow::showInfo);
    connect(quitButton, &QPushButton::clicked, this, &StartWindow::quit);
    centerOnScreen(this);
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
    DatabaseLock lock = DatabaseLock::acquire(".", kDatabaseName);
    LoadResult loaded = loadDatabaseFile(store_, kDatabaseName);
    store_.lockedElsewhere = lock.state() == DatabaseLock::State::HeldElsewhere;
    store_.withoutLock = lock.state() == DatabaseLock::State::Unavailable;
    // A missing file is a new, empty database; one that is there but cannot be
    // read is not, and the user must know before working on an empty table.
    if (store_.unreadFile)
        showMessage(this, QStringLiteral("KALDEX"), unreadText(loaded));
    else if (store_.lockedElsewhere)
        showMessage(this, QStringLiteral("KALDEX"), lockedText(lock.holder()));
    else if (store_.withoutLock)
        showMessage(this, QStringLiteral("KALDEX"),
                    unlockedText(lock.errorNumber(), QString::fromStdString(shownLockName(lock.path()))));
    // A file this session can never save over is nobody's to hold.
    if (store_.unreadFile || store_.loadOverflow)
        lock.release();
    SearchWindow search(store_, this);
    search.exec();
}

QString StartWindow::lockedText(const LockHolder &holder)
{
    QString who;
    if (holder.pid > 0) {
        who = QStringLiteral(" (процесс %1").arg(holder.pid);
        if (!holder.host.empty())
            who += QStringLiteral(" на компьютере %1").arg(QString::fromStdString(holder.host));
        if (holder.since > 0)
            who += QStringLiteral(", с %1").arg(
                QDateTime::fromSecsSinceEpoch(holder.since).toString(QStringLiteral("dd.MM.yyyy HH:mm")));
        who += QLatin1Char(')');
    }
    return QStringLiteral("Файл базы «ba0» сейчас открыт для изменений другой программой KALDEX%1.\n"
                          "Искать и просматривать документы можно. Сохранить изменения в «ba0» удастся, только "
                          "если та программа закроет окно поиска, не сохранив базу; иначе при «OK» документы "
                          "этого сеанса можно будет записать в отдельный файл и добавить в базу позже.")
        .arg(who);
}

QString StartWindow::unlockedText(int error, const QString &lockName)
{
    QString why;
    switch (error) {
    case EISDIR: why = QStringLiteral("«%1» — это папка").arg(lockName); break;
    case EACCES:
    case EPERM: why = QStringLiteral("нет прав на запись в рабочую папку"); break;
    case EROFS: why = QStringLiteral("диск доступен только для чтения"); break;
    default: why = systemErrorText(error); break;
    }
    return QStringLiteral("Файл базы «ba0» не удалось закрепить за этой программой: %1. Другая программа может "
                          "сохранить его в то же время.\n"
                          "Искать и просматривать документы можно. При «OK» база сохранится, только если файл «ba0» "
                          "не изменился после загрузки; иначе документы этого сеанса можно будет записать в "
                          "отдельный файл.")
        .arg(why);
}

QString StartWindow::unreadText(const LoadResult &loaded)
{
    const QString tail = QStringLiteral("\nПоиск откроется без документов; сохранение в этот файл отключено, "
                                        "чтобы не заменить его.");
    switch (loaded.problem) {
    case FileProblem::NotAFile:
        switch (loaded.fileType) {
        case S_IFDIR: return QStringLiteral("«ba0» в рабочей папке — это папка, а не файл базы.") + tail;
        case S_IFIFO: return QStringLiteral("«ba0» в рабочей папке — это именованный канал, а не файл базы.") + tail;
        case S_IFCHR:
        case S_IFBLK: return QStringLiteral("«ba0» в рабочей папке — это устройство, а не файл базы.") + tail;
        default: return unreadText(loaded.errorNumber);
        }
    case FileProblem::TooLarge:
        return QStringLiteral("Файл «ba0» не прочитан: его размер %1 байт, а база даже из %2 документов "
                              "не бывает больше %3 байт (1 ГБ). Это не файл базы.")
                   .arg(loaded.fileSize)
                   .arg(DocumentStore::kMaxDocuments)
                   .arg(kMaxDatabaseBytes) +
               tail;
    case FileProblem::NotText:
        return QStringLiteral("Файл «ba0» (%1 байт) не является файлом базы: в нём двоичные данные "
                              "(цепочки нулевых байтов или управляющие символы), а не текст.")
                   .arg(loaded.fileSize) +
               tail;
    case FileProblem::NoDocuments:
        return QStringLiteral("В файле «ba0» (%1 байт) нет ни одного документа: это не файл базы KALDEX "
                              "или он испорчен (строки не разделены переводом строки, нет разметки «$»). "
                              "Подробности покажет команда «kaldex-tool check ba0».")
                   .arg(loaded.fileSize) +
               tail;
    default: return unreadText(loaded.errorNumber);
    }
}

QString StartWindow::unreadText(int error)
{
    QString why;
    switch (error) {
    case EACCES:
    case EPERM: why = QStringLiteral("нет прав на чтение файла"); break;
    case EISDIR:
    case EINVAL: why = QStringLiteral("«ba0» в рабочей папке не является обычным файлом"); break;
    case EIO: why = QStringLiteral("ошибка ввода-вывода"); break;
    default: why = systemErrorText(error); break;
    }
    return QStringLiteral("Файл базы «ba0» не удалось прочитать: %1.\nПоиск откроется без документов; "
                          "сохранение в этот файл отключено, чтобы не заменить непрочитанные документы.")
        .arg(why);
}

void StartWindow::showInfo()
{
    InfoWindow info(this);
    info.exec();
}

void StartWindow::quit()
{
    close();
}

}  // namespace kaldex::ui
