#include "ui/common/KaldexApplication.h"

#include "ui/common/Messages.h"

#include <QFont>
#include <QKeyEvent>
#include <QLibraryInfo>
#include <QLocale>
#include <QPushButton>
#include <QTranslator>

#include <exception>

namespace kaldex::ui {

bool pressesFocusedButton(QObject *receiver, QEvent *event)
{
    // Enter on a focused push button presses it, as Space does. Dialog
    // windows would otherwise give the key to their default button, or to
    // none; a text field keeps the key.
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto *key = static_cast<QKeyEvent *>(event);
    if ((key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) || key->isAutoRepeat() ||
        (key->modifiers() & ~Qt::KeypadModifier))
        return false;
    auto *button = qobject_cast<QPushButton *>(receiver);
    if (!button || !button->isEnabled())  // keys go to the focused widget
        return false;
    button->click();
    return true;
}

KaldexApplication::KaldexApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("KALDEX"));
    // The layouts name Windows fonts; Debian has metric-compatible ones.
    QFont::insertSubstitutions(QStringLiteral("Times New Roman"),
                               {QStringLiteral("Liberation Serif"), QStringLiteral("DejaVu Serif")});
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    // The windows speak Russian; so do the toolkit's own dialogs (files,
    // printing, colours) where its translations are installed.
    auto *translator = new QTranslator(this);
    if (translator->load(QLocale(QLocale::Russian), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        installTranslator(translator);
}

bool KaldexApplication::notify(QObject *receiver, QEvent *event)
{
    if (pressesFocusedButton(receiver, event))
        return true;
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &failure) {
        showMessage(activeWindow(), QStringLiteral("KALDEX"), QString::fromUtf8(failure.what()));
    } catch (...) {
        showMessage(activeWindow(), QStringLiteral("KALDEX"), QStringLiteral("Неизвестная ошибка."));
    }
    return false;
}

}  // namespace kaldex::ui
