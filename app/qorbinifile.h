#pragma once

#include <QString>

// The tool's settings file (named after the executable, sections "SETUP" and
// "CSV"), or any other ini file by setFileName. No file is kept open: every
// read and write is one private-profile call, so that edits by other programs
// between calls are seen. Values are stored as 8-bit (Latin-1) text.
class QorbInifile
{
public:
    QorbInifile();

    // With absolute set, name is the whole file name; otherwise it is taken
    // relative to the program directory.
    void setFileName(const QString& name, bool absolute);
    QString fileName() const { return m_strTempFile; }

    // A missing key and a key with an empty value both yield defaultValue;
    // with writeIfMissing the default is then stored. Values longer than
    // 1023 characters come back cut.
    QString readString(const QString& section, const QString& key,
                       const QString& defaultValue, bool writeIfMissing);
    // The value's leading decimal number (blanks and a sign allowed, 0 without
    // digits), held to the int range.
    int readInt(const QString& section, const QString& key, int defaultValue,
                bool writeIfMissing);

    // False when the file could not be written.
    bool writeString(const QString& section, const QString& key, const QString& value);
    bool writeInt(const QString& section, const QString& key, int value);

private:
    // The stored value, or an empty one for a missing key.
    QByteArray readRaw(const QString& section, const QString& key) const;

    QString m_strTempFile;
};
