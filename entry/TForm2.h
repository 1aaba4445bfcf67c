#pragma once

#include <QDialog>

#include <array>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTextEdit;

namespace kaldex {
class DocumentStore;
}

namespace kaldex::ui {

/**
 * The entry window: adds a document (change number 0) or changes the one in
 * the slot the change number names. Opening in add mode takes the next slot
 * at once; "OK" stores the form into the entry slot and closes.
 */
class TForm2 : public QDialog {
    Q_OBJECT
public:
    explicit TForm2(DocumentStore &store, QWidget *parent = nullptr);

    QLabel *Label10;
    QListWidget *ListBox2;
    std::array<QCheckBox *, 11> categoryBoxes;  // CheckBox1 .. CheckBox11
    QListWidget *ListBox1, *ListBox3, *ListBox4, *ListBox5;
    QTextEdit *RichEdit1, *RichEdit2, *RichEdit3, *RichEdit4;
    QLabel *Label1, *Label2, *Label3, *Label4, *Label5, *Label6, *Label7, *Label8, *Label9;
    QLineEdit *Edit1, *Edit2, *Edit3, *Edit4, *Edit5, *Edit6, *Edit7, *Edit8, *Edit9;
    std::array<QCheckBox *, 15> pairBoxes;  // CheckBox12 .. CheckBox26, pairs 1-1 .. 5-5
    QPushButton *Button1;
    QPushButton *Button2;

    void Button1Click();  // "OK"
    void Button2Click();  // "key_word"

private:
    struct Form;
    void fillFromRecord();
    /**
     * Reads the names and texts as the file will hold them. Refuses, with a
     * message naming the field and the cursor put there, what the file
     * could not carry back.
     */
    bool readForm(Form &form);

    DocumentStore &store_;
};

}  // namespace kaldex::ui
