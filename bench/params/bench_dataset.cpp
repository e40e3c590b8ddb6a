// A generated data-set file of 5,000 parameters (scalars of every type and a
// table in every tenth) is verified and read into a fresh model with a
// description file attached: time and peak memory of the load, first with a
// new description file (every entry written at the end) and then with the
// complete one. Goal: <= 500 ms per load.
// Then the description file's write cost: one settings-file write per new
// entry, as the write-if-missing read would do it, against all entries at once.

#include "app/qorbinifile.h"
#include "params/descriptionfile.h"
#include "params/qorbcrc32.h"
#include "params/qorbpidman.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <sys/resource.h>

#include <cstdio>

namespace {

constexpr int parameterCount = 5000;
constexpr int parametersPerModule = 250;
const QString prefix = QStringLiteral("<!-- CHECKSUM=");
const QString suffix = QStringLiteral(" -->");

long peakKilobytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

QByteArray parameterXml(int id)
{
    static const char* const scalarTypes[][3] = {
        {"0x00000000", "0x00000000", "200"},   {"0x00100000", "0x00000000", "-5"},
        {"0x01000000", "0x00000002", "12.50"}, {"0x01100000", "0x00000008", "0xFFFE"},
        {"0x03000000", "0x00000000", "70000"}, {"0x03100000", "0x00000001", "-1.5"},
        {"0x03400000", "0x00000003", "1.250"},
    };
    QByteArray xml = "        <PARAM ID=\"" + QByteArray::number(id) + "\" NAME=\"Parameter " + QByteArray::number(id)
        + "\" UNIT=\"Nm\" ATTR=\"";
    if (id % 10 == 0) {
        xml += "0x01000C03\" ACCESS=\"0x00000013\" INFO=\"0x00000000\" DESCR=\"\">\r\n"
               "            <TABLE MIN=\"0\" MAX=\"1000\" ROWS=\"4\" COLS=\"4\">\r\n";
        for (int row = 0; row < 4; ++row)
            xml += "                <TR><TD>1</TD><TD>2</TD><TD>3</TD><TD>4</TD></TR>\r\n";
        return xml + "            </TABLE>\r\n        </PARAM>\r\n";
    }
    const char* const* type = scalarTypes[id % 7];
    return xml + type[0] + "\" ACCESS=\"0x00000013\" INFO=\"" + type[1] + "\" DESCR=\"\">\r\n"
        + "            <VALUE MIN=\"0\" MAX=\"100\">" + type[2] + "</VALUE>\r\n        </PARAM>\r\n";
}

bool writeDataset(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n<CONFIG NAME=\"Bench\" VERSION=\"1\" COMPANY=\"\">\r\n");
    for (int id = 1; id <= parameterCount; ++id) {
        if (id % parametersPerModule == 1)
            file.write("    <MODUL NAME=\"Module " + QByteArray::number(id / parametersPerModule) + "\" DESCR=\"\">\r\n");
        file.write(parameterXml(id));
        if (id % parametersPerModule == 0)
            file.write("    </MODUL>\r\n");
    }
    file.write("</CONFIG>\r\n");
    file.close();
    return QorbCRC32::appendChecksum(fileName, prefix, suffix);
}

void timeLoad(const char* label, const QString& fileName, QorbInifile& descriptions)
{
    const long peakBefore = peakKilobytes();
    QElapsedTimer timer;
    timer.start();
    const bool verified = QorbCRC32::verifyChecksum(fileName, prefix, suffix);
    const qint64 verifyMs = timer.elapsed();
    QTreeWidget tree;
    QorbPIDMan model(&tree, &descriptions);
    const bool parsed = model.parseXml(fileName);
    const qint64 totalMs = timer.elapsed();
    int parameters = 0;
    for (int m = 0; m < tree.topLevelItemCount(); ++m)
        parameters += tree.topLevelItem(m)->childCount();
    std::printf("%-34s %5lld ms (checksum %lld ms)  %d parameters  verified %s parsed %s  peak %ld MB (+%ld MB)  %s\n",
                label, static_cast<long long>(totalMs), static_cast<long long>(verifyMs), parameters,
                verified ? "yes" : "no", parsed ? "yes" : "no", peakKilobytes() / 1024,
                (peakKilobytes() - peakBefore) / 1024, totalMs <= 500 ? "goal met" : "GOAL MISSED (500 ms)");
}

void timeDescriptionWrites(const QString& folder)
{
    constexpr int perEntryCount = 200;
    QorbInifile single;
    single.setFileName(folder + QStringLiteral("/single.ini"), true);
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < perEntryCount; ++i)
        single.writeString(QStringLiteral("Module %1").arg(i / 20), QStringLiteral("ID_%1").arg(i),
                           QStringLiteral("Parameter %1 - Detailed Parameter Description..").arg(i));
    const double perEntryMs = static_cast<double>(timer.nsecsElapsed()) / 1e6 / perEntryCount;

    QorbInifile batch;
    batch.setFileName(folder + QStringLiteral("/batch.ini"), true);
    DescriptionFile descriptions(batch);
    timer.restart();
    for (int i = 0; i < parameterCount; ++i)
        descriptions.read(QStringLiteral("Module %1").arg(i / parametersPerModule), QStringLiteral("ID_%1").arg(i),
                          QStringLiteral("Parameter %1 - Detailed Parameter Description..").arg(i));
    const double readMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    timer.restart();
    descriptions.flush();
    const double flushMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    std::printf("Description.ini, one write per new entry: %.3f ms per entry (first %d entries)\n", perEntryMs,
                perEntryCount);
    std::printf("Description.ini, %d entries kept and written at once: %.1f ms reading, %.1f ms writing\n",
                parameterCount, readMs, flushMs);
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir folder;
    const QString dataset = folder.filePath(QStringLiteral("dataset.xml"));
    if (!folder.isValid() || !writeDataset(dataset)) {
        std::fprintf(stderr, "cannot write the data-set file\n");
        return 1;
    }
    std::printf("data-set file: %lld bytes, %d parameters\n", static_cast<long long>(QFile(dataset).size()),
                parameterCount);
    QorbInifile descriptions;
    descriptions.setFileName(folder.filePath(QStringLiteral("Description.ini")), true);
    timeLoad("load, new Description.ini", dataset, descriptions);
    timeLoad("load, complete Description.ini", dataset, descriptions);
    timeDescriptionWrites(folder.path());
    return 0;
}
