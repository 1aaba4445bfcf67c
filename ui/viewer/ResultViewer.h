#pragma once

#include <QDialog>

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
class ResultViewer : public QDialog {
    Q_OBJECT
public:
    explicit ResultViewer(DocumentStore &store, QWidget *parent = nullptr);

private:
    /** Replaces the display with the document in the slot. */
    void showDocument(int slot);
    /** The slot shown at the spin control's position. */
    int currentSlot() const;
    void showPosition();

    void turnPage();        // an arrow of the spin control
    void leave();           // "OK"
    void addToPocket();     // "Add"
    void changeDocument();  // "Change"
    void clearPocket();     // "Clear"

    DocumentStore &store_;
    bool listBrowsing_;
    QTextEdit *documentText_;
    SpinControl *pager_;
    QLineEdit *positionField_;
    QLineEdit *pocketCountField_;
};

}  // namespace kaldex::ui
