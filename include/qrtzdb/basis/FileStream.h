#pragma once
// A line text stream over a C file, an iostream or a memory block. Readers take one line at a
// time and pull blank-separated tokens from it; writers put out one formatted line at a time.
// Every failure (no line or token left, a token that is not the number asked for, a write that
// does not fit or does not go through) throws FsException(1) naming the line and quoting the text.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <iosfwd>
#include <string>
#include <string_view>

#include "qrtzdb/platform/CString.h"

#if defined(__GNUC__)
#define QRTZ_PRINTF_FORMAT(fmt, first) __attribute__((format(printf, fmt, first)))
#else
#define QRTZ_PRINTF_FORMAT(fmt, first)
#endif

namespace qrtz {

// A memory block read or written line by line, the way other chemistry programs lay out their
// clipboard text: each line is one length byte (0 to 255) followed by that many bytes, with no
// terminator. position is the offset of the next line and advances as the stream works; the
// block ends at size, and nothing is ever read or written outside [address, address + size).
struct MdlCbStr {
    // A block of size bytes at address; null address gives an empty block.
    MdlCbStr(void* address_, std::uint32_t size_)
        : address(static_cast<unsigned char*>(address_)), size(address_ ? size_ : 0) {}

    // The offset of the next line.
    std::uint32_t position = 0;
    // The block and its size in bytes.
    unsigned char* address;
    std::uint32_t size;
};

// The stream readers and writers work on (see above). It does not own the file or block.
class FileStream {
public:
    // A token blank-padded to at least two bytes, as element and bond-type table keys are
    // ("H" comes back as "H "). Longer tokens are kept whole.
    class PaddedToken {
    public:
        // The token, as a string and as a C string.
        const CString& Text() const { return m_text; }
        const char* c_str() const { return m_text.c_str(); }

    private:
        friend class FileStream;
        CString m_text;
    };
    class AtomType : public PaddedToken {};
    class BondType : public PaddedToken {};

    // The stream does not own what it works on: the file, the iostream and the block must
    // outlive it, and the caller closes them.
    explicit FileStream(std::FILE* file);
    explicit FileStream(std::istream& in);
    explicit FileStream(std::ostream& out);
    explicit FileStream(std::iostream& io);
    explicit FileStream(MdlCbStr& block);
    FileStream(const FileStream&) = delete;
    FileStream& operator=(const FileStream&) = delete;
    ~FileStream();

    // Shown before the line number in messages, typically the file name.
    void SetName(const char* name) { m_name = name ? name : ""; }
    const CString& GetName() const { return m_name; }

    // Lines read or written so far; the current line's number while reading.
    int GetLineNumber() const { return m_lineNumber; }

    // The next line, without its end ("\n" or "\r\n"), of any length; it becomes the current
    // line and stays valid until the next ReadLine. Null at the end of the input.
    const char* ReadLine();
    std::string_view CurrentLine() const { return m_line; }
    // Bytes of input after the current line, where the input can tell (a regular file, a
    // seekable stream, a memory block); -1 where it cannot (a pipe). Readers bound counts by it.
    long long BytesLeft() const;

    // The next token of the current line: a view into it, valid until the next ReadLine.
    std::string_view ReadToken();
    // The next token as text, rejected when longer than maxLength bytes.
    void ReadToken(CString& token, std::size_t maxLength);

    // Each takes the next token; numbers must be the whole token, a leading '+' allowed.
    FileStream& operator>>(CString& token);
    FileStream& operator>>(int& value);
    FileStream& operator>>(float& value);
    FileStream& operator>>(double& value);
    FileStream& operator>>(AtomType& symbol);
    FileStream& operator>>(BondType& symbol);

    // One printf-formatted line; the line end is added.
    void WriteLine(const char* format, ...) QRTZ_PRINTF_FORMAT(2, 3);
    // One line as it stands; the line end is added. A '\n' inside starts a new line, also in a
    // memory block, so the block and a file read back alike.
    void WriteText(std::string_view line);

private:
    enum class Target { file, stream, block };

    FileStream(Target target, std::istream* in, std::ostream* out);

    bool FetchLine();
    bool FetchFileLine();
    bool FetchStreamLine();
    bool FetchBlockLine();
    void PutFileLine(std::string_view line);
    void PutStreamLine(std::string_view line);
    void PutBlockLines(std::string_view text);

    std::string_view TakeToken(const char* what);
    template <class Number> void TakeNumber(Number& value, const char* what);
    void TakePadded(PaddedToken& symbol);
    [[noreturn]] void Fail(int line, std::string_view problem, std::string_view quoted) const;

    Target m_target;
    std::FILE* m_file = nullptr;
    std::istream* m_in = nullptr;
    std::ostream* m_out = nullptr;
    MdlCbStr* m_block = nullptr;

    char* m_fileBuffer = nullptr;        // getline's buffer, reused for every line
    std::size_t m_fileCapacity = 0;
    std::string m_line;                  // the current line, NUL-terminated
    std::size_t m_cursor = 0;            // where the next token search starts
    int m_tokensTaken = 0;
    int m_lineNumber = 0;
    std::string m_formatted;             // WriteLine's buffer, reused
    CString m_name;
};

} // namespace qrtz
