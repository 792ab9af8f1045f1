#pragma once
// The exception family of the library. FsException lives beside its base because the text
// stream of this layer throws it; the model and format layers throw it for malformed files.
#include <utility>

#include "qrtzdb/platform/CString.h"

namespace qrtz {

// The base of the library's exceptions: a message naming what went wrong and where.
class KelException {
public:
    KelException() = default;
    // An exception carrying message.
    explicit KelException(CString message) : m_message(std::move(message)) {}
    KelException(const KelException&) = default;
    KelException& operator=(const KelException&) = default;
    virtual ~KelException() = default;

    // Copies the message, cut to fit and terminated, into buffer; returns 1 when there was one.
    virtual int GetErrorMessage(char* buffer, unsigned int maxLength) const;
    // Shows the message through the message handler; returns 1.
    virtual int ReportError(unsigned int type = 0, unsigned int helpId = 0) const;

    // What went wrong, with the line or record at fault where the thrower knows it.
    const CString& Message() const { return m_message; }

protected:
    // The text Message returns.
    CString m_message;
};

// For the host; the library does not throw it.
class DbException : public KelException {
public:
    DbException() = default;
    DbException(const DbException&) = default;
    DbException& operator=(const DbException&) = default;
    ~DbException() override = default;

    // The host's error code.
    int code = 0;
};

// Malformed or unreadable content. Codes: 1 malformed or impossible content, including a text
// stream that runs out of lines or tokens or holds a token that is not the number asked for;
// 2 the MDL writer's limit of 999 atoms or bonds; 3 a simulation record of unexpected length.
class FsException : public KelException {
public:
    // An exception with code (see above) and, where the thrower knows it, the file and line at
    // fault in message.
    explicit FsException(int code_) : code(code_) {}
    FsException(int code_, CString message) : KelException(std::move(message)), code(code_) {}
    FsException(const FsException&) = default;
    FsException& operator=(const FsException&) = default;
    ~FsException() override = default;

    // 1, 2 or 3, as above.
    int code;
};

} // namespace qrtz
