#include "qrtzdb/basis/FileStream.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <istream>
#include <ostream>
#include <sys/stat.h>
#include <sys/types.h>
#include <type_traits>

#include "qrtzdb/basis/KelException.h"

namespace qrtz {

namespace {

// A memory-block line is prefixed by a single length byte.
constexpr std::size_t kMaxBlockLine = 255;
// Quoted text in messages is cut here, so a runaway line does not make a runaway message.
constexpr std::size_t kMaxQuote = 80;

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// Walks the '\n'-separated lines of a text; a text without '\n' (also an empty one) is one line.
struct LineCutter {
    explicit LineCutter(std::string_view text) : rest(text) {}

    bool Next() {
        if (done) return false;
        const std::size_t cut = rest.find('\n');
        line = rest.substr(0, cut);
        if (cut == std::string_view::npos) done = true;
        else rest.remove_prefix(cut + 1);
        return true;
    }

    std::string_view rest;
    std::string_view line;
    bool done = false;
};

} // namespace

FileStream::FileStream(Target target, std::istream* in, std::ostream* out)
    : m_target(target), m_in(in), m_out(out) {}

FileStream::FileStream(std::FILE* file) : FileStream(Target::file, nullptr, nullptr) {
    m_file = file;
}
FileStream::FileStream(std::istream& in) : FileStream(Target::stream, &in, nullptr) {}
FileStream::FileStream(std::ostream& out) : FileStream(Target::stream, nullptr, &out) {}
FileStream::FileStream(std::iostream& io) : FileStream(Target::stream, &io, &io) {}
FileStream::FileStream(MdlCbStr& block) : FileStream(Target::block, nullptr, nullptr) {
    m_block = &block;
}

FileStream::~FileStream() { std::free(m_fileBuffer); }

// ---- reading lines ----

const char* FileStream::ReadLine() {
    m_cursor = 0;
    m_tokensTaken = 0;
    if (!FetchLine()) {
        m_line.clear();
        return nullptr;
    }
    ++m_lineNumber;
    if (!m_line.empty() && m_line.back() == '\r') m_line.pop_back();
    return m_line.c_str();
}

bool FileStream::FetchLine() {
    switch (m_target) {
    case Target::file: return FetchFileLine();
    case Target::stream: return FetchStreamLine();
    case Target::block: return FetchBlockLine();
    }
    return false;
}

// getline keeps the file positioned just after the line, so a caller may go on with the
// FILE* itself after the stream is done with it.
bool FileStream::FetchFileLine() {
    if (!m_file) Fail(m_lineNumber + 1, "no file to read from", {});
    errno = 0;
    ssize_t n = ::getline(&m_fileBuffer, &m_fileCapacity, m_file);
    if (n < 0) {
        if (std::ferror(m_file))
            Fail(m_lineNumber + 1, std::string("read error: ") + std::strerror(errno), {});
        return false;
    }
    std::size_t length = static_cast<std::size_t>(n);
    if (length > 0 && m_fileBuffer[length - 1] == '\n') --length;
    m_line.assign(m_fileBuffer, length);
    return true;
}

bool FileStream::FetchStreamLine() {
    if (!m_in) Fail(m_lineNumber + 1, "the stream is open for writing only", {});
    if (std::getline(*m_in, m_line)) return true;
    if (m_in->bad()) Fail(m_lineNumber + 1, "read error", {});
    return false;
}

bool FileStream::FetchBlockLine() {
    MdlCbStr& block = *m_block;
    const std::uint32_t size = block.address ? block.size : 0;
    if (block.position >= size) return false;
    const std::size_t length = block.address[block.position];
    if (length > size - block.position - 1)
        Fail(m_lineNumber + 1,
             "length byte " + std::to_string(length) + " at offset " +
                 std::to_string(block.position) + " runs past the end of the " +
                 std::to_string(size) + "-byte block",
             {});
    const unsigned char* text = block.address + block.position + 1;
    m_line.assign(reinterpret_cast<const char*>(text), length);
    block.position += static_cast<std::uint32_t>(1 + length);
    return true;
}

long long FileStream::BytesLeft() const {
    switch (m_target) {
    case Target::file: {
        struct stat st {};
        if (!m_file || ::fstat(::fileno(m_file), &st) != 0 || !S_ISREG(st.st_mode)) return -1;
        const off_t at = ::ftello(m_file);
        return at < 0 ? -1 : std::max<long long>(0, static_cast<long long>(st.st_size) - at);
    }
    case Target::stream: {
        if (!m_in || !m_in->good()) return -1;
        const std::istream::pos_type at = m_in->tellg();
        if (at == std::istream::pos_type(-1)) return -1;
        m_in->seekg(0, std::ios::end);
        const std::istream::pos_type end = m_in->tellg();
        m_in->clear();
        m_in->seekg(at);
        if (end == std::istream::pos_type(-1)) return -1;
        return std::max<long long>(0, static_cast<long long>(end - at));
    }
    case Target::block:
        return m_block->position >= m_block->size ? 0 : m_block->size - m_block->position;
    }
    return -1;
}

// ---- tokens ----

std::string_view FileStream::ReadToken() { return TakeToken("a token"); }

void FileStream::ReadToken(CString& token, std::size_t maxLength) {
    std::string_view text = TakeToken("a token");
    if (text.size() > maxLength)
        Fail(m_lineNumber, "field " + std::to_string(m_tokensTaken) + " is longer than " +
                 std::to_string(maxLength) + " bytes",
             text);
    token.assign(text);
}

FileStream& FileStream::operator>>(CString& token) {
    token.assign(TakeToken("a text field"));
    return *this;
}

FileStream& FileStream::operator>>(int& value) {
    TakeNumber(value, "an integer");
    return *this;
}

FileStream& FileStream::operator>>(float& value) {
    TakeNumber(value, "a real number");
    return *this;
}

FileStream& FileStream::operator>>(double& value) {
    TakeNumber(value, "a real number");
    return *this;
}

FileStream& FileStream::operator>>(AtomType& symbol) {
    TakePadded(symbol);
    return *this;
}

FileStream& FileStream::operator>>(BondType& symbol) {
    TakePadded(symbol);
    return *this;
}

std::string_view FileStream::TakeToken(const char* what) {
    const std::size_t end = m_line.size();
    std::size_t begin = m_cursor;
    while (begin < end && isBlank(m_line[begin])) ++begin;
    if (begin == end)
        Fail(m_lineNumber,
             "field " + std::to_string(m_tokensTaken + 1) + " (" + what + ") is missing", m_line);
    std::size_t stop = begin;
    while (stop < end && !isBlank(m_line[stop])) ++stop;
    m_cursor = stop;
    ++m_tokensTaken;
    return std::string_view(m_line).substr(begin, stop - begin);
}

template <class Number>
void FileStream::TakeNumber(Number& value, const char* what) {
    const std::string_view token = TakeToken(what);
    std::string_view digits = token;
    // from_chars takes no '+'; one is allowed, but not in front of a second sign.
    if (digits.size() > 1 && digits[0] == '+' && digits[1] != '-' && digits[1] != '+')
        digits.remove_prefix(1);
    Number parsed{};
    const char* last = digits.data() + digits.size();
    std::from_chars_result result{};
    if constexpr (std::is_integral_v<Number>)
        result = std::from_chars(digits.data(), last, parsed);
    else
        result = std::from_chars(digits.data(), last, parsed, std::chars_format::general);
    if (result.ec == std::errc() && result.ptr == last) {
        value = parsed;
        return;
    }
    const char* problem = result.ec == std::errc::result_out_of_range ? " is out of range for "
                                                                       : " is not ";
    Fail(m_lineNumber, "field " + std::to_string(m_tokensTaken) + problem + what, token);
}

void FileStream::TakePadded(PaddedToken& symbol) {
    symbol.m_text.assign(TakeToken("a symbol"));
    if (symbol.m_text.size() < 2) symbol.m_text.resize(2, ' ');
}

// ---- writing ----

void FileStream::WriteLine(const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    std::va_list again;
    va_copy(again, args);
    if (m_formatted.size() < 256) m_formatted.resize(256);
    int n = std::vsnprintf(m_formatted.data(), m_formatted.size(), format, args);
    va_end(args);
    if (n >= 0 && static_cast<std::size_t>(n) >= m_formatted.size()) {
        m_formatted.resize(static_cast<std::size_t>(n) + 1);
        n = std::vsnprintf(m_formatted.data(), m_formatted.size(), format, again);
    }
    va_end(again);
    if (n < 0) Fail(m_lineNumber + 1, "cannot format the line", format);
    WriteText(std::string_view(m_formatted.data(), static_cast<std::size_t>(n)));
}

void FileStream::WriteText(std::string_view line) {
    switch (m_target) {
    case Target::file: PutFileLine(line); break;
    case Target::stream: PutStreamLine(line); break;
    case Target::block: PutBlockLines(line); return;
    }
    // A '\n' inside made more than one line, as the block form counts them.
    m_lineNumber += static_cast<int>(std::count(line.begin(), line.end(), '\n'));
}

void FileStream::PutFileLine(std::string_view line) {
    if (!m_file) Fail(m_lineNumber + 1, "no file to write to", {});
    if (std::fwrite(line.data(), 1, line.size(), m_file) != line.size() ||
        std::fputc('\n', m_file) == EOF)
        Fail(m_lineNumber + 1, std::string("write error: ") + std::strerror(errno), line);
    ++m_lineNumber;
}

void FileStream::PutStreamLine(std::string_view line) {
    if (!m_out) Fail(m_lineNumber + 1, "the stream is open for reading only", {});
    m_out->write(line.data(), static_cast<std::streamsize>(line.size()));
    m_out->put('\n');
    if (!*m_out) Fail(m_lineNumber + 1, "write error", line);
    ++m_lineNumber;
}

void FileStream::PutBlockLines(std::string_view text) {
    MdlCbStr& block = *m_block;
    // Every line is checked before the first byte goes out, so a write that fails leaves the
    // block as it was.
    std::size_t needed = 0;
    int lineNumber = m_lineNumber;
    for (LineCutter lines(text); lines.Next();) {
        ++lineNumber;
        if (lines.line.size() > kMaxBlockLine)
            Fail(lineNumber,
                 std::to_string(lines.line.size()) + " bytes, more than the " +
                     std::to_string(kMaxBlockLine) + " a memory-block line holds",
                 lines.line);
        needed += 1 + lines.line.size();
    }
    const std::uint32_t size = block.address ? block.size : 0;
    const std::size_t left = block.position < size ? size - block.position : 0;
    if (needed > left)
        Fail(m_lineNumber + 1,
             "the " + std::to_string(size) + "-byte memory block is full (" +
                 std::to_string(left) + " bytes left, " + std::to_string(needed) + " needed)",
             text);

    for (LineCutter lines(text); lines.Next();) {
        unsigned char* at = block.address + block.position;
        at[0] = static_cast<unsigned char>(lines.line.size());
        if (!lines.line.empty()) std::memcpy(at + 1, lines.line.data(), lines.line.size());
        block.position += static_cast<std::uint32_t>(1 + lines.line.size());
        ++m_lineNumber;
    }
}

// ---- errors ----

void FileStream::Fail(int line, std::string_view problem, std::string_view quoted) const {
    std::string message;
    if (!m_name.empty()) message.append(m_name).append(": ");
    message.append("line ").append(std::to_string(line)).append(": ").append(problem);
    if (!quoted.empty()) {
        message.append(": '").append(quoted.substr(0, kMaxQuote));
        if (quoted.size() > kMaxQuote) message.append("...");
        message.append("'");
    }
    throw FsException(1, std::move(message));
}

} // namespace qrtz
