// Shows the chart window with a generated history, as the history page opens
// it after a readout, and saves a picture of the whole window; for the
// README's screenshots, under Xvfb or on the offscreen platform.
//
// chart_window_shot --out FILE [--records N] [--series] [--german]
// --series: the production series of the simulated wrench's --history-series.

#include "bench/benchsupport.h"
#include "history/chartwindow.h"
#include "tools/historygenerator.h"

#include <QApplication>
#include <QTranslator>

#include <cstdio>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const QStringList arguments = QApplication::arguments();
    const QString out = bench::optionText(arguments, QStringLiteral("--out"));
    const int records = bench::option(arguments, QStringLiteral("--records"), 500);
    if (out.isEmpty() || records <= 0) {
        std::fprintf(stderr, "usage: chart_window_shot --out FILE [--records N] [--series] [--german]\n");
        return 2;
    }
    QTranslator german;
    if (arguments.contains(QStringLiteral("--german"))) {
        if (!german.load(QStringLiteral("TolvoTool_de"), QApplication::applicationDirPath())) {
            std::fprintf(stderr, "chart_window_shot: TolvoTool_de.qm not found\n");
            return 1;
        }
        QApplication::installTranslator(&german);
    }

    ChartWindow window(nullptr);
    const bool series = arguments.contains(QStringLiteral("--series"));
    window.showRecords(wrench::history::encode(series ? wrench::history::generateSeries(records)
                                                      : wrench::history::generate(records)),
                       u',',
                       QStringLiteral("Chart"));
    window.show();
    QApplication::processEvents();
    if (!window.grab().save(out, "PNG")) {
        std::fprintf(stderr, "chart_window_shot: cannot write %s\n", qPrintable(out));
        return 1;
    }
    std::printf("%s: %d records\n", qPrintable(out), window.stats().count);
    return 0;
}
