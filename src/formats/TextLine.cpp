#include "TextLine.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <system_error>

#include "qrtzdb/basis/KelException.h"
#include "qrtzdb/environment/TblAtom.h"

namespace qrtz::textline {

namespace {

// Quoted text in messages is cut here, as the stream cuts it.
constexpr std::size_t kMaxQuote = 80;

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// The stream's rule for numbers: the whole field, one leading '+' allowed before a digit.
std::string_view unsigned_(std::string_view text) {
    if (text.size() > 1 && text[0] == '+' && text[1] != '-' && text[1] != '+')
        text.remove_prefix(1);
    return text;
}

std::errc parseInt(std::string_view text, int& value) {
    text = unsigned_(text);
    const char* last = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), last, value);
    if (ec == std::errc() && ptr != last) return std::errc::invalid_argument;
    return ec;
}

std::errc parseReal(std::string_view text, double& value) {
    text = unsigned_(text);
    const char* last = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), last, value, std::chars_format::general);
    if (ec == std::errc() && ptr != last) return std::errc::invalid_argument;
    return ec;
}

// printf itself for what to_chars does not spell as printf does (inf, nan).
template <class... Args>
void appendPrintf(std::string& out, const char* format, Args... args) {
    char buffer[64];
    const int n = std::snprintf(buffer, sizeof buffer, format, args...);
    if (n < 0) return;
    if (static_cast<std::size_t>(n) < sizeof buffer) {
        out.append(buffer, static_cast<std::size_t>(n));
        return;
    }
    std::string big(static_cast<std::size_t>(n) + 1, '\0');
    std::snprintf(big.data(), big.size(), format, args...);
    out.append(big.data(), static_cast<std::size_t>(n));
}

} // namespace

// ---- LineBuilder ----

void LineBuilder::WriteTo(FileStream& out) {
    out.WriteText(m_text);
    m_text.clear();
}

LineBuilder& LineBuilder::Blanks(int count) {
    if (count > 0) m_text.append(static_cast<std::size_t>(count), ' ');
    return *this;
}

LineBuilder& LineBuilder::Left(std::string_view text, int width) {
    // A control byte in a name would break its line, or the reader's split into fields.
    const auto control = std::find_if(text.begin(), text.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u < 0x20 || u == 0x7F;
    });
    if (control != text.end())
        throw FsException(2, "the name \"" + std::string(text.substr(0, control - text.begin())) +
                                 "\" holds control character " +
                                 std::to_string(static_cast<unsigned char>(*control)) +
                                 " and cannot be written");
    m_text.append(text);
    if (static_cast<std::size_t>(width) > text.size())
        m_text.append(static_cast<std::size_t>(width) - text.size(), ' ');
    return *this;
}

void LineBuilder::PadLeft(std::size_t start, int width) {
    const std::size_t length = m_text.size() - start;
    if (static_cast<std::size_t>(width) > length)
        m_text.insert(start, static_cast<std::size_t>(width) - length, ' ');
}

LineBuilder& LineBuilder::Int(long long value, int width) {
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    const auto length = static_cast<std::size_t>(result.ptr - buffer);
    if (static_cast<std::size_t>(width) > length)
        m_text.append(static_cast<std::size_t>(width) - length, ' ');
    m_text.append(buffer, length);
    return *this;
}

LineBuilder& LineBuilder::ZeroInt(long long value, int width) {
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    std::string_view digits(buffer, static_cast<std::size_t>(result.ptr - buffer));
    // The zeros go between the sign and the digits.
    if (!digits.empty() && digits[0] == '-') {
        m_text.push_back('-');
        digits.remove_prefix(1);
        --width;
    }
    if (static_cast<std::size_t>(width) > digits.size())
        m_text.append(static_cast<std::size_t>(width) - digits.size(), '0');
    m_text.append(digits);
    return *this;
}

