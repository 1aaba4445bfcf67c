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
class EntryWindow : public QDialog {
    Q_OBJECT
public:
    explicit EntryWindow(DocumentStore &store, QWidget *parent = nullptr);

    QLabel *slotLabel;
    QListWidget *slotList;
    std::array<QCheckBox *, 11> categoryBoxes;  // object names CheckBox1 .. CheckBox11
    QListWidget *citationCaption, *abstractCaption, *notesCaption, *provenanceCaption;
    QTextEdit *citationText, *abstractText, *notesText, *provenanceText;
    QLabel *author1Label, *author2Label, *author3Label, *substance1Label, *substance2Label, *substance3Label,
        *substance4Label, *substance5Label, *yearLabel;
    QLineEdit *author1Field, *author2Field, *author3Field, *substance1Field, *substance2Field, *substance3Field,
        *substance4Field, *substance5Field, *yearField;
    std::array<QCheckBox *, 15> pairBoxes;  // object names CheckBox12 .. CheckBox26, pairs 1-1 .. 5-5
    QPushButton *okButton;
    QPushButton *keywordButton;

    void storeDocument();  // "OK"
    void showKeywords();   // "key_word"

protected:
    void keyPressEvent(QKeyEvent *event) override;

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
