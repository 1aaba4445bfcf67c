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
class ResultViewer : public QDialog {
    Q_OBJECT
public:
    explicit ResultViewer(DocumentStore &store, QWidget *parent = nullptr);

    QTextEdit *documentText;
    SpinControl *pager;
    QLineEdit *positionField, *pocketCountField, *pocketMaximumField, *foundCountField;
    QPushButton *okButton, *addButton, *changeButton, *clearButton;
    QLabel *addCaption, *changeCaption, *changeCaptionEnd, *addCaptionEnd, *pocketCountCaption, *pocketCountCaptionEnd,
        *pocketMaximumCaption;
    QLabel *pocketMaximumCaptionEnd, *clearCaption, *clearCaptionEnd, *positionCaption, *positionCaptionEnd,
        *foundCountCaption, *foundCountCaptionEnd;

    /** Replaces the display with the document in the slot. */
    void showDocument(int slot);
    /** The slot shown at the spin control's position. */
    int currentSlot() const;
    bool listBrowsing() const { return listBrowsing_; }

    void turnPage();
    void leave();           // "OK"
    void addToPocket();     // "Add"
    void changeDocument();  // "Change"
    void clearPocket();     // "Clear"

private:
    void showPosition();

    DocumentStore &store_;
    bool listBrowsing_;
};

}  // namespace kaldex::ui