namespace {

constexpr int kMaxScale = 17;
constexpr std::uint64_t kPowersOfTen[kMaxScale + 1] = {
    1ULL,           10ULL,           100ULL,           1000ULL,          10000ULL,
    100000ULL,      1000000ULL,      10000000ULL,      100000000ULL,     1000000000ULL,
    10000000000ULL, 100000000000ULL, 1000000000000ULL, 10000000000000ULL, 100000000000000ULL,
    1000000000000000ULL, 10000000000000000ULL, 100000000000000000ULL};

#if defined(__SIZEOF_INT128__)
__extension__ typedef unsigned __int128 Unsigned128;

// |value|·10^scale rounded half to even, as printf rounds the exact value: a double is m·2^-s
// exactly, so the product is m·10^scale / 2^s, done in integers. False when the result would
// not fit in 64 bits or scale is out of reach.
bool scaledUnits(double value, int scale, bool& negative, std::uint64_t& units) {
    if (scale < 0 || scale > kMaxScale ||
        !(std::fabs(value) * static_cast<double>(kPowersOfTen[scale]) < 1e18))
        return false;
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    negative = bits >> 63;
    const int biased = static_cast<int>((bits >> 52) & 0x7ff);
    const std::uint64_t fraction = bits & ((std::uint64_t{1} << 52) - 1);
    const std::uint64_t mantissa = biased == 0 ? fraction : fraction | (std::uint64_t{1} << 52);
    const int shift = biased == 0 ? 1074 : 1075 - biased;  // |value| = mantissa / 2^shift
    const std::uint64_t factor = kPowersOfTen[scale];
    if (shift <= 0) {
        units = (mantissa << -shift) * factor;  // an integer, below 1e18 as checked
    } else if (shift >= 120) {
        units = 0;  // mantissa·10^17 is below 2^110, far from half of 2^shift
    } else {
        const Unsigned128 scaled = static_cast<Unsigned128>(mantissa) * factor;
        Unsigned128 quotient = scaled >> shift;
        const Unsigned128 remainder = scaled - (quotient << shift);
        const Unsigned128 half = static_cast<Unsigned128>(1) << (shift - 1);
        if (remainder > half || (remainder == half && (quotient & 1))) ++quotient;
        units = static_cast<std::uint64_t>(quotient);
    }
    return true;
}
#else
bool scaledUnits(double, int, bool&, std::uint64_t&) { return false; }
#endif

// units / 10^scale with scale decimals, the sign first when negative (printf keeps the sign of
// a negative value that rounds to 0). out holds at least 40 bytes.
std::size_t spellFixed(bool negative, std::uint64_t units, int scale, char* out) {
    char* at = out;
    if (negative) *at++ = '-';
    const std::uint64_t factor = kPowersOfTen[scale];
    at = std::to_chars(at, out + 40, units / factor).ptr;
    if (scale > 0) {
        *at++ = '.';
        std::uint64_t rest = units % factor;
        for (int i = scale - 1; i >= 0; --i) {
            at[i] = static_cast<char>('0' + rest % 10);
            rest /= 10;
        }
        at += scale;
    }
    return static_cast<std::size_t>(at - out);
}

// "%.<precision>f" where scaledUnits reaches.
bool exactFixed(double value, int precision, char* out, std::size_t& length) {
    bool negative = false;
    std::uint64_t units = 0;
    if (!scaledUnits(value, precision, negative, units)) return false;
    length = spellFixed(negative, units, precision, out);
    return true;
}

// "%.<precision>g" for values that take the fixed style (exponent from -4 to precision - 1).
// The exponent X is the one of the value rounded to `precision` digits; the fixed style then
// has precision - 1 - X decimals, trailing zeros and a bare point dropped.
bool exactGeneral(double value, int precision, char* out, std::size_t& length) {
    if (precision == 0) precision = 1;
    if (precision > kMaxScale || !std::isfinite(value)) return false;
    if (value == 0.0) {
        length = 0;
        if (std::signbit(value)) out[length++] = '-';
        out[length++] = '0';
        return true;
    }
    const double magnitude = std::fabs(value);
    if (magnitude < 1e-4 || magnitude >= 1e17) return false;
    // The binary exponent times log10(2) is the decimal one or one short of it.
    int exponent = static_cast<int>(std::floor(std::ilogb(magnitude) * 0.30102999566398120));
    bool negative = false;
    std::uint64_t units = 0;
    // The estimate may be one short, and rounding may carry into a new digit.
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (exponent < -4 || exponent >= precision) return false;
        if (!scaledUnits(value, precision - 1 - exponent, negative, units)) return false;
        if (units >= kPowersOfTen[precision]) ++exponent;
        else if (units < kPowersOfTen[precision - 1]) --exponent;
        else break;
        if (attempt == 2) return false;
    }
    length = spellFixed(negative, units, precision - 1 - exponent, out);
    if (precision - 1 - exponent > 0) {
        while (out[length - 1] == '0') --length;
        if (out[length - 1] == '.') --length;
    }
    return true;
}

} // namespace

