#pragma once

class QorbInifile;

// What a readout must reach to be called capable.
struct StatsThresholds {
    double cmMin = 1.67;
    double cmkMin = 1.67;
    int minValues = 50;
};

// Section "STATISTICS", keys CM_MIN, CMK_MIN (decimal point or comma) and
// MIN_VALUES. A missing key, or a value that is not a positive number (a
// whole one for MIN_VALUES), takes the default. Nothing is written.
StatsThresholds readStatsThresholds(QorbInifile& settings);
