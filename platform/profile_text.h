#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

// The text of a private-profile file, read and edited the way the Win32
// profile calls treat it. Pure text functions; the callers do the file I/O.
namespace platform::profiletext {

using Entry = std::pair<std::string, std::string>;

// Section and key names are compared ignoring the letter case of A to Z.
bool sameName(const std::string& a, const std::string& b);

// The value of section/key as the profile calls return it: blanks trimmed, one
// pair of enclosing double quotes removed. Nothing when the key is missing.
std::optional<std::string> findValue(const std::string& text, const std::string& section,
                                     const std::string& key);

// Every key of the section with its value, in file order; the first of
// duplicate keys only.
std::vector<Entry> sectionEntries(const std::string& text, const std::string& section);

// The whole text with section/key set to value, every line ended by CR LF.
// Section and key must be storable, the value already made storable.
std::string withValue(const std::string& text, const std::string& section, const std::string& key,
                      const std::string& storedValue);

// Names that could not be read back as written are refused: a section name
// with "]" or a line end, a key that is empty or has "=" or a line end, or that
// would read as a comment or a section header.
// As withValue for several keys of one section at once; a later entry for
// the same key wins.
std::string withValues(const std::string& text, const std::string& section,
                       const std::vector<Entry>& storedValues);

bool isStorableSection(const std::string& section);
bool isStorableKey(const std::string& key);

// The value as it goes into the file: line ends become spaces, and quotes are
// added where blanks at either end or enclosing quotes would be lost on reading.
std::string storableValue(const std::string& value);

} // namespace platform::profiletext
