#pragma once

#include <QApplication>
#include <QDir>
#include <QLoggingCategory>
#include <QTemporaryDir>

#include <memory>

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

// A scratch folder in memory where there is one: the files are rewritten for
// every input, and a disk would make every rename wait for its sync.
inline std::unique_ptr<QTemporaryDir> scratchFolder()
{
    const QString memory = QStringLiteral("/dev/shm");
    const QString base = QDir(memory).exists() ? memory : QDir::tempPath();
    return std::make_unique<QTemporaryDir>(base + QStringLiteral("/tolvo-fuzz-XXXXXX"));
}
