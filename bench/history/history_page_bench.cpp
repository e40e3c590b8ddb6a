// Shows the reports of 10,000 generated records in the history page (shown
// on the offscreen platform) and prints, as medians of the runs: the time of
// onHistoryData (both reports built and the text report set), the time until
// the page has been laid out and painted, a search of the report for a text
// it does not hold, and the process's peak memory.
// Goals: shown in <= 250 ms; peak <= 100 MB.
//
// history_page_bench [--records N] [--runs N] [--find-shot FILE [--find TEXT]]
// --find-shot: afterwards saves a picture of the page with the find bar open
// and the first match of TEXT (default "n.OK") after the report's middle
// selected.

#include "bench/benchsupport.h"
#include "history/reportview.h"
#include "history/viewhistory.h"
#include "pagehost.h"
#include "tools/historygenerator.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double milliseconds(const QElapsedTimer& timer)
{
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The report searched to its end and from its start again.
double missedSearch(ReportView& report)
{
    QElapsedTimer timer;
    timer.start();
    report.find(QStringLiteral("no such text"), ReportView::FindDirection::Forward);
    return milliseconds(timer);
}

// As a user sees it who clicked into the report, then Ctrl+F, the text and Enter.
bool saveFindShot(QWidget& page, ReportView& report, const QString& text, const QString& file)
{
    const qsizetype middle = report.toPlainText().size() / 2;
    report.setSelection(middle, middle);
    report.showFindBar();
    auto* field = report.findChild<QLineEdit*>(QStringLiteral("findText"));
    field->setText(text);
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(field, &enter);
    QApplication::processEvents();
    return page.grab().save(file, "PNG");
}

} // namespace

int main(int argc, char* argv[])
{
    bench::preferOffscreen();
    QApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const int records = bench::option(arguments, QStringLiteral("--records"), 10000);
    const int runs = std::max(1, bench::option(arguments, QStringLiteral("--runs"), 7));
    const QByteArray block = wrench::history::encode(wrench::history::generate(records));

    PageHost host;
    ViewHistory view(nullptr, &host);
    view.resize(1020, 768);
    view.show();
    view.setActive(true);
    auto* report = view.findChild<ReportView*>(QStringLiteral("textEditHistory"));
    std::vector<double> handed;
    std::vector<double> painted;
    std::vector<double> searched;
    for (int run = 0; run < runs; ++run) {
        view.slotReadHistory();
        QApplication::processEvents();
        QElapsedTimer timer;
        timer.start();
        view.onHistoryData(block.constData(), static_cast<int>(block.size()));
        handed.push_back(milliseconds(timer));
        view.contentWidget()->repaint();
        QApplication::processEvents();
        painted.push_back(milliseconds(timer));
        searched.push_back(missedSearch(*report));
    }
    const qsizetype shownCharacters = report->toPlainText().size();
    const QString shot = bench::optionText(arguments, QStringLiteral("--find-shot"));
    const QString wanted = bench::optionText(arguments, QStringLiteral("--find"));
    if (!shot.isEmpty()
        && !saveFindShot(view, *report, wanted.isEmpty() ? QStringLiteral("n.OK") : wanted, shot)) {
        std::fprintf(stderr, "history_page_bench: cannot write %s\n", qPrintable(shot));
        return 1;
    }
    view.setActive(false);

    std::printf("history page, %d records, %d runs\n", records, runs);
    std::printf("  text report shown  %lld characters\n", static_cast<long long>(shownCharacters));
    std::printf("  onHistoryData      median %7.1f ms (both reports built and the text set)\n", median(handed));
    std::printf("  laid out, painted  median %7.1f ms (goal <= 250 ms)\n", median(painted));
    std::printf("  find, no match     median %7.1f ms (the whole report, ignoring case)\n", median(searched));
    std::printf("  peak memory        %7.1f MB (goal <= 100 MB)\n", bench::peakMegabytes());
    return 0;
}
