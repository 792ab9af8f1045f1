#pragma once
// A small ordered tree of values that qrtz prints either as indented text or as JSON.
#include <cstdio>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace qrtz::tool {

class Report {
public:
    using Entry = std::pair<std::string, Report>;

    Report() : m_value(Object{}) {}
    Report(const char* text) : m_value(std::string(text)) {}
    Report(std::string text) : m_value(std::move(text)) {}
    Report(double number, int decimals = 6) : m_value(Number{number, decimals}) {}
    Report(int number) : m_value(static_cast<long long>(number)) {}
    Report(long long number) : m_value(number) {}

    static Report List() {
        Report r;
        r.m_value = Array{};
        return r;
    }

    // Adds a member to an object; returns it, so nested objects can be filled in place.
    Report& Add(std::string key, Report value);
    // Appends to a list.
    Report& Push(Report value);

    std::string Text(int indent = 0) const;
    std::string Json() const;

private:
    struct Number {
        double value;
        int decimals;
    };
    using Object = std::vector<Entry>;
    using Array = std::vector<Report>;
    std::variant<std::string, Number, long long, Object, Array> m_value;

    bool IsScalar() const;
    std::string ScalarText() const;
};

} // namespace qrtz::tool
