#pragma once

#include <QApplication>
#include <QLoggingCategory>

// The widgets that hold the parameter model need an application object; the
// fuzzers make one on the offscreen platform, once, and keep the logs quiet.
inline void startOffscreenApplication(const char* name)
{
    static int argc = 1;
    static char* argv[] = {const_cast<char*>(name), nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false\n*.warning=false"));
}
