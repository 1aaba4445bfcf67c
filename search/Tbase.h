#pragma once

#include <QDialog>

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace kaldex {
class DocumentStore;
struct QueryInput;
struct SaveResult;
}

namespace kaldex::ui {

/** The search window, the program's working window. */
class Tbase : public QDialog {
    Q_OBJECT
public:
    explicit Tbase(DocumentStore &store, QWidget *parent = nullptr);

    /** The text shown when a save did not happen, or empty when it did. */
    static QString saveFailureText(const SaveResult &result);
    static QString overflowText(long line);
    static const QString &storeFullText();

    QListWidget *ListBox1;
    QFrame *Bevel1;
    QCheckBox *CheckBox16, *CheckBox3, *CheckBox4, *CheckBox5, *CheckBox9, *CheckBox10;
    QCheckBox *CheckBox6, *CheckBox7, *CheckBox8, *CheckBox11, *CheckBox12;
    QLabel *Label9;
    QLineEdit *Edit11;
    QCheckBox *CheckBox1;
    QLineEdit *Edit6;
    QCheckBox *CheckBox2;
    QLineEdit *Edit4, *Edit5;
    QCheckBox *CheckBox13;
    QLineEdit *Edit1;
    QCheckBox *CheckBox14;
    QLineEdit *Edit2;
    QCheckBox *CheckBox15;
    QLineEdit *Edit3;
    QPushButton *Button6;
    QListWidget *ListBox2;
    QFrame *Bevel4;
    QLabel *Label2;
    QLineEdit *Edit7;
    QLabel *Label1;
    QPushButton *add;
    QPushButton *Button9;
    QFrame *Bevel2;
    QLabel *Label3;
    QLineEdit *Edit8;
    QFrame *Bevel3;
    QLabel *Label4;
    QLineEdit *Edit9;
    QLabel *Label5;
    QLineEdit *Edit10;
    QLabel *Label6;
    QPushButton *Button4;
    QLabel *Label7;
    QPushButton *Button2;
    QListWidget *ListBox4;

    void Button1Click();  // "Add" (the button named add)
    void Button6Click();  // "Find"
    void Button2Click();  // "View ": the pocket editor
    void Button4Click();  // "Clear": empty the pocket
    void Button9Click();  // "OK": save when something was stored, then close

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    /** The criteria as typed; false (after a message) when a text cannot be stored. */
    bool readQuery(QueryInput &input);
    void addMessage(const QString &line);

    DocumentStore &store_;
    bool warnedOverflow_ = false;
};

}  // namespace kaldex::ui
