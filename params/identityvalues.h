#pragma once

#include <QByteArray>
#include <QString>

// The wrench's identity as the tool keeps it from the raw values of the fixed
// parameters (paramids.h), before and without their descriptions.
struct IdentityValues {
    enum FirmwareKind { NotRead = 0, BaseVersion = 1, FullVersion = 2, UnknownVersion = 3 };

    QString deviceName;
    QString firmwareVersion;
    QString hardwareVersion;
    QString serialNumber;
    int firmwareKind = NotRead;
    // 2 adds the schedule, parameter set and check lines to the reports.
    int historyMode = 3;

    // Keeps the value of parameter id when it is one of the identity's, and
    // ignores any other. Texts end at their first 0 byte or with the value;
    // an empty history mode leaves the old one.
    void take(int id, const QByteArray& value);
};
