#include "app/KaldexApplication.h"

#include "app/Messages.h"

#include <QFont>

#include <exception>

namespace kaldex::ui {

KaldexApplication::KaldexApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("KALDEX"));
    // The layouts name Windows fonts; Debian has metric-compatible ones.
    QFont::insertSubstitutions(QStringLiteral("Times New Roman"),
                               {QStringLiteral("Liberation Serif"), QStringLiteral("DejaVu Serif")});
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
}

bool KaldexApplication::notify(QObject *receiver, QEvent *event)
{
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
