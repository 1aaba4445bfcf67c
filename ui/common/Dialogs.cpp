#include "ui/common/Dialogs.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QPrintDialog>
#include <QPrinter>

namespace kaldex::ui {
namespace {

DialogHook *hook = nullptr;

}  // namespace

DialogHook::DialogHook()
{
    hook = this;
}
DialogHook::~DialogHook()
{
    hook = nullptr;
}

QString chooseFileToOpen(QWidget *parent, const QString &directory, const QString &filter, bool *readOnly)
{
    if (hook) {
        ++hook->shown;
        hook->lastDirectory = directory;
        *readOnly = hook->openReadOnly;
        return hook->openName;
    }
    // Our own dialog, since it needs the "open read-only" choice.
    QFileDialog dialog(parent, QStringLiteral("Open"), directory, filter);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    auto *readOnlyBox = new QCheckBox(QStringLiteral("Open as &read-only"), &dialog);
    if (auto *grid = qobject_cast<QGridLayout *>(dialog.layout()))
        grid->addWidget(readOnlyBox, grid->rowCount(), 0, 1, grid->columnCount());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    *readOnly = readOnlyBox->isChecked();
    return dialog.selectedFiles().first();
}

QString chooseFileToSave(QWidget *parent, const QString &directory, const QString &filter, const QString &defaultSuffix)
{
    if (hook) {
        ++hook->shown;
        hook->lastDirectory = directory;
        return hook->saveName;
    }
    QFileDialog dialog(parent, QStringLiteral("Save As"), directory, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(defaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().first();
}

bool choosePrinter(QWidget *parent, QPrinter &printer)
{
    if (hook) {
        ++hook->shown;
        if (hook->pdfFile.isEmpty())
            return false;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(hook->pdfFile);
        return true;
    }
    QPrintDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

}  // namespace kaldex::ui
