#include "editor/RtfWriter.h"

#include <QTextDocument>

namespace kaldex::ui {

QByteArray writeRtf(const QTextDocument &)
{
    return QByteArray();
}

}  // namespace kaldex::ui
