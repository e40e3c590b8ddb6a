#include "history/histogram.h"

#include <algorithm>
#include <cmath>

Histogram histogramOf(const QList<double>& values)
{
    Histogram histogram;
    if (values.isEmpty())
        return histogram;
    const auto [minimum, maximum] = std::minmax_element(values.cbegin(), values.cend());
    if (*minimum == *maximum) {
        histogram.start = *minimum - 0.5;
        histogram.counts = {static_cast<int>(values.size())};
        return histogram;
    }
    const double root = std::ceil(std::sqrt(static_cast<double>(values.size())));
    const int bins = static_cast<int>(std::clamp(root, 5.0, 40.0));
    histogram.start = *minimum;
    histogram.width = (*maximum - *minimum) / bins;
    histogram.counts.fill(0, bins);
    for (double value : values) {
        const double bin = std::floor((value - histogram.start) / histogram.width);
        ++histogram.counts[std::clamp(static_cast<int>(bin), 0, bins - 1)];
    }
    return histogram;
}
