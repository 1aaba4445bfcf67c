#pragma once

#include <QWidget>

class QComboBox;
class QLineEdit;
class QTextEdit;
class QToolButton;

namespace kaldex::ui {

class SpinControl;

/**
 * The formatting controls of the editor's speed bar (font name and size,
 * bold, italic, underline, alignment, bullets) over a text control: they
 * follow its selection and change it. Made on the speed bar, the controls
 * stand where the layout puts them on it; the text control is not owned.
 */
class FormatBar : public QWidget {
    Q_OBJECT
public:
    FormatBar(QTextEdit *text, QWidget *speedBar);

    /** Brings every control into line with the selection. */
    void sync();

private:
    void loadFontList();
    void setCharacterStyle(QToolButton *button);
    void applyFontSize();
    void applyFontName(int index);
    void align(QToolButton *button);
    void toggleBullets();

    QTextEdit *text_;
    bool syncing_ = false;  // the controls' own change events write nothing back meanwhile
    QComboBox *fontName_;
    QLineEdit *fontSize_;
    SpinControl *fontSizeArrows_;
    QToolButton *bold_, *italic_, *underline_;
    QToolButton *alignLeft_, *alignCenter_, *alignRight_;
    QToolButton *bullets_;
};

}  // namespace kaldex::ui
