#include "run/backdrop_bands.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/failure.h"

namespace setup::test {
namespace {

struct BandsRow {
    std::string name;
    double height;
    std::size_t bands;
    std::vector<int> firstBlues;  // blue of the first bands, top down
    int lastTop;
    int lastBlue;
    int fontPointSize;
    int lineOffset;
};

class BackdropBandsTable : public testing::TestWithParam<BandsRow> {};

TEST_P(BackdropBandsTable, GivesTheBandsFontAndOffset) {
    const BandsRow& row = GetParam();
    const BackdropPlan plan = planBackdrop(row.height, 640);
    ASSERT_EQ(plan.bands.size(), row.bands);
    for (std::size_t n = 0; n < row.firstBlues.size(); ++n)
        EXPECT_EQ(plan.bands[n].blue, row.firstBlues[n]) << n;
    EXPECT_EQ(plan.bands.back().top, row.lastTop - 1);
    EXPECT_EQ(plan.bands.back().blue, row.lastBlue);
    EXPECT_EQ(plan.fontPointSize, row.fontPointSize);
    EXPECT_EQ(plan.lineOffset, row.lineOffset);
}

INSTANTIATE_TEST_SUITE_P(
    Heights, BackdropBandsTable,
    testing::Values(BandsRow{"OneRowIsOnePureBlueBand", 1, 1, {255}, 0, 255, 16, 24},
                    BandsRow{"TwoRowsEndBlack", 2, 2, {255, 0}, 2, 0, 16, 24},
                    BandsRow{"ThreeRowsEndAtAThird", 3, 2, {255, 85}, 2, 85, 16, 24},
                    BandsRow{"HeightRoundsHalfToEven", 2.5, 2, {255, 0}, 2, 0, 16, 24},
                    BandsRow{"Height480TakesTheSmallFont", 480, 241, {255, 254}, 480, 0, 16, 24},
                    BandsRow{
                        "HeightJustUnder481RoundsUpButKeepsTheSmallFont", 480.6, 241, {255}, 480, 1, 16, 24},
                    BandsRow{"Height481TakesTheLargeFont", 481, 241, {255}, 480, 1, 24, 32},
                    BandsRow{"OddHeightEndsOneRowShort", 599, 300, {255, 254, 253}, 598, 0, 24, 32},
                    BandsRow{"Height600", 600, 301, {255, 254, 253}, 600, 0, 24, 32}),
    [](const testing::TestParamInfo<BandsRow>& info) { return info.param.name; });

TEST(BackdropBands, AccumulatesInSinglePrecisionSoTheMiddleOf600RoundsDown) {
    const BackdropPlan plan = planBackdrop(600, 800);
    EXPECT_EQ(plan.bands[150].top, 299);
    EXPECT_EQ(plan.bands[150].blue, 127);  // 127.499... accumulated band by band, not 127.5
}

TEST(BackdropBands, BandsSpanTheWidthAndOverlapSoEveryRowIsCovered) {
    const BackdropPlan plan = planBackdrop(37, 123);
    EXPECT_EQ(plan.width, 123);
    int coveredTo = -1;
    for (const BackdropBand& band : plan.bands) {
        EXPECT_EQ(band.left, -1);
        EXPECT_EQ(band.right, 123);
        EXPECT_EQ(band.bottom, band.top + 3);
        EXPECT_LE(band.top, coveredTo + 1);
        coveredTo = band.bottom;
    }
    EXPECT_GE(coveredTo, 37);
}

TEST(BackdropBands, BlueNeverLeavesTheColourRange) {
    for (double height : {1.0, 7.0, 511.0, 600.0, 767.0, 1080.0, 2161.0}) {
        for (const BackdropBand& band : planBackdrop(height, 10).bands) {
            EXPECT_GE(band.blue, 0) << height;
            EXPECT_LE(band.blue, 255) << height;
        }
    }
}

struct FailingRow {
    std::string name;
    double height;
    double width;
};

class BackdropBandsFailure : public testing::TestWithParam<FailingRow> {};

TEST_P(BackdropBandsFailure, Throws) {
    EXPECT_THROW(planBackdrop(GetParam().height, GetParam().width), Failure);
}

INSTANTIATE_TEST_SUITE_P(Sizes, BackdropBandsFailure,
                         testing::Values(FailingRow{"HeightZeroDividesByZero", 0, 800},
                                         FailingRow{"HeightRoundingToZeroDividesByZero", 0.5, 800},
                                         FailingRow{"HeightAbove32767Overflows", 32768, 800},
                                         FailingRow{"HeightRoundingAbove32767Overflows", 32767.5, 800},
                                         FailingRow{"WidthAbove32767Overflows", 600, 40000},
                                         FailingRow{"LastBandBeyond32767Overflows", 32766, 800}),
                         [](const testing::TestParamInfo<FailingRow>& info) { return info.param.name; });

TEST(BackdropBands, TheLastHeightWhoseBandsFitIsAccepted) {
    const BackdropPlan plan = planBackdrop(32765, 1);
    EXPECT_EQ(plan.bands.back().bottom, 32766);
}

TEST(LogoPlace, CentresTheLogoEightPixelsAboveTheBottom) {
    const LogoPlace even = placeLogo(600, 800, 109, 200);
    EXPECT_DOUBLE_EQ(even.left, 300);
    EXPECT_DOUBLE_EQ(even.top, 483);
    EXPECT_DOUBLE_EQ(placeLogo(600, 801, 109, 200).left, 300.5);
}

}  // namespace
}  // namespace setup::test
