// Any bytes as an RTF file: the reader either fills the document or refuses
// with a message. What it read, saved again, must read back to the same text.
#include "text/RtfReader.h"
#include "text/RtfWriter.h"

#include <QGuiApplication>
#include <QTextDocument>

#include <cstdio>
#include <cstdlib>

using namespace kaldex::ui;

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // Fonts need the application object; no display is needed.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "fuzz_rtf";
    static char *argv[] = {name, nullptr};
    new QGuiApplication(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    QTextDocument document;
    document.setPlainText(QStringLiteral("before"));
    QString error;
    if (!readRtf(bytes, document, &error)) {
        if (error.isEmpty() || document.toPlainText() != QLatin1String("before"))
            std::abort();  // a refusal must say why and leave the document alone
        return 0;
    }
    QTextDocument again;
    if (!readRtf(writeRtf(document), again, &error)) {
        std::fprintf(stderr, "our own RTF refused: %s\n", qPrintable(error));
        std::abort();
    }
    if (again.toPlainText() != document.toPlainText()) {
        std::fprintf(stderr, "text changed on save:\n[%s]\n[%s]\n", qPrintable(document.toPlainText()),
                     qPrintable(again.toPlainText()));
        std::abort();
    }
    return 0;
}
