#include "ui/common/Messages.h"

#include <QMessageBox>

namespace kaldex::ui {

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
