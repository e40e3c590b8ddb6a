#pragma once

// A file's whole contents, and a file made of given bytes, for tests that
// compare what the tool wrote or prepare what it reads.
#include <QByteArray>
#include <QFile>
#include <QString>

// Empty for a file that cannot be read.
inline QByteArray fileBytes(const QString& fileName)
{
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool writeFileBytes(const QString& fileName, const QByteArray& bytes)
{
    QFile file(fileName);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}
