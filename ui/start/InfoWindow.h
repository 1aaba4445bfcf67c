#pragma once

#include <QDialog>

namespace kaldex::ui {

/** The information window: whom to ask about the database. */
class InfoWindow : public QDialog {
    Q_OBJECT
public:
    explicit InfoWindow(QWidget *parent = nullptr);

private:
    void dismiss();  // "OK"
};

}  // namespace kaldex::ui
