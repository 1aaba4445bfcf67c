#pragma once

#include <QDialog>

namespace kaldex {
class DocumentStore;
}

namespace kaldex::ui {

/** The start window: loads the database and opens the search window. */
class StartWindow : public QDialog {
    Q_OBJECT
public:
    explicit StartWindow(DocumentStore &store, QWidget *parent = nullptr);

private:
    void loadAndSearch();  // "CONT"
    void showInfo();       // "Info"
    void quit();           // "OK"

    DocumentStore &store_;
};

}  // namespace kaldex::ui
