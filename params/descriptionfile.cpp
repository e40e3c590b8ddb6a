#include "params/descriptionfile.h"

#include "app/qorbinifile.h"
#include "params/paramslog.h"
#include "platform/profile_text.h"

#include <QFile>
#include <QSaveFile>

#include <map>

namespace {

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

// Ini names lose their blanks and tabs at either end and compare ignoring the
// case of A to Z only.
QString loweredName(const QString& name)
{
    qsizetype first = 0;
    qsizetype last = name.size();
    while (first < last && isBlank(name.at(first)))
        ++first;
    while (last > first && isBlank(name.at(last - 1)))
        --last;
    QString result = name.mid(first, last - first);
    for (QChar& c : result) {
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            c = QChar(c.unicode() + 32);
    }
    return result;
}

constexpr qsizetype maxValueLength = 1023;

} // namespace

QString expandEscapes(const QString& text)
{
    QString result = text;
    result.replace(QLatin1String("\\n"), QLatin1String("\n"));
    result.replace(QLatin1String("\\t"), QLatin1String("\t"));
    return result;
}

DescriptionFile::DescriptionFile(QorbInifile& source)
    : m_source(source)
{
}

DescriptionFile::~DescriptionFile()
{
    flush();
}

const QByteArray& DescriptionFile::fileText()
{
    if (!m_textRead) {
        QFile file(m_source.fileName());
        m_text = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        m_textRead = true;
    }
    return m_text;
}

DescriptionFile::Section& DescriptionFile::section(const QString& name)
{
    const QString lowered = loweredName(name);
    auto found = m_sections.find(lowered);
    if (found != m_sections.end())
        return *found;
    Section entries;
    const std::string text = fileText().toStdString();
    for (const auto& [key, value] : platform::profiletext::sectionEntries(text, name.toLatin1().toStdString()))
        entries.insert(loweredName(QString::fromLatin1(key)), QString::fromLatin1(value).left(maxValueLength));
    return *m_sections.insert(lowered, entries);
}

QString DescriptionFile::read(const QString& sectionName, const QString& key, const QString& defaultValue)
{
    Section& entries = section(sectionName);
    const QString lowered = loweredName(key);
    const QString value = entries.value(lowered);
    if (!value.isEmpty())
        return value;
    entries.insert(lowered, defaultValue);
    m_pending.append({sectionName, key, defaultValue});
    return defaultValue;
}

bool DescriptionFile::flush()
{
    if (m_pending.isEmpty())
        return true;
    namespace profiletext = platform::profiletext;
    // A file that exists but cannot be read is never replaced: its entries would be lost.
    QFile current(m_source.fileName());
    const bool readable = current.open(QIODevice::ReadOnly);
    if (!readable && current.exists()) {
        qCWarning(lcParams) << "Cannot read" << m_source.fileName();
        return false;
    }
    std::string text = readable ? current.readAll().toStdString() : std::string();
    std::map<std::string, std::vector<profiletext::Entry>> bySection;
    std::vector<std::string> sectionOrder;
    for (const Pending& entry : std::as_const(m_pending)) {
        const std::string name = entry.section.toLatin1().toStdString();
        const std::string key = entry.key.toLatin1().toStdString();
        if (!profiletext::isStorableSection(name) || !profiletext::isStorableKey(key))
            continue;
        if (bySection.find(name) == bySection.end())
            sectionOrder.push_back(name);
        bySection[name].emplace_back(key, profiletext::storableValue(entry.value.toLatin1().toStdString()));
    }
    for (const std::string& name : sectionOrder)
        text = profiletext::withValues(text, name, bySection[name]);
    QSaveFile file(m_source.fileName());
    const QByteArray bytes = QByteArray::fromStdString(text);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        qCWarning(lcParams) << "Cannot write" << m_source.fileName();
        return false;
    }
    m_pending.clear();
    m_sections.clear();
    m_text.clear();
    m_textRead = false;
    return true;
}
