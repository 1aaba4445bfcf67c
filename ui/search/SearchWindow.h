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
}  // namespace kaldex

namespace kaldex::ui {

/** The search window, the program's working window. */
class SearchWindow : public QDialog {
    Q_OBJECT
public:
    explicit SearchWindow(DocumentStore &store, QWidget *parent = nullptr);

    /** The text shown when a save did not happen, or empty when it did. */
    static QString saveFailureText(const SaveResult &result);
    /** The files that saves which never finished left beside "ba0", or empty when there are none. */
    static QString leftoverText(const SaveResult &result);
    static QString overflowText(long line);
    static const QString &storeFullText();
    /** The offer to write the session's documents to a file of their own, and what was done. */
    static QString sideFileQuestion();
    static QString sideFileText(const QString &name);

    QListWidget *bannerList;
    QFrame *keyFrame;
    QCheckBox *otherKey, *viscosityKey, *conductivityKey, *thermalDiffusionKey, *diffusionKey, *potentialKey;
    QCheckBox *virialKey, *beamKey, *spectroscopyKey, *theoryKey, *experimentKey;
    QLabel *textFragmentLabel;
    QLineEdit *textFragmentField;
    QCheckBox *byNumberBox;
    QLineEdit *numberField;
    QCheckBox *bySubstancesBox;
    QLineEdit *firstSubstanceField, *secondSubstanceField;
    QCheckBox *byAuthorBox;
    QLineEdit *authorPrefixField;
    QCheckBox *byUpperYearBox;
    QLineEdit *upperYearField;
    QCheckBox *byLowerYearBox;
    QLineEdit *lowerYearField;
    QPushButton *findButton;
    QListWidget *messageList;
    QFrame *countFrame;
    QLabel *documentCountLabel;
    QLineEdit *documentCountField;
    QLabel *addLabel;
    QPushButton *addButton;
    QPushButton *okButton;
    QFrame *storeMaximumFrame;
    QLabel *storeMaximumLabel;
    QLineEdit *storeMaximumField;
    QFrame *pocketMaximumFrame;
    QLabel *pocketMaximumLabel;
    QLineEdit *pocketMaximumField;
    QLabel *pocketCountLabel;
    QLineEdit *pocketCountField;
    QLabel *clearLabel;
    QPushButton *clearButton;
    QLabel *viewLabel;
    QPushButton *viewButton;
    QListWidget *legendList;

    void addDocument();   // "Add"
    void find();          // "Find"
    void showPocket();    // "View ": the pocket editor
    void clearPocket();   // "Clear": empty the pocket
    void saveAndClose();  // "OK": save when something was stored, then close

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    /** The criteria as typed; false (after a message) when a text cannot be stored. */
    bool readQuery(QueryInput &input);
    void addMessage(const QString &line);
    /** Writes the session's documents beside "ba0" and says where; false after a message. */
    bool saveToSideFile();

    DocumentStore &store_;
    bool warnedOverflow_ = false;
};

}  // namespace kaldex::ui
