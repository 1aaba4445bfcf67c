#pragma once

#include <QFrame>

class QTextEdit;

namespace kaldex::ui {

class RulerMarker;

/**
 * The ruler under the speed bar: tick marks, and three markers for the
 * current paragraph's first-line, left and right indents. The markers follow
 * the selection; a marker dragged and dropped sets its indent. The text
 * control is not owned.
 */
class Ruler : public QFrame {
    Q_OBJECT
    Q_PROPERTY(QString caption READ caption CONSTANT)
public:
    Ruler(QTextEdit *text, QWidget *parent);

    /** Puts the markers where the current paragraph's indents are. */
    void sync();
    /** What the ruler draws: one hundred pairs of a tab and "|", the tabs expanded. */
    QString caption() const { return caption_; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    /** The paragraph attributes as the ruler speaks of them, in points. */
    struct Indents {
        int first = 0;  // the first line, from the left edge
        int left = 0;   // the other lines, from the first line
        int right = 0;
    };
    Indents paragraphIndents() const;
    void setParagraphIndents(const Indents &indents);
    /** Where a bulleted paragraph's list puts its text, in document pixels. */
    qreal listIndent() const;
    int clientWidth() const;
    void moveMarker(RulerMarker *marker, int x);
    void grabMarker(RulerMarker *marker, int x);
    void dragMarker(RulerMarker *marker, int x);
    void dropFirstIndent();
    void dropLeftIndent();
    void dropRightIndent();

    QTextEdit *text_;
    QString caption_;
    RulerMarker *firstIndent_, *leftIndent_, *rightIndent_;
    QFrame *line_;
    int grabOffset_ = 0;  // where the dragged marker was taken, from its left edge
    bool dragging_ = false;
};

}  // namespace kaldex::ui
