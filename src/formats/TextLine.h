#pragma once
// Building and taking apart the lines of the native text databases; not installed.
//
// LineBuilder writes the few printf conversions the formats use byte for byte as printf writes
// them (a test holds them to snprintf), rounding the exact binary value in integers where it
// can and through std::to_chars elsewhere: a million atom lines through vsnprintf cost most of
// a second, this way a fraction of that.
//
// TextRecord reads one line and splits it into blank-separated fields once, so a reader can
// look at a line's shape (how many fields, which are numbers) before it takes the values.
#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>

#include "qrtzdb/basis/FileStream.h"
#include "qrtzdb/platform/CString.h"

namespace qrtz::textline {

class LineBuilder {
public:
    LineBuilder() { m_text.reserve(256); }

    void Clear() { m_text.clear(); }
    std::string_view View() const { return m_text; }
    // Puts the line out through the stream and empties the builder.
    void WriteTo(FileStream& out);

    // "%s"
    LineBuilder& Text(std::string_view text) {
        m_text.append(text);
        return *this;
    }
    LineBuilder& Blanks(int count);
    // "%-<width>s" for a name; throws FsException(2) when it holds a control character.
    LineBuilder& Left(std::string_view text, int width);
    // "%<width>d"
    LineBuilder& Int(long long value, int width);
    // "%0<width>d"
    LineBuilder& ZeroInt(long long value, int width);
    // "%<width>.<precision>f"
    LineBuilder& Fixed(double value, int width, int precision);
    // "%<width>.<precision>g"
    LineBuilder& General(double value, int width, int precision);

private:
    void PadLeft(std::size_t start, int width);

    std::string m_text;
};

// One line of input and its fields. Fields are views into the stream's current line and stay
// valid until the next Next().
class TextRecord {
public:
    // Text fields (names, symbols) are taken into 260-byte buffers by the format's readers.
    static constexpr std::size_t kMaxText = 259;

    explicit TextRecord(FileStream& in) : m_in(in) {}

    // Reads the next line; at the end of the input throws FsException(1) naming the line that
    // is missing and what it should have held.
    void Next(const char* expected);

    std::string_view Line() const { return m_in.CurrentLine(); }
    int LineNumber() const { return m_in.GetLineNumber(); }
    // Every field of the line, also those beyond the ones kept for Field().
    int Count() const { return m_count; }
    std::string_view Field(int i) const;
    // Blanks before the first field.
    std::size_t Indent() const;

    bool IsInt(int i) const;
    bool IsNumber(int i) const;
    // A number that is not an integer: "1.5000", "1e5", "inf", as %f and %g write reals.
    bool IsReal(int i) const { return IsNumber(i) && !IsInt(i); }

    // The field converted; FsException(1) quoting the line when it is missing, not of that
    // kind, or (as text) longer than kMaxText bytes.
    int Int(int i, const char* what) const;
    double Real(int i, const char* what) const;
    std::string_view Text(int i, const char* what) const;
    // A symbol padded with blanks to two bytes, as element and bond-type keys are.
    void Symbol(int i, const char* what, CString& symbol) const;

    [[noreturn]] void Fail(const std::string& problem) const;
    [[noreturn]] void FailField(int i, const char* problem, const char* what) const;

private:
    static constexpr int kKept = 16;

    FileStream& m_in;
    std::array<std::string_view, kKept> m_fields{};
    int m_count = 0;
};

// The element table's radius and mass for a symbol, each distinct symbol looked up once per
// read. The table does not change during a read, and an unknown symbol takes its free slot on
// the first lookup either way.
class ElementCache {
public:
    struct Entry {
        double radius;
        double mass;
    };

    const Entry& Find(const CString& symbol);

private:
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const {
            return std::hash<std::string_view>{}(s);
        }
    };

    std::unordered_map<std::string, Entry, Hash, std::equal_to<>> m_entries;
    const std::string* m_lastKey = nullptr;
    const Entry* m_last = nullptr;
};

// The name of a record whose name field is blank, recovered from the line's layout: of the
// blanks before field `next` (a number written "%<numberWidth>d"), those left after the
// writer's separators before and after the name and the number's own padding. A blank name
// padded to a width comes back as that many blanks.
CString BlankName(const TextRecord& record, int next, std::size_t before, std::size_t after,
                  int numberWidth);

} // namespace qrtz::textline
