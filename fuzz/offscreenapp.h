#pragma once

#include <QApplication>
#include <QLoggingCategory>

// The font library keeps allocations for the life of the process, as the
// tests' leak suppressions say.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}

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
