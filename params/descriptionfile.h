#pragma once

#include <QHash>
#include <QList>
#include <QString>

class QorbInifile;

// The description file read with write-if-missing, fast enough for a list of
// thousands of parameters: each section is read from the file once, and the
// defaults of missing or empty entries are kept in memory until flush writes
// them all in one atomic rewrite of the file.
class DescriptionFile
{
public:
    explicit DescriptionFile(QorbInifile& source);
    ~DescriptionFile();

    DescriptionFile(const DescriptionFile&) = delete;
    DescriptionFile& operator=(const DescriptionFile&) = delete;

    // The stored value (at most 1023 characters), or defaultValue for a
    // missing or empty entry, which is then remembered for writing.
    QString read(const QString& section, const QString& key, const QString& defaultValue);

    // Writes the remembered entries; afterwards the file is read afresh. False
    // when the file could not be written (the entries stay remembered).
    bool flush();
    bool hasPending() const { return !m_pending.isEmpty(); }

private:
    struct Pending {
        QString section;
        QString key;
        QString value;
    };
    using Section = QHash<QString, QString>; // lowered key -> value

    Section& section(const QString& name);
    const QByteArray& fileText();

    QorbInifile& m_source;
    QByteArray m_text;
    bool m_textRead = false;
    QHash<QString, Section> m_sections; // lowered name -> entries
    QList<Pending> m_pending;
};

// "\n" and "\t" written as two characters become a line break and a tab.
QString expandEscapes(const QString& text);
