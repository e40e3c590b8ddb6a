"""Known answers for the capability and normality figures of tst_historystats,
computed apart from the tool's code with Python's standard library:

  mean, s        statistics.mean, statistics.stdev (sample form, n - 1)
  Cm, Cmk        (USL - LSL) / 6s, min(USL - mean, mean - LSL) / 3s
  A²             Anderson-Darling statistic against the normal distribution
                 of the sample's mean and s, with F from math.erfc,
                 A² = -n - (1/n) sum (2i - 1) [ln F(x_i) + ln(1 - F(x_(n+1-i)))]
  A*², p         the small-sample correction A² (1 + 0.75/n + 2.25/n²) and
                 the four pieces of p over A*² from D'Agostino & Stephens
                 (eds.), Goodness-of-Fit Techniques (1986); the last piece
                 holds only up to its minimum at A*² = 153.467, p = 0 beyond

The samples cover each piece of p, ties and the smallest sample tested (8).

Run: python3 normality_known.py; it prints one line of figures per sample."""

import math
import statistics

SAMPLES = {
    "near normal": ([49.12, 50.31, 50.87, 49.65, 50.02, 51.24, 48.73, 50.44, 49.88, 50.15,
                     49.41, 50.66, 51.57, 48.39, 50.09, 49.97, 50.52, 49.26, 50.78, 49.80], 45.0, 55.0),
    "skewed": ([20.05, 20.10, 20.12, 20.20, 20.21, 20.30, 20.35, 20.48, 20.60, 20.81,
                21.05, 21.40, 21.92, 22.70, 24.10], 19.8, 24.2),
    "eight values": ([90.5, 91.0, 89.5, 90.0, 92.0, 88.0, 90.3, 89.1], 85.0, 95.0),
    # One value fewer than the tool tests: only Cm and Cmk are used.
    "seven values": ([90.5, 91.0, 89.5, 90.0, 92.0, 88.0, 90.3], 85.0, 95.0),
    "ties": ([10.0, 10.0, 10.1, 10.1, 10.1, 10.2, 10.2, 10.2, 10.2, 10.3, 10.3, 10.4], 9.6, 10.8),
    "ten values": ([5.1, 5.3, 5.4, 5.5, 5.6, 5.7, 5.9, 6.0, 6.3, 6.8], 4.5, 7.5),
    "two values, far from normal": ([0.0] * 500 + [1.0] * 500, -2.0, 3.0),
}


def normal_cdf_tails(x, mean, s):
    """F(x) and 1 - F(x), each from erfc so that neither tail cancels."""
    z = (x - mean) / (s * math.sqrt(2.0))
    return 0.5 * math.erfc(-z), 0.5 * math.erfc(z)


def anderson_darling(values, mean, s):
    xs = sorted(values)
    n = len(xs)
    total = 0.0
    for i in range(1, n + 1):
        below, _ = normal_cdf_tails(xs[i - 1], mean, s)
        _, above = normal_cdf_tails(xs[n - i], mean, s)
        total += (2 * i - 1) * (math.log(below) + math.log(above))
    return -n - total / n


def p_value(a):
    if a >= 153.467:
        return 0.0
    if a >= 0.6:
        return math.exp(1.2937 - 5.709 * a + 0.0186 * a ** 2)
    if a >= 0.34:
        return math.exp(0.9177 - 4.279 * a - 1.38 * a ** 2)
    if a >= 0.2:
        return 1 - math.exp(-8.318 + 42.796 * a - 59.938 * a ** 2)
    return 1 - math.exp(-13.436 + 101.14 * a - 223.73 * a ** 2)


def main():
    for name, (values, lsl, usl) in SAMPLES.items():
        n = len(values)
        mean = statistics.mean(values)
        s = statistics.stdev(values)
        cm = (usl - lsl) / (6 * s)
        cmk = min(usl - mean, mean - lsl) / (3 * s)
        a2 = anderson_darling(values, mean, s)
        a2_star = a2 * (1 + 0.75 / n + 2.25 / n ** 2)
        figures = [cm, cmk, a2, a2_star, p_value(a2_star)]
        print(f"{name}: n={n} mean={mean!r} s={s!r} " + " ".join(repr(f) for f in figures))


if __name__ == "__main__":
    main()
