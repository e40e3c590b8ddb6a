#pragma once

#include <QTemporaryDir>

namespace testsupport {

// A configuration folder of this test process's own, so that test programs
// running side by side never share a settings file.
class PrivateConfigHome {
public:
    PrivateConfigHome() { qputenv("XDG_CONFIG_HOME", m_home.path().toLocal8Bit()); }
    bool isValid() const { return m_home.isValid(); }

private:
    QTemporaryDir m_home;
};

} // namespace testsupport
