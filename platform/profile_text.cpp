#include "platform/profile_text.h"

#include <unordered_set>
#include <map>

namespace platform::profiletext {

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool isLineEnd(char c)
{
    return c == '\r' || c == '\n';
}

std::string trimmed(const std::string& text)
{
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && isBlank(text[first]))
        ++first;
    while (last > first && isBlank(text[last - 1]))
        --last;
    return text.substr(first, last - first);
}

char lowered(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string loweredName(const std::string& name)
{
    std::string result = name;
    for (char& c : result)
        c = lowered(c);
    return result;
}

bool hasEnclosingQuotes(const std::string& text)
{
    return text.size() >= 2 && text.front() == '"' && text.back() == '"';
}

enum class LineKind { Blank, Comment, Section, Key, Other };

struct Line {
    LineKind kind = LineKind::Other;
    std::string name;     // section name or key, trimmed, spelled as in the file
    std::string rawValue; // everything after the first "=" of a key line
};

Line classify(const std::string& raw)
{
    const std::string text = trimmed(raw);
    if (text.empty())
        return {LineKind::Blank, {}, {}};
    if (text.front() == ';')
        return {LineKind::Comment, {}, {}};
    if (text.front() == '[') {
        const std::size_t close = text.find(']');
        if (close == std::string::npos)
            return {};
        return {LineKind::Section, trimmed(text.substr(1, close - 1)), {}};
    }
    const std::size_t equals = text.find('=');
    if (equals == std::string::npos)
        return {};
    std::string key = trimmed(text.substr(0, equals));
    if (key.empty())
        return {};
    return {LineKind::Key, std::move(key), text.substr(equals + 1)};
}

std::string readValue(const std::string& rawValue)
{
    const std::string value = trimmed(rawValue);
    return hasEnclosingQuotes(value) ? value.substr(1, value.size() - 2) : value;
}

// Lines without their LF or CR LF ends.
std::vector<std::string> splitLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::size_t contentEnd = end;
        if (contentEnd > start && text[contentEnd - 1] == '\r')
            --contentEnd;
        lines.push_back(text.substr(start, contentEnd - start));
        start = end + 1;
    }
    return lines;
}

std::string joinedWithCrLf(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\r\n";
    return text;
}

// The lines after the header of the first section of that name, up to the next
// header: later sections of the same name are never consulted.
struct SectionBody {
    std::size_t begin = 0;
    std::size_t end = 0;
};

std::optional<SectionBody> findSection(const std::vector<std::string>& lines,
                                       const std::string& section)
{
    const std::string wanted = trimmed(section);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const Line header = classify(lines[i]);
        if (header.kind != LineKind::Section || !sameName(header.name, wanted))
            continue;
        std::size_t end = i + 1;
        while (end < lines.size() && classify(lines[end]).kind != LineKind::Section)
            ++end;
        return SectionBody{i + 1, end};
    }
    return std::nullopt;
}

} // namespace

bool sameName(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lowered(a[i]) != lowered(b[i]))
            return false;
    }
    return true;
}

std::optional<std::string> findValue(const std::string& text, const std::string& section,
                                     const std::string& key)
{
    const std::vector<std::string> lines = splitLines(text);
    const std::optional<SectionBody> body = findSection(lines, section);
    if (!body)
        return std::nullopt;
    const std::string wanted = trimmed(key);
    for (std::size_t i = body->begin; i < body->end; ++i) {
        const Line line = classify(lines[i]);
        if (line.kind == LineKind::Key && sameName(line.name, wanted))
            return readValue(line.rawValue);
    }
    return std::nullopt;
}

std::vector<Entry> sectionEntries(const std::string& text, const std::string& section)
{
    std::vector<Entry> entries;
    const std::vector<std::string> lines = splitLines(text);
    const std::optional<SectionBody> body = findSection(lines, section);
    if (!body)
        return entries;
    // An index of the names taken so far keeps a long section linear.
    std::unordered_set<std::string> seen;
    for (std::size_t i = body->begin; i < body->end; ++i) {
        const Line line = classify(lines[i]);
        if (line.kind == LineKind::Key && seen.insert(loweredName(line.name)).second)
            entries.emplace_back(line.name, readValue(line.rawValue));
    }
    return entries;
}

std::string withValue(const std::string& text, const std::string& section, const std::string& key,
                      const std::string& storedValue)
{
    return withValues(text, section, {Entry(key, storedValue)});
}

std::string withValues(const std::string& text, const std::string& section,
                       const std::vector<Entry>& storedValues)
{
    std::vector<std::string> lines = splitLines(text);
    std::optional<SectionBody> body = findSection(lines, section);
    if (!body) {
        if (!lines.empty() && classify(lines.back()).kind != LineKind::Blank)
            lines.emplace_back();
        lines.push_back("[" + trimmed(section) + "]");
        body = SectionBody{lines.size(), lines.size()};
    }
    // A new key goes after the last entry, so that comments and blank lines
    // that introduce the next section stay with it.
    std::map<std::string, std::size_t> keyLines; // lowered name -> line
    std::size_t insertAt = body->begin;
    for (std::size_t i = body->begin; i < body->end; ++i) {
        const Line line = classify(lines[i]);
        if (line.kind == LineKind::Key)
            keyLines.emplace(loweredName(line.name), i);
        if (line.kind == LineKind::Key || line.kind == LineKind::Other)
            insertAt = i + 1;
    }
    std::vector<std::string> added;
    std::map<std::string, std::size_t> addedLines; // lowered name -> index in added
    for (const Entry& entry : storedValues) {
        const std::string name = trimmed(entry.first);
        const std::string lowered = loweredName(name);
        if (const auto found = keyLines.find(lowered); found != keyLines.end()) {
            lines[found->second] = classify(lines[found->second]).name + "=" + entry.second;
        } else if (const auto again = addedLines.find(lowered); again != addedLines.end()) {
            added[again->second] = name + "=" + entry.second;
        } else {
            addedLines.emplace(lowered, added.size());
            added.push_back(name + "=" + entry.second);
        }
    }
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insertAt), added.begin(), added.end());
    return joinedWithCrLf(lines);
}

bool isStorableSection(const std::string& section)
{
    for (const char c : section) {
        if (c == ']' || isLineEnd(c))
            return false;
    }
    return true;
}

bool isStorableKey(const std::string& key)
{
    const std::string name = trimmed(key);
    if (name.empty() || name.front() == ';' || name.front() == '[')
        return false;
    for (const char c : name) {
        if (c == '=' || isLineEnd(c))
            return false;
    }
    return true;
}

std::string storableValue(const std::string& value)
{
    std::string stored = value;
    for (char& c : stored) {
        if (isLineEnd(c))
            c = ' ';
    }
    const bool wouldLoseText = !stored.empty()
        && (isBlank(stored.front()) || isBlank(stored.back()) || hasEnclosingQuotes(stored));
    return wouldLoseText ? "\"" + stored + "\"" : stored;
}

} // namespace platform::profiletext
