#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class QTabWidget;

namespace kaldex::ui {

/** The information window: whom to ask about the database. */
class InfoWindow : public QDialog {
    Q_OBJECT
public:
    explicit InfoWindow(QWidget *parent = nullptr);

    QTabWidget *pages;
    QLabel *contactLabel;
    QPushButton *okButton;

    void dismiss();
};

}  // namespace kaldex::ui
