#pragma once

#include <QList>

// Equal bins from the smallest to the largest value, the largest in the last
// bin; as many bins as the square root of the count of values, held to 5..40,
// so that a few outliers stretching the range still leave a shape. Equal
// values make one bin of width 1 around them.
struct Histogram {
    double start = 0.0;
    double width = 1.0;
    QList<int> counts;
};
Histogram histogramOf(const QList<double>& values);
