#include "editor/RtfReader.h"

#include <QTextDocument>

namespace kaldex::ui {

bool looksLikeRtf(const QByteArray &bytes)
{
    return bytes.trimmed().startsWith("{\\rtf");
}

bool readRtf(const QByteArray &, QTextDocument &, QString *error)
{
    if (error)
        *error = QString();
    return false;
}

void readPlainText(const QByteArray &bytes, QTextDocument &document)
{
    document.setPlainText(QString::fromUtf8(bytes));
}

}  // namespace kaldex::ui
