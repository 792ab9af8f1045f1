#include "Report.h"

#include <cmath>

namespace qrtz::tool {

namespace {

std::string jsonString(const std::string& s) {
    std::string out = "\"";
    for (unsigned char c : s) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", c);
                out += buf;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out + "\"";
}

} // namespace

Report& Report::Add(std::string key, Report value) {
    auto& object = std::get<Object>(m_value);
    object.emplace_back(std::move(key), std::move(value));
    return object.back().second;
}

Report& Report::Push(Report value) {
    auto& array = std::get<Array>(m_value);
    array.push_back(std::move(value));
    return array.back();
}

bool Report::IsScalar() const {
    return !std::holds_alternative<Object>(m_value) && !std::holds_alternative<Array>(m_value);
}

std::string Report::ScalarText() const {
    if (auto* s = std::get_if<std::string>(&m_value)) return *s;
    if (auto* n = std::get_if<long long>(&m_value)) return std::to_string(*n);
    const Number& num = std::get<Number>(m_value);
    if (!std::isfinite(num.value)) return "null";
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", num.decimals, num.value);
    return buf;
}

std::string Report::Text(int indent) const {
    const std::string pad(static_cast<std::size_t>(indent), ' ');
    std::string out;
    if (auto* object = std::get_if<Object>(&m_value)) {
        for (const auto& [key, value] : *object) {
            if (value.IsScalar()) {
                out += pad + key + ": " + value.ScalarText() + "\n";
            } else if (auto* list = std::get_if<Array>(&value.m_value);
                       list && !list->empty() && list->front().IsScalar()) {
                std::string joined;
                for (const Report& item : *list) joined += (joined.empty() ? "" : " ") + item.ScalarText();
                out += pad + key + ": " + joined + "\n";
            } else {
                out += pad + key + ":\n" + value.Text(indent + 2);
            }
        }
    } else if (auto* array = std::get_if<Array>(&m_value)) {
        for (const Report& item : *array) {
            std::string body = item.Text(indent + 2);
            if (item.IsScalar()) body = pad + "  " + item.ScalarText() + "\n";
            body[static_cast<std::size_t>(indent)] = '-';
            out += body;
        }
    } else {
        out += pad + ScalarText() + "\n";
    }
    return out;
}

std::string Report::Json() const {
    if (auto* object = std::get_if<Object>(&m_value)) {
        std::string out = "{";
        for (const auto& [key, value] : *object)
            out += (out.size() > 1 ? "," : "") + jsonString(key) + ":" + value.Json();
        return out + "}";
    }
    if (auto* array = std::get_if<Array>(&m_value)) {
        std::string out = "[";
        for (const Report& item : *array) out += (out.size() > 1 ? "," : "") + item.Json();
        return out + "]";
    }
    if (std::holds_alternative<std::string>(m_value)) return jsonString(std::get<std::string>(m_value));
    return ScalarText();
}

} // namespace qrtz::tool
