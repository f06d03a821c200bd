#include <gtest/gtest.h>

#include "copy/progress_form.h"

namespace setup {
namespace {

TEST(FormatPercent, RoundsAndDropsLeadingZeros) {
    struct Row {
        const char* name;
        float ratio;
        std::wstring text;
    };
    const Row rows[] = {
        {"zero shows the sign alone", 0.0f, L"%"},
        {"below a half percent rounds to nothing", 0.004f, L"%"},
        {"one third", 1.0f / 3.0f, L"33%"},
        {"two thirds rounds up", 2.0f / 3.0f, L"67%"},
        {"exact half rounds away from zero", 0.125f, L"13%"},
        {"another exact half", 0.625f, L"63%"},
        {"one seventh", 1.0f / 7.0f, L"14%"},
        {"whole", 1.0f, L"100%"},
        {"one in 32767", 1.0f / 32767.0f, L"%"},
        {"more than whole", 1.5f, L"150%"},
    };
    for (const Row& row : rows) EXPECT_EQ(formatPercent(row.ratio), row.text) << row.name;
}

TEST(BarWidth, IsComputedInSinglePrecision) {
    EXPECT_FLOAT_EQ(barWidth(1, 3, 6090), 2030.0f);
    EXPECT_FLOAT_EQ(barWidth(3, 4, 6090), 4567.5f);
    EXPECT_EQ(barWidth(3, 3, 6090), 6090.0f);
    // 1/3 held in single precision times the trough, not the exact third.
    EXPECT_EQ(barWidth(1, 3, 1000), (1.0f / 3.0f) * 1000.0f);
}

}  // namespace
}  // namespace setup
