#include "ui/common/MessageTexts.h"

#include "core/store/DatabaseLocation.h"

#include "core/store/DatabaseLoader.h"
#include "core/store/DatabaseWriter.h"
#include "core/store/DocumentStore.h"
#include "core/store/FileBytes.h"

#include <QDateTime>
#include <QStringList>

#include <cerrno>
#include <sys/stat.h>

namespace kaldex::ui {

QString systemErrorText(int error)
{
    switch (error) {
    case ENOENT: return QStringLiteral("файл или папка не найдены");
    case ENOSPC: return QStringLiteral("на диске нет места");
    case EDQUOT: return QStringLiteral("исчерпана дисковая квота");
    case EACCES:
    case EPERM: return QStringLiteral("нет прав доступа");
    case EROFS: return QStringLiteral("диск доступен только для чтения");
    case EFBIG: return QStringLiteral("превышен допустимый размер файла");
    case EISDIR: return QStringLiteral("это папка, а не файл");
    case ENOTDIR: return QStringLiteral("путь проходит через файл, а не папку");
    case EEXIST: return QStringLiteral("файл с таким именем уже есть");
    case ENAMETOOLONG: return QStringLiteral("слишком длинное имя файла");
    case EIO: return QStringLiteral("ошибка ввода-вывода");
    default: return QStringLiteral("ошибка системы номер %1").arg(error);
    }
}

QString writeErrorText(int error, const QString &folder)
{
    switch (error) {
    case ENOSPC: return QStringLiteral("на диске нет места");
    case EDQUOT: return QStringLiteral("исчерпана дисковая квота");
    case EACCES: return QStringLiteral("нет прав на запись в %1").arg(folder);
    case EPERM: return QStringLiteral("запись запрещена (нет прав на %1 или файл защищён от изменений)").arg(folder);
    case EROFS: return QStringLiteral("диск доступен только для чтения");
    case EFBIG: return QStringLiteral("превышен допустимый размер файла");
    case EIO: return QStringLiteral("ошибка ввода-вывода");
    case ENOENT: return QStringLiteral("папки нет");
    case EEXIST: return QStringLiteral("файл с таким именем уже есть");
    default: return systemErrorText(error);
    }
}

namespace {

QString folderPhrase(const std::string &file)
{
    return file.find('/') == std::string::npos
               ? QStringLiteral("рабочую папку")
               : QStringLiteral("папку «%1»").arg(QString::fromStdString(folderOf(file)));
}

QString moment(const FileIdentity &file)
{
    return QDateTime::fromSecsSinceEpoch(file.modifiedSeconds).toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"));
}

QString changeText(const SaveResult &result)
{
    switch (result.change) {
    case FileChange::Appeared:
        return QStringLiteral("при «CONT» его не было, а теперь он есть (%1 байт, записан %2)")
            .arg(result.found.size)
            .arg(moment(result.found));
    case FileChange::Removed: return QStringLiteral("его удалили или переименовали");
    case FileChange::Replaced:
        return QStringLiteral("его заменили другим файлом — так сохраняет базу другая программа KALDEX "
                              "(при загрузке %1 байт, теперь %2 байт, записан %3)")
            .arg(result.loaded.size)
            .arg(result.found.size)
            .arg(moment(result.found));
    case FileChange::Modified:
    case FileChange::None: break;
    }
    return QStringLiteral("его содержимое изменено (при загрузке %1 байт, теперь %2 байт, изменён %3)")
        .arg(result.loaded.size)
        .arg(result.found.size)
        .arg(moment(result.found));
}

}  // namespace

QString unreadText(int error)
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

QString unreadText(const LoadResult &loaded)
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

QString lockedText(const LockHolder &holder)
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

QString contactText()
{
    return QStringLiteral(
        "По вопросам о базе обращайтесь к её хранителю в вашем отделе: лично или служебной запиской.");
}

QString overflowText(long line)
{
    return QStringLiteral("В файле «ba0» больше %1 документов: загружены первые %1, остальные (с "
                          "%2-й строки файла) не поместились. Сохранение в этот файл отключено, чтобы не "
                          "потерять остальные документы.")
        .arg(DocumentStore::kMaxDocuments)
        .arg(line);
}

QString saveFailureText(const SaveResult &result)
{
    const QString file = QString::fromStdString(result.fileName.empty() ? kDatabaseName : result.fileName);
    const QString intact = QStringLiteral("Прежний файл «ba0» не изменён.");
    QString what;
    switch (result.status) {
    case SaveStatus::NotModified:
    case SaveStatus::Saved: return {};
    case SaveStatus::Overflow:
        what = QStringLiteral("База не сохранена: в файле «ba0» больше %1 документов, и запись "
                              "потеряла бы те, что не поместились в память.")
                   .arg(DocumentStore::kMaxDocuments);
        break;
    case SaveStatus::NotRead:
        what = QStringLiteral("База не сохранена: файл «ba0» не удалось прочитать при загрузке (или в нём не "
                              "оказалось базы), и запись заменила бы его документами этого сеанса.");
        break;
    case SaveStatus::NotAFile:
        what = QStringLiteral("База не сохранена: «ba0» в рабочей папке не является обычным файлом.");
        break;
    case SaveStatus::Changed:
        what = QStringLiteral("База не сохранена: файл «ba0» изменился после загрузки — %1. Запись потеряла бы "
                              "эти изменения, поэтому файл на диске оставлен как есть.")
                   .arg(changeText(result));
        break;
    case SaveStatus::LockedElsewhere:
        what = QStringLiteral("База не сохранена: файл «ba0» открыт для изменений другой программой KALDEX%1. "
                              "Файл на диске оставлен как есть.")
                   .arg(result.holder.pid > 0
                            ? QStringLiteral(" (процесс %1%2)")
                                  .arg(result.holder.pid)
                                  .arg(result.holder.host.empty() ? QString()
                                                                  : QStringLiteral(" на компьютере ") +
                                                                        QString::fromStdString(result.holder.host))
                            : QString());
        break;
    case SaveStatus::NotWritable:
        what = result.errorNumber == EPERM
                   ? QStringLiteral("База не сохранена: файл «%1» защищён от любых изменений (неизменяемый файл); "
                                    "он оставлен как есть.")
                         .arg(file)
                   : QStringLiteral("База не сохранена: у файла «%1» нет разрешения на запись; он оставлен как "
                                    "есть. Чтобы сохранять в него, разрешите запись (chmod u+w) и нажмите «OK» "
                                    "ещё раз.")
                         .arg(file);
        break;
    case SaveStatus::BeingSaved:
        what =
            QStringLiteral("База не сохранена: файл «ba0» в эту минуту сохраняет другая программа KALDEX%1, "
                           "и файл на диске оставлен как есть. Если никакая программа его не сохраняет, файл "
                           "«%2» рядом с ним остался от прерванного сохранения: удалите его.")
                .arg(result.holder.pid > 0 ? QStringLiteral(" (процесс %1)").arg(result.holder.pid) : QString(), file);
        break;
    case SaveStatus::NoBackupName: {
        const QString stem = QString::fromStdString(backupStem(LocalDate::today()));
        what = QStringLiteral("База не сохранена: все 11 имён резервных копий на сегодня (от ") + stem +
               QStringLiteral("0 до ") + stem +
               QStringLiteral("10) уже заняты. Перенесите старые копии в другую папку и нажмите «OK» ещё раз.");
    } break;
    case SaveStatus::WriteFailed:
        what = QStringLiteral("Не удалось записать новый файл базы «%1»: %2.")
                   .arg(file, writeErrorText(result.errorNumber, folderPhrase(result.fileName)));
        break;
    case SaveStatus::BackupFailed:
        what = QStringLiteral("Не удалось сохранить резервную копию «%1»: %2.")
                   .arg(QString::fromStdString(result.backupName), writeErrorText(result.errorNumber));
        break;
    case SaveStatus::ReplaceFailed:
        what = result.errorNumber == ENOENT && result.fileName == result.temporaryName
                   ? QStringLiteral("Не удалось заменить файл «ba0» новым: новый файл «%1» удалила другая программа.")
                         .arg(file)
                   : QStringLiteral("Не удалось заменить файл «%1» новым: %2.")
                         .arg(file, writeErrorText(result.errorNumber, folderPhrase(result.fileName)));
        break;
    }
    return what + QLatin1Char('\n') + intact;
}

QString sideFileQuestion()
{
    return QStringLiteral("Записать документы, добавленные или изменённые в этом сеансе, в отдельный файл "
                          "рядом с «ba0»? Позже команда «kaldex-tool append» добавит их в базу. Если ответить "
                          "«Нет», окно поиска останется открытым и введённые документы не потеряются.");
}

namespace {

// A file beside the database as a command names it: bare in the working
// folder, else in full.
QString besideDatabase(const QString &name, const DatabaseLocation &database)
{
    return database.folder == "." ? name : QString::fromStdString(database.folder) + QLatin1Char('/') + name;
}

}  // namespace

QString sideFileText(const QString &name, const DatabaseLocation &database)
{
    return QStringLiteral("Документы этого сеанса записаны в файл «%1» рядом с файлом базы. Файл «ba0» не "
                          "изменён.\nЧтобы добавить их в базу, когда файл «ba0» будет в порядке, выполните:\n"
                          "kaldex-tool append %2 %3")
        .arg(name, besideDatabase(name, database), besideDatabase(QString::fromStdString(database.name), database));
}

QString stillOpenText()
{
    return QStringLiteral("Окно поиска остаётся открытым, введённые документы не потеряны.");
}

QString unsavedQuestion()
{
    return QStringLiteral("Сохранить изменения?\nДокументы, добавленные или изменённые в этом сеансе, ещё не "
                          "записаны в файл базы.");
}

QString missingText(const DatabaseLocation &database)
{
    return QStringLiteral("Файл «%1» не найден: начинается пустая база. Первое сохранение создаст этот файл.")
        .arg(QString::fromStdString(database.path()));
}

QString waitingSideFilesText(const QString &names, const DatabaseLocation &database)
{
    return QStringLiteral("Рядом с файлом базы лежат документы прошлого сеанса, не попавшие в базу:\n%1\n"
                          "Чтобы добавить их, выполните для каждого файла:\nkaldex-tool append ФАЙЛ %2\n"
                          "После этого файл можно удалить: повторное добавление ничего не изменит.")
        .arg(names, besideDatabase(QString::fromStdString(database.name), database));
}

QString databaseText(const DatabaseLocation &database)
{
    return QStringLiteral("Файл базы: %1").arg(QString::fromStdString(database.path()));
}

QString storeFullText()
{
    return QStringLiteral("База заполнена: в ней уже %1 документов, больше добавить нельзя.")
        .arg(DocumentStore::kMaxDocuments);
}

QString pocketFullText()
{
    return QStringLiteral("Карман полон: в нём уже %1 документов. Очистите карман, чтобы добавлять новые.")
        .arg(DocumentStore::kMaxPocket);
}

QString leftoverText(const SaveResult &result)
{
    QStringList files;
    for (const Leftover &left : result.leftovers)
        files << QStringLiteral("«%1» (записан %2)")
                     .arg(QString::fromStdString(left.name), QDateTime::fromSecsSinceEpoch(left.modifiedSeconds)
                                                                 .toString(QStringLiteral("dd.MM.yyyy HH:mm")));
    if (files.isEmpty())
        return {};
    return QStringLiteral("Рядом с файлом «ba0» остались файлы сохранений, которые не завершились: %1. Это не база; "
                          "их можно удалить.")
        .arg(files.join(QStringLiteral(", ")));
}

QString unlockedText(int error, const QString &lockName)
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

}  // namespace kaldex::ui
