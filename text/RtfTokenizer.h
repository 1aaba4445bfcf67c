#pragma once

#include <QByteArray>
#include <QByteArrayView>

namespace kaldex::ui {

struct RtfToken {
    enum Type {
        End,         // no more bytes
        GroupOpen,   // {
        GroupClose,  // }
        Word,        // \name with an optional parameter
        Symbol,      // \ and one non-letter, e.g. \~ or \*
        Hex,         // \'hh
        Text,        // plain bytes, CR and LF left out
        Binary,      // the data of \binN
        TooLong,     // a control word longer than kMaxWordLength letters
    };

    Type type = End;
    QByteArrayView name;  // Word: its letters; Text/Binary: the bytes
    bool hasParameter = false;
    int parameter = 0;       // clamped to the int range
    char symbol = 0;         // Symbol: the character
    unsigned char byte = 0;  // Hex: the value
};

/** Splits RTF bytes into tokens; it never looks back and every call moves on. */
class RtfTokenizer {
public:
    static constexpr int kMaxWordLength = 32;

    explicit RtfTokenizer(QByteArrayView bytes) : bytes_(bytes) {}

    RtfToken next();
    qsizetype position() const { return pos_; }

private:
    RtfToken controlWord();
    RtfToken hexByte();

    QByteArrayView bytes_;
    qsizetype pos_ = 0;
};

}  // namespace kaldex::ui
