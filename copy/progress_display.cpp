#include <cmath>
#include <string>

#include "copy/progress_form.h"

namespace setup {

std::wstring formatPercent(float ratio) {
    // The ratio is widened before scaling, so 2/3 held in single precision shows as 67, not 66.
    const double percent = std::round(static_cast<double>(ratio) * 100.0);
    if (percent == 0.0) return L"%";
    return std::to_wstring(static_cast<long long>(percent)) + L"%";
}

float barWidth(int done, int total, int troughWidth) {
    const float ratio = static_cast<float>(done) / static_cast<float>(total);
    return ratio * static_cast<float>(troughWidth);
}

}  // namespace setup
