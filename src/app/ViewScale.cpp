#include "app/ViewScale.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// Steps are powers of the cube root of two (1.26x): every power of two
// (1/16, 1/8, ..., 16) is a step, so 100%, 50% and 25% are reached exactly.
constexpr int kStepsPerDoubling = 3;
constexpr int kLowestStep = -4 * kStepsPerDoubling;
constexpr int kHighestStep = 4 * kStepsPerDoubling;

double Step(int index)
{
    return std::exp2(static_cast<double>(index) / kStepsPerDoubling);
}

// Where `scale` lies among the steps, rounded so that a scale that is a step
// up to floating error counts as that step.
double StepPosition(double scale)
{
    return std::log2(scale) * kStepsPerDoubling;
}

} // namespace

double FitScale(const CSize& picture, const CSize& area)
{
    if (picture.cx <= 0 || picture.cy <= 0 || area.cx <= 0 || area.cy <= 0)
        return 1.0;
    double across = static_cast<double>(area.cx) / picture.cx;
    double down = static_cast<double>(area.cy) / picture.cy;
    return std::min(1.0, std::min(across, down));
}

double ZoomInStep(double scale)
{
    if (!(scale > 0))
        return 1.0;
    int next = static_cast<int>(std::floor(StepPosition(scale) + 1e-6)) + 1;
    return Step(std::clamp(next, kLowestStep, kHighestStep));
}

double ZoomOutStep(double scale)
{
    if (!(scale > 0))
        return 1.0;
    int next = static_cast<int>(std::ceil(StepPosition(scale) - 1e-6)) - 1;
    return Step(std::clamp(next, kLowestStep, kHighestStep));
}

CSize ScaledSize(const CSize& picture, double scale)
{
    auto side = [scale](int length) {
        return std::max(1, static_cast<int>(std::lround(std::min(length * scale, 1e9))));
    };
    return CSize{side(picture.cx), side(picture.cy)};
}

std::string ScaleText(double scale)
{
    // Whole percentages from 10% up (12.5% keeps its half), two places below,
    // without trailing zeros.
    double percent = scale * 100;
    char text[32];
    if (percent >= 10 && std::fabs(percent - std::floor(percent) - 0.5) > 1e-6)
        std::snprintf(text, sizeof text, "%.0f", percent);
    else
        std::snprintf(text, sizeof text, "%.2f", percent);
    std::string shown = text;
    if (shown.find('.') != std::string::npos) {
        shown.erase(shown.find_last_not_of('0') + 1);
        if (shown.back() == '.')
            shown.pop_back();
    }
    return shown + "%";
}
