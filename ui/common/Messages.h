#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace kaldex::ui {

enum class Answer { Yes, No, Cancel };

/** A message with an OK button; returns when the user has read it. */
void showMessage(QWidget *parent, const QString &title, const QString &text);

/** A question with Yes, No and Cancel. */
Answer askQuestion(QWidget *parent, const QString &title, const QString &text);

/**
 * Lets tests see messages instead of modal boxes: while installed, showMessage
 * records the text and askQuestion takes the next queued answer (Cancel when
 * none is queued).
 */
class MessageHook {
public:
    MessageHook();
    ~MessageHook();
    MessageHook(const MessageHook &) = delete;
    MessageHook &operator=(const MessageHook &) = delete;

    void setNextAnswer(Answer answer) { answers_ << answer; }
    const QStringList &shown() const { return shown_; }
    void clear() { shown_.clear(); }

private:
    friend void showMessage(QWidget *, const QString &, const QString &);
    friend Answer askQuestion(QWidget *, const QString &, const QString &);
    QStringList shown_;
    QList<Answer> answers_;
};

}  // namespace kaldex::ui
