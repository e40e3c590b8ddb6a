#include "tools/wrenchconfig.h"
#include "tools/wrenchdevice.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tolvo-wrench"));

    wrench::WrenchConfig config;
    const wrench::ParsedArguments parsed = wrench::parseArguments(QCoreApplication::arguments(), config);
    if (parsed.outcome == wrench::ParsedArguments::ShowHelp) {
        QTextStream(stdout) << parsed.text;
        return 0;
    }
    QTextStream err(stderr);
    if (parsed.outcome == wrench::ParsedArguments::Failed) {
        err << "tolvo-wrench: " << parsed.text << "\n(see --help)\n";
        return 2;
    }

    wrench::WrenchDevice device(config);
    QString error;
    if (!device.start(error)) {
        err << "tolvo-wrench: " << error << '\n';
        return 1;
    }
    return QCoreApplication::exec();
}
