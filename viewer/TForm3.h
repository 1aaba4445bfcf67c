#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class QTextEdit;

namespace kaldex {
class DocumentStore;
}

namespace kaldex::ui {

class SpinControl;

/**
 * The result viewer: one document at a time, paged through the found list
 * (list browsing) or, after a number lookup, through the whole store (store
 * browsing). Fills and empties the pocket.
 */
class TForm3 : public QDialog {
    Q_OBJECT
public:
    explicit TForm3(DocumentStore &store, QWidget *parent = nullptr);

    static const QString &pocketFullText();

    QTextEdit *RichEdit1;
    SpinControl *UpDown1;
    QLineEdit *Edit1, *Edit2, *Edit3, *Edit4;
    QPushButton *Button1, *Button2, *Button3, *Button5;
    QLabel *Label1, *Label2, *Label3, *Label4, *Label5, *Label6, *Label7;
    QLabel *Label8, *Label9, *Label10, *Label11, *Label12, *Label13, *Label14;

    /** Replaces the display with the document in the slot. */
    void ShowDocument(int slot);
    /** The slot shown at the spin control's position. */
    int currentSlot() const;
    bool listBrowsing() const { return listBrowsing_; }

    void UpDown1Click();
    void Button1Click();  // "OK"
    void Button2Click();  // "Add"
    void Button3Click();  // "Change"
    void Button5Click();  // "Clear"

private:
    void showPosition();

    DocumentStore &store_;
    bool listBrowsing_;
};

}  // namespace kaldex::ui
