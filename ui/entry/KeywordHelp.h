#pragma once

#include <QDialog>

namespace kaldex::ui {

/** The key-word help: the abbreviations used for subjects and substances. */
class KeywordHelp : public QDialog {
    Q_OBJECT
public:
    explicit KeywordHelp(QWidget *parent = nullptr);

private:
    void dismiss();  // "Button1"
};

}  // namespace kaldex::ui
