#pragma once

namespace setup {

/// Layout of the progress window in twips, relative to the drawable area of each control's
/// container; both shells place the controls from it.
namespace form2_layout {
struct TwipsRect {
    int left;
    int top;
    int width;
    int height;
};
inline constexpr int kClientWidth = 6510;
inline constexpr int kClientHeight = 1530;
inline constexpr TwipsRect kLabel2{225, 90, 6090, 285};
inline constexpr TwipsRect kPicture1{225, 540, 6090, 330};
inline constexpr TwipsRect kLabel1{0, 0, 6000, 255};
inline constexpr TwipsRect kImage1{0, 0, 3990, 480};
inline constexpr TwipsRect kCommand1{2520, 1080, 1410, 330};
}  // namespace form2_layout

}  // namespace setup
