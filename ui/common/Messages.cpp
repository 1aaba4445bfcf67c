#include "ui/common/Messages.h"

#include <cerrno>

#include <QMessageBox>

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

namespace {

MessageHook *hook = nullptr;

}  // namespace

MessageHook::MessageHook()
{
    hook = this;
}
MessageHook::~MessageHook()
{
    hook = nullptr;
}

void showMessage(QWidget *parent, const QString &title, const QString &text)
{
    if (hook) {
        hook->shown_ << text;
        return;
    }
    QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::Ok, parent);
    box.exec();
}

Answer askQuestion(QWidget *parent, const QString &title, const QString &text)
{
    if (hook) {
        hook->shown_ << text;
        return hook->answers_.isEmpty() ? Answer::Cancel : hook->answers_.takeFirst();
    }
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                    parent);
    switch (box.exec()) {
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    default: return Answer::Cancel;
    }
}

}  // namespace kaldex::ui