LineBuilder& LineBuilder::Fixed(double value, int width, int precision) {
    const std::size_t start = m_text.size();
    char buffer[340 + 32];  // the largest double has 309 integer digits
    std::size_t length = 0;
    if (exactFixed(value, precision, buffer, length)) {
        if (static_cast<std::size_t>(width) > length)
            m_text.append(static_cast<std::size_t>(width) - length, ' ');
        m_text.append(buffer, length);
        return *this;
    }
    if (!std::isfinite(value) || precision > 32) {
        appendPrintf(m_text, "%*.*f", width, precision, value);
        return *this;
    }
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value,
                                      std::chars_format::fixed, precision);
    if (result.ec != std::errc()) {
        appendPrintf(m_text, "%*.*f", width, precision, value);
        return *this;
    }
    m_text.append(buffer, result.ptr);
    PadLeft(start, width);
    return *this;
}

LineBuilder& LineBuilder::General(double value, int width, int precision) {
    const std::size_t start = m_text.size();
    char buffer[64];
    std::size_t length = 0;
    if (exactGeneral(value, precision, buffer, length)) {
        if (static_cast<std::size_t>(width) > length)
            m_text.append(static_cast<std::size_t>(width) - length, ' ');
        m_text.append(buffer, length);
        return *this;
    }
    if (!std::isfinite(value) || precision > 32) {
        appendPrintf(m_text, "%*.*g", width, precision, value);
        return *this;
    }
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value,
                                      std::chars_format::general, precision);
    if (result.ec != std::errc()) {
        appendPrintf(m_text, "%*.*g", width, precision, value);
        return *this;
    }
    m_text.append(buffer, result.ptr);
    PadLeft(start, width);
    return *this;
}

// ---- TextRecord ----

void TextRecord::Next(const char* expected) {
    if (!m_in.ReadLine()) {
        m_count = 0;
        std::string message;
        if (!m_in.GetName().empty()) message.append(m_in.GetName()).append(": ");
        message.append("line ")
            .append(std::to_string(m_in.GetLineNumber() + 1))
            .append(": the input ends where ")
            .append(expected)
            .append(" should be");
        throw FsException(1, std::move(message));
    }
    const std::string_view line = m_in.CurrentLine();
    m_count = 0;
    std::size_t at = 0;
    const std::size_t end = line.size();
    while (true) {
        while (at < end && isBlank(line[at])) ++at;
        if (at == end) break;
        const std::size_t begin = at;
        while (at < end && !isBlank(line[at])) ++at;
        if (m_count < kKept)
            m_fields[static_cast<std::size_t>(m_count)] = line.substr(begin, at - begin);
        ++m_count;
    }
}

std::string_view TextRecord::Field(int i) const {
    return i >= 0 && i < m_count && i < kKept ? m_fields[static_cast<std::size_t>(i)]
                                              : std::string_view();
}

