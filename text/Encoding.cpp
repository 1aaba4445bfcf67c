#include "text/Encoding.h"

#include "core/encoding/CodePage.h"

namespace kaldex::ui {

QString fromCp1251(std::string_view bytes)
{
    QString text(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
    QChar *out = text.data();
    for (char c : bytes)
        *out++ = QChar(cp1251Character(static_cast<unsigned char>(c)));
    return text;
}

bool toCp1251(const QString &text, std::string &out, QString *bad)
{
    std::string bytes(static_cast<size_t>(text.size()), '\0');
    for (qsizetype i = 0; i < text.size(); ++i) {
        const int byte = cp1251Byte(text[i].unicode());
        if (byte < 0) {
            if (bad)
                *bad = text[i].isHighSurrogate() && i + 1 < text.size() ? text.mid(i, 2) : text.mid(i, 1);
            return false;
        }
        bytes[static_cast<size_t>(i)] = static_cast<char>(byte);
    }
    out = std::move(bytes);
    return true;
}

}  // namespace kaldex::ui
