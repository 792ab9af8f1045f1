#pragma once
// Line and token handling shared by the settings files; not installed.
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <string_view>
#include <vector>

#include "qrtzdb/platform/CString.h"

namespace qrtz::settingstext {

inline bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// The lines of a file, without line ends (a trailing carriage return goes too). Lines keep
// every other byte, NUL included, and any length.
inline std::vector<std::string_view> SplitLines(std::string_view content) {
    std::vector<std::string_view> lines;
    while (!content.empty()) {
        auto eol = content.find('\n');
        std::string_view line = content.substr(0, eol);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        if (eol == std::string_view::npos) break;
        content.remove_prefix(eol + 1);
    }
    return lines;
}

// Whitespace-separated tokens of one line. A number must fill its whole token; one that does
// not, or lies outside its type's range, or is not finite, is refused.
class Tokens {
public:
    explicit Tokens(std::string_view line) : m_rest(line) {}

    std::string_view Next() {
        std::size_t i = 0;
        while (i < m_rest.size() && IsSpace(m_rest[i])) ++i;
        std::size_t j = i;
        while (j < m_rest.size() && !IsSpace(m_rest[j])) ++j;
        std::string_view token = m_rest.substr(i, j - i);
        m_rest.remove_prefix(j);
        return token;
    }

    // What is left of the line, without surrounding white space.
    std::string_view Rest() const {
        std::string_view r = m_rest;
        while (!r.empty() && IsSpace(r.front())) r.remove_prefix(1);
        while (!r.empty() && IsSpace(r.back())) r.remove_suffix(1);
        return r;
    }

    bool Int(int& value) {
        std::string_view t = unsigned_(Next());
        int v = 0;
        auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
        if (t.empty() || ec != std::errc() || end != t.data() + t.size()) return false;
        value = v;
        return true;
    }

    bool Double(double& value) {
        std::string_view t = unsigned_(Next());
        double v = 0.0;
        auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
        if (t.empty() || ec != std::errc() || end != t.data() + t.size() || !std::isfinite(v))
            return false;
        value = v;
        return true;
    }

    bool Float(float& value) {
        double v = 0.0;
        if (!Double(v) || std::fabs(v) > FLT_MAX) return false;
        value = static_cast<float>(v);
        return true;
    }

private:
    // from_chars takes no leading '+'; a settings file may well have one.
    static std::string_view unsigned_(std::string_view t) {
        if (t.size() > 1 && t[0] == '+' && t[1] != '-' && t[1] != '+') t.remove_prefix(1);
        return t;
    }

    std::string_view m_rest;
};

} // namespace qrtz::settingstext
