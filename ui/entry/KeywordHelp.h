#pragma once

#include <QDialog>

class QListWidget;
class QPushButton;

namespace kaldex::ui {

/** The key-word help: the abbreviations used for subjects and substances. */
class KeywordHelp : public QDialog {
    Q_OBJECT
public:
    explicit KeywordHelp(QWidget *parent = nullptr);

    QListWidget *keywordList;
    QPushButton *closeButton;

    void dismiss();
};

}  // namespace kaldex::ui
