#pragma once

#include <QString>

class QPrinter;
class QWidget;

namespace kaldex::ui {

/** The file name the user chose to open, empty when cancelled. */
QString chooseFileToOpen(QWidget *parent, const QString &directory, const QString &filter, bool *readOnly);

/** The file name to save under, empty when cancelled; asks before overwriting. */
QString chooseFileToSave(QWidget *parent, const QString &directory, const QString &filter,
                         const QString &defaultSuffix);

/** Runs the print dialog on printer; false when cancelled. */
bool choosePrinter(QWidget *parent, QPrinter &printer);

/**
 * Lets tests answer the common dialogs: while installed, each dialog takes
 * the prepared answer instead of showing itself (an empty name cancels; a
 * print to a PDF file when pdfFile is set, a cancel otherwise).
 */
class DialogHook {
public:
    DialogHook();
    ~DialogHook();
    DialogHook(const DialogHook &) = delete;
    DialogHook &operator=(const DialogHook &) = delete;

    QString openName;
    bool openReadOnly = false;
    QString saveName;
    QString pdfFile;
    int shown = 0;          // how many dialogs were asked for
    QString lastDirectory;  // where the last file dialog would have started
};

}  // namespace kaldex::ui
