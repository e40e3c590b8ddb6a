#pragma once

#include <QList>

#include <optional>

// The Anderson-Darling test of a sample against the normal distribution with
// the sample's own mean and standard deviation (Stephens' case 3).
//   A²  = -n - 1/n sum_i (2i - 1) (ln F(x_i) + ln(1 - F(x_(n+1-i)))), x sorted
//   A*² = A² (1 + 0.75/n + 2.25/n²)
//   p from A*² by the piecewise formulas of D'Agostino and Stephens (1986)
struct AndersonDarling {
    double a2 = 0.0;
    double a2Corrected = 0.0;
    double p = 1.0;
};

// Fewer values than this leave the test undefined.
constexpr int andersonDarlingMinValues = 8;

// Nothing for fewer than andersonDarlingMinValues values or sigma <= 0.
std::optional<AndersonDarling> andersonDarling(QList<double> values, double mean, double sigma);
// The p-value of a corrected statistic A*².
double andersonDarlingP(double a2Corrected);
