#include "text/Encoding.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace kaldex::ui {
namespace {

constexpr const char *kCodePage = "windows-1251";

// Stateless converters can be reused; opening one per call costs more than
// converting a document. One per thread: the editor decodes a large report
// beside the window.
QStringDecoder &decoder()
{
    thread_local QStringDecoder instance(kCodePage, QStringConverter::Flag::Stateless);
    if (!instance.isValid())
        throw std::runtime_error("Qt has no Windows-1251 converter");
    return instance;
}

QStringEncoder &encoder()
{
    thread_local QStringEncoder instance(kCodePage, QStringConverter::Flag::Stateless);
    if (!instance.isValid())
        throw std::runtime_error("Qt has no Windows-1251 converter");
    return instance;
}

}  // namespace

CodePageError::CodePageError(const QString &bad)
    : std::runtime_error(
          QStringLiteral("Символ «%1» нельзя сохранить в кодировке Windows-1251.").arg(bad).toStdString()),
      character(bad)
{}

QString fromCp1251(std::string_view bytes)
{
    return decoder().decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

bool toCp1251(const QString &text, std::string &out, QString *bad)
{
    QByteArray bytes = encoder().encode(text);
    // The encoder quietly puts "?" for what it cannot hold: compare the way back.
    QString back = fromCp1251(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
    if (back != text) {
        if (bad) {
            qsizetype i = 0;
            while (i < text.size() && i < back.size() && text[i] == back[i])
                ++i;
            *bad =
                i < text.size() && text[i].isHighSurrogate() && i + 1 < text.size() ? text.mid(i, 2) : text.mid(i, 1);
        }
        return false;
    }
    out.assign(bytes.constData(), static_cast<size_t>(bytes.size()));
    return true;
}

std::string toCp1251OrThrow(const QString &text)
{
    std::string out;
    QString bad;
    if (!toCp1251(text, out, &bad))
        throw CodePageError(bad);
    return out;
}

}  // namespace kaldex::ui
