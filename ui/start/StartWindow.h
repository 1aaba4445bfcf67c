#pragma once

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

namespace kaldex {
class DocumentStore;
}

namespace kaldex::ui {

/** The start window: loads the database and opens the search window. */
class StartWindow : public QDialog {
    Q_OBJECT
public:
    explicit StartWindow(DocumentStore &store, QWidget *parent = nullptr);

    QLabel *titleLabel;
    QLabel *subjectLabel;
    QFrame *continueFrame;
    QLabel *continueLabel;
    QPushButton *continueButton;
    QPushButton *infoButton;
    QPushButton *quitButton;

    void loadAndSearch();  // "CONT"
    void showInfo();       // "Info"
    void quit();           // "OK"

private:
    DocumentStore &store_;
};

}  // namespace kaldex::ui
