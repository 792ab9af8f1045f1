#include "qrtzdb/platform/PrivateProfile.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <vector>

#include "qrtzdb/platform/FileSystem.h"
#include "qrtzdb/platform/SettingsLock.h"

namespace qrtz {

namespace {

struct Line {
    CString text;    // without its line end
    CString ending;  // "\n", "\r\n", or "" for an unterminated last line
};

struct Profile {
    std::vector<Line> lines;
    CString newline = "\n";
};

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trim(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

bool equalNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto x = static_cast<unsigned char>(a[i]);
        auto y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x + 32);
        if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y + 32);
        if (x != y) return false;
    }
    return true;
}

Profile parse(const CString& content) {
    Profile p;
    std::size_t at = 0;
    while (at < content.size()) {
        auto eol = content.find('\n', at);
        Line line;
        if (eol == CString::npos) {
            line.text = content.substr(at);
            at = content.size();
        } else {
            line.text = content.substr(at, eol - at);
            line.ending = "\n";
            at = eol + 1;
        }
        // Only "\r\n" ends a line: a last line that stops at a lone '\r' has no ending yet,
        // so what is added after it starts a line of its own.
        if (!line.ending.empty() && !line.text.empty() && line.text.back() == '\r') {
            line.text.pop_back();
            line.ending = "\r" + line.ending;
        }
        if (p.lines.empty() && line.ending == "\r\n") p.newline = "\r\n";
        p.lines.push_back(std::move(line));
    }
    return p;
}

bool sectionName(const CString& text, std::string_view& name) {
    std::string_view t = trim(text);
    if (t.empty() || t.front() != '[') return false;
    t.remove_prefix(1);
    auto close = t.find(']');
    name = trim(close == std::string_view::npos ? t : t.substr(0, close));
    return true;
}

bool keyAndValue(const CString& text, std::string_view& key, std::string_view& value) {
    std::string_view t = trim(text);
    if (t.empty() || t.front() == ';') return false;
    auto eq = t.find('=');
    if (eq == std::string_view::npos) return false;
    key = trim(t.substr(0, eq));
    value = trim(t.substr(eq + 1));
    return true;
}

// The line range [begin, end) of the first section named section, header included;
// begin == lines.size() when there is none.
std::pair<std::size_t, std::size_t> findSection(const Profile& p, std::string_view section) {
    std::size_t n = p.lines.size();
    std::size_t begin = n;
    for (std::size_t i = 0; i < n; ++i) {
        std::string_view name;
        if (!sectionName(p.lines[i].text, name)) continue;
        if (begin != n) return {begin, i};
        if (equalNoCase(name, section)) begin = i;
    }
    return {begin, n};
}

std::size_t findKey(const Profile& p, std::pair<std::size_t, std::size_t> range,
                    std::string_view key) {
    for (std::size_t i = range.first + 1; i < range.second; ++i) {
        std::string_view k, v;
        if (keyAndValue(p.lines[i].text, k, v) && equalNoCase(k, key)) return i;
    }
    return p.lines.size();
}

bool lookUp(const char* section, const char* key, const char* fileName, CString& value) {
    if (!section || !key || !fileName) return false;
    CString content;
    if (ReadWholeFile(fileName, content) != 0) return false;
    Profile p = parse(content);
    auto range = findSection(p, trim(section));
    if (range.first == p.lines.size()) return false;
    std::size_t at = findKey(p, range, trim(key));
    if (at == p.lines.size()) return false;
    std::string_view k, v;
    keyAndValue(p.lines[at].text, k, v);
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        v = v.substr(1, v.size() - 2);
    value.assign(v);
    return true;
}

bool holdsLineBreak(const char* s) { return s && std::strpbrk(s, "\r\n") != nullptr; }

CString serialise(const Profile& p) {
    CString out;
    for (const Line& line : p.lines) {
        out += line.text;
        out += line.ending;
    }
    return out;
}

void insertLine(Profile& p, std::size_t at, CString text) {
    if (at > 0 && p.lines[at - 1].ending.empty()) p.lines[at - 1].ending = p.newline;
    p.lines.insert(p.lines.begin() + static_cast<std::ptrdiff_t>(at),
                   Line{std::move(text), p.newline});
}

} // namespace

std::uint32_t GetPrivateProfileString(const char* section, const char* key,
                                      const char* defaultText, char* buffer,
                                      std::uint32_t size, const char* fileName) {
    if (!buffer || size == 0) return 0;
    CString value;
    if (!lookUp(section, key, fileName, value)) value = defaultText ? defaultText : "";
    std::size_t n = std::min<std::size_t>(value.size(), size - 1);
    std::memcpy(buffer, value.data(), n);
    buffer[n] = '\0';
    return static_cast<std::uint32_t>(n);
}

CString GetPrivateProfileString(const char* section, const char* key, const char* defaultText,
                                const char* fileName) {
    CString value;
    if (!lookUp(section, key, fileName, value)) value = defaultText ? defaultText : "";
    return value;
}

int WritePrivateProfileString(const char* section, const char* key, const char* value,
                              const char* fileName) {
    if (!section || !fileName || !*fileName) return 0;
    if (holdsLineBreak(section) || holdsLineBreak(key) || holdsLineBreak(value)) return 0;
    if (std::strchr(section, ']') || (key && std::strchr(key, '='))) return 0;
    std::string_view sectionKey = trim(section);
    std::string_view entryKey = key ? trim(key) : std::string_view();
    if (key && (entryKey.empty() || entryKey.front() == ';' || entryKey.front() == '['))
        return 0;

    // From the read to the rename, so that a writer of another entry cannot slip in between.
    SettingsLock lock(fileName);
    if (!lock.IsHeld()) return 0;
    CString content;
    int error = ReadWholeFile(fileName, content);
    if (error != 0 && error != ENOENT) return 0;
    Profile p = parse(content);
    auto range = findSection(p, sectionKey);
    bool found = range.first != p.lines.size();

    if (!key) {
        if (!found) return 1;
        p.lines.erase(p.lines.begin() + static_cast<std::ptrdiff_t>(range.first),
                      p.lines.begin() + static_cast<std::ptrdiff_t>(range.second));
    } else if (!value) {
        if (!found) return 1;
        std::size_t at = findKey(p, range, entryKey);
        if (at == p.lines.size()) return 1;
        p.lines.erase(p.lines.begin() + static_cast<std::ptrdiff_t>(at));
    } else {
        CString line = CString(entryKey) + "=" + value;
        if (!found) {
            insertLine(p, p.lines.size(), "[" + CString(sectionKey) + "]");
            insertLine(p, p.lines.size(), std::move(line));
        } else if (std::size_t at = findKey(p, range, entryKey); at != p.lines.size()) {
            p.lines[at].text = std::move(line);
        } else {
            // After the section's last non-blank line, so blank separators stay in place.
            std::size_t after = range.second;
            while (after > range.first + 1 && trim(p.lines[after - 1].text).empty()) --after;
            insertLine(p, after, std::move(line));
        }
    }
    return WriteFileAtomically(fileName, serialise(p)) == 0 ? 1 : 0;
}

} // namespace qrtz
