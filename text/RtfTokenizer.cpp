#include "text/RtfTokenizer.h"

#include <climits>

namespace kaldex::ui {
namespace {

bool isLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

int hexValue(char c)
{
    if (isDigit(c))
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

}  // namespace

RtfToken RtfTokenizer::next()
{
    // Line ends carry no meaning in RTF; writers wrap long lines anywhere.
    while (pos_ < bytes_.size() && (bytes_[pos_] == '\r' || bytes_[pos_] == '\n'))
        ++pos_;
    RtfToken token;
    if (pos_ >= bytes_.size())
        return token;

    const char c = bytes_[pos_];
    if (c == '{' || c == '}') {
        ++pos_;
        token.type = c == '{' ? RtfToken::GroupOpen : RtfToken::GroupClose;
        return token;
    }
    if (c != '\\') {
        const qsizetype start = pos_;
        while (pos_ < bytes_.size()) {
            const char b = bytes_[pos_];
            if (b == '\\' || b == '{' || b == '}' || b == '\r' || b == '\n')
                break;
            ++pos_;
        }
        token.type = RtfToken::Text;
        token.name = bytes_.sliced(start, pos_ - start);
        return token;
    }

    ++pos_;
    if (pos_ >= bytes_.size())
        return token;
    const char after = bytes_[pos_];
    if (isLetter(after))
        return controlWord();
    if (after == '\'')
        return hexByte();
    ++pos_;
    if (after == '\r' || after == '\n') {
        // A backslash before a line end is an old way to write \par.
        token.type = RtfToken::Word;
        token.name = "par";
        return token;
    }
    token.type = RtfToken::Symbol;
    token.symbol = after;
    return token;
}

RtfToken RtfTokenizer::controlWord()
{
    RtfToken token;
    const qsizetype start = pos_;
    while (pos_ < bytes_.size() && isLetter(bytes_[pos_]))
        ++pos_;
    if (pos_ - start > kMaxWordLength) {
        token.type = RtfToken::TooLong;
        return token;
    }
    token.type = RtfToken::Word;
    token.name = bytes_.sliced(start, pos_ - start);

    bool negative = false;
    if (pos_ + 1 < bytes_.size() && bytes_[pos_] == '-' && isDigit(bytes_[pos_ + 1])) {
        negative = true;
        ++pos_;
    }
    if (pos_ < bytes_.size() && isDigit(bytes_[pos_])) {
        long long value = 0;
        while (pos_ < bytes_.size() && isDigit(bytes_[pos_])) {
            if (value <= INT_MAX)
                value = value * 10 + (bytes_[pos_] - '0');
            ++pos_;
        }
        if (value > INT_MAX)
            value = INT_MAX;
        token.hasParameter = true;
        token.parameter = static_cast<int>(negative ? -value : value);
    }
    // A word that runs into the end of the file may be cut short: \u10 of \u1055.
    if (pos_ >= bytes_.size())
        return RtfToken();
    if (pos_ < bytes_.size() && bytes_[pos_] == ' ')
        ++pos_;

    if (token.name == "bin" && token.hasParameter) {
        // The data is raw bytes that may hold braces and backslashes.
        const qsizetype wanted = token.parameter > 0 ? token.parameter : 0;
        const qsizetype length = qMin(wanted, bytes_.size() - pos_);
        token.type = RtfToken::Binary;
        token.name = bytes_.sliced(pos_, length);
        pos_ += length;
    }
    return token;
}

RtfToken RtfTokenizer::hexByte()
{
    ++pos_;  // the quote
    RtfToken token;
    int value = 0;
    int digits = 0;
    while (digits < 2 && pos_ < bytes_.size()) {
        const int digit = hexValue(bytes_[pos_]);
        if (digit < 0)
            break;
        value = value * 16 + digit;
        ++digits;
        ++pos_;
    }
    if (digits < 2 && pos_ >= bytes_.size())
        return RtfToken();  // cut by the end of the file
    if (digits == 0) {
        token.type = RtfToken::Symbol;
        token.symbol = '\'';
        return token;
    }
    token.type = RtfToken::Hex;
    token.byte = static_cast<unsigned char>(value);
    return token;
}

}  // namespace kaldex::ui
