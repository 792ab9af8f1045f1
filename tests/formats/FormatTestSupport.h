#pragma once
// Helpers shared by the format tests: fixture files, text written through a stream, and the
// failure a read ends with.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "qrtzdb/basis/FileStream.h"
#include "qrtzdb/basis/KelException.h"
#include "qrtzdb/environment/TblAtom.h"

namespace qrtz::testing {

inline std::string fixture(const char* name) {
    std::ifstream in(std::string(QRTZ_TEST_DATA_DIR) + "/" + name, std::ios::binary);
    EXPECT_TRUE(in.good()) << name;
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// What write puts through a stream over memory.
inline std::string written(const std::function<void(FileStream&)>& write) {
    std::ostringstream out;
    FileStream stream(out);
    write(stream);
    return out.str();
}

// Whether message holds part; the message is shown when it does not.
inline ::testing::AssertionResult mentions(const std::string& message, const std::string& part) {
    if (message.find(part) != std::string::npos) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "'" << message << "' does not mention '" << part << "'";
}

// Runs read over text.
inline void readText(const std::string& text, const std::function<void(FileStream&)>& read) {
    std::istringstream in(text);
    FileStream stream(in);
    read(stream);
}

// The message of the FsException(1) that reading text throws; fails the test when none.
inline std::string readFailure(const std::string& text,
                               const std::function<void(FileStream&)>& read) {
    try {
        readText(text, read);
    } catch (const FsException& e) {
        EXPECT_EQ(e.code, 1);
        return e.Message();
    }
    ADD_FAILURE() << "no FsException";
    return {};
}

// Feeds read every prefix of text, copies of it with bytes overwritten by garbage (NULs, line
// ends, digits, signs, high bytes) and random bytes, alone or after a piece of text: each read
// must end normally or with FsException(1). Returns how many of them threw.
inline int tortureRead(const std::string& text, const std::function<void(FileStream&)>& read,
                       unsigned seed = 7) {
    int thrown = 0;
    auto attempt = [&](const std::string& input) {
        try {
            readText(input, read);
        } catch (const FsException& e) {
            EXPECT_EQ(e.code, 1) << e.Message();
            ++thrown;
        }
    };
    for (std::size_t length = 0; length < text.size(); ++length) attempt(text.substr(0, length));
    const char garbage[] = {'\0', '\n', '\r', ' ', '9', '-', '+', '.', 'e', 'x', '\xff', '\x80'};
    unsigned state = seed;
    auto next = [&state] { return state = state * 1103515245u + 12345u, state >> 8; };
    for (int round = 0; round < 300 && !text.empty(); ++round) {
        std::string input = text;
        for (int hits = 1 + static_cast<int>(next() % 4); hits > 0; --hits)
            input[next() % input.size()] = garbage[next() % sizeof garbage];
        attempt(input);
    }
    // And input that is nothing but garbage.
    for (int round = 0; round < 100; ++round) {
        std::string input(next() % 2000, '\0');
        for (char& byte : input) byte = static_cast<char>(next());
        if (round % 2) input = text.substr(0, next() % (text.size() + 1)) + input;
        attempt(input);
    }
    // Garbage symbols took the element table's free slots.
    TblAtom::ResetDefaults();
    return thrown;
}

// The first count lines of text.
inline std::string firstLines(const std::string& text, int count) {
    std::size_t at = 0;
    for (int i = 0; i < count && at != std::string::npos; ++i) {
        at = text.find('\n', at);
        if (at != std::string::npos) ++at;
    }
    return at == std::string::npos ? text : text.substr(0, at);
}

} // namespace qrtz::testing