std::size_t TextRecord::Indent() const {
    const std::string_view line = Line();
    std::size_t at = 0;
    while (at < line.size() && isBlank(line[at])) ++at;
    return at;
}

bool TextRecord::IsInt(int i) const {
    int value = 0;
    return i < m_count && i < kKept && parseInt(Field(i), value) == std::errc();
}

bool TextRecord::IsNumber(int i) const {
    double value = 0;
    return i < m_count && i < kKept && parseReal(Field(i), value) == std::errc();
}

int TextRecord::Int(int i, const char* what) const {
    if (i >= m_count || i >= kKept) FailField(i, "is missing", what);
    int value = 0;
    const std::errc ec = parseInt(Field(i), value);
    if (ec == std::errc::result_out_of_range) FailField(i, "is out of range", what);
    if (ec != std::errc()) FailField(i, "is not an integer", what);
    return value;
}

double TextRecord::Real(int i, const char* what) const {
    if (i >= m_count || i >= kKept) FailField(i, "is missing", what);
    double value = 0;
    const std::errc ec = parseReal(Field(i), value);
    if (ec == std::errc::result_out_of_range) FailField(i, "is out of range", what);
    if (ec != std::errc()) FailField(i, "is not a number", what);
    return value;
}

std::string_view TextRecord::Text(int i, const char* what) const {
    if (i >= m_count || i >= kKept) FailField(i, "is missing", what);
    const std::string_view text = Field(i);
    if (text.size() > kMaxText)
        FailField(i, ("is longer than " + std::to_string(kMaxText) + " bytes").c_str(), what);
    return text;
}

void TextRecord::Symbol(int i, const char* what, CString& symbol) const {
    symbol.assign(Text(i, what));
    if (symbol.size() < 2) symbol.resize(2, ' ');
}

void TextRecord::Fail(const std::string& problem) const {
    std::string message;
    if (!m_in.GetName().empty()) message.append(m_in.GetName()).append(": ");
    message.append("line ").append(std::to_string(LineNumber())).append(": ").append(problem);
    const std::string_view quoted = Line();
    message.append(": '").append(quoted.substr(0, kMaxQuote));
    if (quoted.size() > kMaxQuote) message.append("...");
    message.append("'");
    throw FsException(1, std::move(message));
}

void TextRecord::FailField(int i, const char* problem, const char* what) const {
    Fail("field " + std::to_string(i + 1) + " (" + what + ") " + problem);
}

// ---- ElementCache ----

const ElementCache::Entry& ElementCache::Find(const CString& symbol) {
    if (m_last && *m_lastKey == symbol) return *m_last;
    auto it = m_entries.find(std::string_view(symbol));
    if (it == m_entries.end()) {
        const int index = TblAtom::FindRegIndex(symbol.c_str());
        it = m_entries.emplace(symbol, Entry{TblAtom::GetRadius(index), TblAtom::GetMass(index)})
                 .first;
    }
    m_lastKey = &it->first;
    m_last = &it->second;
    return *m_last;
}

// ---- blank names ----

CString BlankName(const TextRecord& record, int next, std::size_t before, std::size_t after,
                  int numberWidth) {
    const std::string_view line = record.Line();
    const std::string_view number = record.Field(next);
    const auto fieldStart = static_cast<std::size_t>(number.data() - line.data());
    std::size_t gapStart = 0;
    if (next > 0) {
        const std::string_view previous = record.Field(next - 1);
        gapStart = static_cast<std::size_t>(previous.data() - line.data()) + previous.size();
    }
    const std::size_t gap = fieldStart - gapStart;
    const std::size_t padding =
        static_cast<std::size_t>(numberWidth) > number.size() ? numberWidth - number.size() : 0;
    const std::size_t used = before + after + padding;
    if (gap <= used) return CString();
    return CString(line.substr(gapStart + before, gap - used));
}

} // namespace qrtz::textline
