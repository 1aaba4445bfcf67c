#include "core/store/Number.h"

#include <gtest/gtest.h>

#include <climits>

using kaldex::readNumber;

TEST(Number, ReadsLikeTheFileAndTheUserWriteIt)
{
    struct Row {
        const char *text;
        int32_t value;
    } rows[] = {
        {"", 0},
        {"abc", 0},
        {"42", 42},
        {"  \t42", 42},
        {"+7", 7},
        {"-13", -13},
        {"12abc", 12},
        {"1972 г.", 1972},
        {"- 5", 0},
        {"007", 7},
        {"\n-0", 0},
        {"2147483647", INT32_MAX},
        {"-2147483648", INT32_MIN},
        {"2147483648", INT32_MAX},
        {"-2147483649", INT32_MIN},
        {"99999999999999999999999", INT32_MAX},
    };
    for (const Row &row : rows)
        EXPECT_EQ(readNumber(row.text), row.value) << '"' << row.text << '"';
}
