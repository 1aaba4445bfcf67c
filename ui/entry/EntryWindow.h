#pragma once

#include <QDialog>

#include <array>

class QCheckBox;
class QLabel;
class QLineEdit;
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

    void storeDocument();  // "OK"
    void showKeywords();   // "key_word"

    DocumentStore &store_;
    std::array<QCheckBox *, 11> categoryBoxes_;  // CheckBox1 .. CheckBox11
    std::array<QCheckBox *, 15> pairBoxes_;      // CheckBox12 .. CheckBox26, pairs 1-1 .. 5-5
    QTextEdit *citationText_, *abstractText_, *notesText_, *provenanceText_;
    QLabel *author1Label_, *author2Label_, *author3Label_;
    QLabel *substance1Label_, *substance2Label_, *substance3Label_, *substance4Label_, *substance5Label_;
    QLineEdit *author1Field_, *author2Field_, *author3Field_;
    QLineEdit *substance1Field_, *substance2Field_, *substance3Field_, *substance4Field_, *substance5Field_;
    QLineEdit *yearField_;
};

}  // namespace kaldex::ui
