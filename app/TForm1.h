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
class TForm1 : public QDialog {
    Q_OBJECT
public:
    explicit TForm1(DocumentStore &store, QWidget *parent = nullptr);

    QLabel *Label2;
    QLabel *Label3;
    QFrame *Bevel1;
    QLabel *Label1;
    QPushButton *Button1;
    QPushButton *Button2;
    QPushButton *Button4;

    void Button1Click();  // "CONT"
    void Button2Click();  // "Info"
    void Button4Click();  // "OK"

    /** What "CONT" says when "ba0" is there but could not be read (errno error). */
    static QString unreadText(int error);

private:
    DocumentStore &store_;
};

}  // namespace kaldex::ui
