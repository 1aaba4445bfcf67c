#pragma once

#include <QDialog>

#include <array>

class QCheckBox;
class QLineEdit;
class QListWidget;

namespace kaldex {
class DocumentStore;
struct QueryInput;
}  // namespace kaldex

namespace kaldex::ui {

/** The search window, the program's working window. */
class SearchWindow : public QDialog {
    Q_OBJECT
public:
    explicit SearchWindow(DocumentStore &store, QWidget *parent = nullptr);

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    /** Leaving by the title bar with unsaved documents asks first. */
    void closeEvent(QCloseEvent *event) override;

private:
    void addDocument();   // "Add"
    void find();          // "Find"
    void showPocket();    // "View ": the pocket editor
    void clearPocket();   // "Clear": empty the pocket
    void saveAndClose();  // "OK": save when something was stored, then close
    /** Saves as "OK" does; false when the window is to stay open. */
    bool save();

    /** The criteria as typed; false (after a message) when a text cannot be stored. */
    bool readQuery(QueryInput &input);
    void addMessage(const QString &line);
    /** Writes the session's documents beside "ba0" and says where; false after a message. */
    bool saveToSideFile();

    DocumentStore &store_;
    bool warnedOverflow_ = false;
    std::array<QCheckBox *, 11> categoryKeys_;  // in category flag order: Other, Visc, ... Exp
    QCheckBox *byNumberBox_;
    QCheckBox *bySubstancesBox_;
    QCheckBox *byAuthorBox_;
    QCheckBox *byUpperYearBox_;
    QCheckBox *byLowerYearBox_;
    QLineEdit *numberField_;
    QLineEdit *firstSubstanceField_;
    QLineEdit *secondSubstanceField_;
    QLineEdit *authorPrefixField_;
    QLineEdit *upperYearField_;
    QLineEdit *lowerYearField_;
    QLineEdit *textFragmentField_;
    QListWidget *messageList_;
    QLineEdit *documentCountField_;
    QLineEdit *pocketCountField_;
};

}  // namespace kaldex::ui
