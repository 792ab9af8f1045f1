#pragma once
// What every reader target shares: the input as a text stream, the exceptions a reader may
// throw on bad input, and the write-back check.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <ftw.h>
#include <unistd.h>

#include "qrtzdb/basis/FileStream.h"
#include "qrtzdb/basis/KelException.h"
#include "qrtzdb/platform/CFile.h"

namespace qrtz::fuzz {

inline std::string Bytes(const std::uint8_t* data, std::size_t size) {
    return std::string(reinterpret_cast<const char*>(data), size);
}

// A fresh folder under /tmp for the targets that need files, removed when the process ends.
inline std::string TempDir(const char* tag) {
    static std::string made;
    made = std::string("/tmp/qrtz-") + tag + "-XXXXXX";
    if (!::mkdtemp(made.data())) std::abort();
    std::atexit([] {
        ::nftw(made.c_str(), [](const char* p, const struct stat*, int, FTW*) { return ::remove(p); },
               16, FTW_DEPTH | FTW_PHYS);
    });
    return made;
}

// Runs step, true unless it threw what a reader throws on bad input.
template <class Step>
bool Survives(Step step) {
    try {
        step();
        return true;
    } catch (const FsException&) {
    } catch (const CFileException&) {
    }
    return false;
}

template <class Step>
bool ReadText(const std::string& text, Step read) {
    std::istringstream is(text);
    FileStream in(is);
    in.SetName("fuzz");
    return Survives([&] { read(in); });
}

// What our own writer put out must read back: anything else aborts with the text.
template <class Step>
void MustRead(const std::string& text, Step read) {
    std::istringstream is(text);
    FileStream in(is);
    in.SetName("written");
    try {
        read(in);
    } catch (const KelException& e) {
        char message[512] = "";
        e.GetErrorMessage(message, sizeof message);
        std::fprintf(stderr, "written text does not read back: %s\n----\n%s----\n", message,
                     text.c_str());
        std::abort();
    }
}

// Writes through write; when the writer accepts, what it wrote must read through read.
template <class Write, class Read>
void WrittenMustRead(Write write, Read read) {
    std::ostringstream os;
    {
        FileStream out(os);
        if (!Survives([&] { write(out); })) return;
    }
    MustRead(os.str(), read);
}

// Reads input into a fresh T; when that succeeds and the writer accepts what was read, the
// written text must read into a second T.
template <class T, class Read, class Write>
void RoundTrip(const std::uint8_t* data, std::size_t size, Read read, Write write) {
    T first;
    if (!ReadText(Bytes(data, size), [&](FileStream& in) { read(first, in); })) return;
    T second;
    WrittenMustRead([&](FileStream& out) { write(first, out); },
                    [&](FileStream& in) { read(second, in); });
}

} // namespace qrtz::fuzz
