#include "history/normality.h"

#include <algorithm>
#include <cmath>

namespace {

// ln Phi(z). erfc keeps the far tails that 1 + erf would cancel away; past
// 37 standard deviations it underflows, and there the leading term of the
// tail's asymptotic series is exact to a thousandth.
double logNormalCdf(double z)
{
    constexpr double sqrt2 = 1.4142135623730951;
    constexpr double halfLogTwoPi = 0.91893853320467274;
    if (z < -37.0)
        return -0.5 * z * z - std::log(-z) - halfLogTwoPi;
    return std::log(0.5 * std::erfc(-z / sqrt2));
}

} // namespace

std::optional<AndersonDarling> andersonDarling(QList<double> values, double mean, double sigma)
{
    if (values.size() < andersonDarlingMinValues || !(sigma > 0.0))
        return std::nullopt;
    std::sort(values.begin(), values.end());
    const qsizetype n = values.size();
    double sum = 0.0;
    for (qsizetype i = 0; i < n; ++i) {
        const double low = (values[i] - mean) / sigma;
        const double high = (values[n - 1 - i] - mean) / sigma;
        // ln(1 - Phi(z)) = ln Phi(-z)
        sum += static_cast<double>(2 * i + 1) * (logNormalCdf(low) + logNormalCdf(-high));
    }
    const double count = static_cast<double>(n);
    AndersonDarling test;
    test.a2 = -count - sum / count;
    test.a2Corrected = test.a2 * (1.0 + 0.75 / count + 2.25 / (count * count));
    test.p = andersonDarlingP(test.a2Corrected);
    return test;
}

double andersonDarlingP(double a2Corrected)
{
    const double a = a2Corrected;
    // The last piece's parabola turns upward past its vertex at
    // 5.709 / (2 * 0.0186); beyond it the fit no longer holds.
    if (a >= 153.467)
        return 0.0;
    if (a >= 0.6)
        return std::exp(1.2937 - 5.709 * a + 0.0186 * a * a);
    if (a >= 0.34)
        return std::exp(0.9177 - 4.279 * a - 1.38 * a * a);
    if (a >= 0.2)
        return 1.0 - std::exp(-8.318 + 42.796 * a - 59.938 * a * a);
    return 1.0 - std::exp(-13.436 + 101.14 * a - 223.73 * a * a);
}
