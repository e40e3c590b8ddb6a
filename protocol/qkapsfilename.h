#pragma once

#include <QByteArray>
#include <QString>

// Names of files that the wrench sends into the download folder. Nothing
// the wrench names may be run or loaded as code, on either system, and
// nothing may replace a file the tool itself runs on or reads at start-up.
namespace kapsfile {

// The last component of the announced name (after the last "\" or "/") as
// UTF-8, or "" when it is refused; then refusal says why. executableName is
// the file name of the running tool.
QString downloadFileName(const QByteArray& announced, const QString& executableName,
                         QString* refusal);

} // namespace kapsfile
