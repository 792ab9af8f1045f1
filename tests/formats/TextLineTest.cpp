// The writers' number conversions against printf itself.
#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "../../src/formats/TextLine.h"

namespace qrtz {
namespace {

template <class... Args>
std::string printfText(const char* format, Args... args) {
    char buffer[512];
    const int n = std::snprintf(buffer, sizeof buffer, format, args...);
    return std::string(buffer, static_cast<std::size_t>(n));
}

// Values that stress rounding: exact binary ties at the printed precision, halves, carries
// into a new digit, the edges of %g's switch to exponents, signed zeros, huge and tiny values.
std::vector<double> hardValues() {
    std::vector<double> v = {0.0,       -0.0,       0.5,        1.5,         2.5,
                             0.125,     0.375,      -0.125,     0.00005,     -0.00005,
                             0.00015,   0.00025,    9.99995,    99999.99995, 0.1,
                             1e-4,      1e-5,       9.9999995e-5, 123456.5,  1234567.5,
                             0.999999,  9999999.5,  99999995.0, 1e15,        1e16,
                             1e22,      1e300,      -1e300,     DBL_MAX,     -DBL_MAX,
                             DBL_MIN,   4.9e-324,   1.0 / 3.0,  2.0 / 3.0,   -2.0 / 3.0,
                             0.30000000000000004,   299792458.0, 6.02214076e23,
                             std::numeric_limits<double>::infinity(),
                             -std::numeric_limits<double>::infinity(),
                             std::numeric_limits<double>::quiet_NaN()};
    // Exact binary ties: odd k / 32 ends in a 5 at the fifth decimal, k / 64 at the sixth,
    // k / 2 at the first; and values just beside them.
    for (int k = -257; k <= 257; ++k) {
        for (double d : {2.0, 16.0, 32.0, 64.0, 128.0}) {
            v.push_back(k / d);
            v.push_back(std::nextafter(k / d, 1e300));
            v.push_back(std::nextafter(k / d, -1e300));
        }
    }
    for (int e = -12; e <= 20; ++e) {
        v.push_back(std::pow(10.0, e));
        v.push_back(-5.0 * std::pow(10.0, e));
        v.push_back(9.5 * std::pow(10.0, e));
    }
    return v;
}

TEST(LineBuilder, NumbersMatchPrintfByteForByte) {
    struct Fixed {
        int width, precision;
    };
    const Fixed fixed[] = {{10, 4}, {8, 5}, {10, 0}, {3, 2}};
    const Fixed general[] = {{8, 6}, {15, 8}, {1, 1}};

    std::vector<double> values = hardValues();
    std::mt19937_64 random(20240611);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    std::uniform_int_distribution<int> exponent(-30, 30);
    std::uniform_int_distribution<std::uint64_t> bits;
    for (int i = 0; i < 40000; ++i)
        values.push_back(unit(random) * std::pow(10.0, exponent(random)));
    for (int i = 0; i < 10000; ++i) {
        // Any bit pattern: subnormals, NaNs with payloads, everything.
        const std::uint64_t b = bits(random);
        double d;
        std::memcpy(&d, &b, sizeof d);
        values.push_back(d);
    }
    // Decimals of four places and a half, where a careless rounding shows.
    for (int i = 0; i < 20000; ++i)
        values.push_back((static_cast<int>(unit(random) * 2e6) + 0.5) / 1e4);

    textline::LineBuilder line;
    int mismatches = 0;
    for (double value : values) {
        for (const Fixed& f : fixed) {
            line.Clear();
            line.Fixed(value, f.width, f.precision);
            const std::string expected = printfText("%*.*f", f.width, f.precision, value);
            if (line.View() != expected && ++mismatches < 10)
                ADD_FAILURE() << "%" << f.width << "." << f.precision << "f of " << value
                              << ": '" << line.View() << "' instead of '" << expected << "'";
        }
        for (const Fixed& g : general) {
            line.Clear();
            line.General(value, g.width, g.precision);
            const std::string expected = printfText("%*.*g", g.width, g.precision, value);
            if (line.View() != expected && ++mismatches < 10)
                ADD_FAILURE() << "%" << g.width << "." << g.precision << "g of " << value
                              << ": '" << line.View() << "' instead of '" << expected << "'";
        }
    }
    EXPECT_EQ(mismatches, 0);

    std::uniform_int_distribution<long long> wide(-3000000000LL, 3000000000LL);
    const long long edges[] = {0, 1, -1, 9, 10, 99, 999, 1000, -999, -1000, 999999, 1000000,
                               -99999, INT_MAX, INT_MIN};
    std::vector<long long> ints(std::begin(edges), std::end(edges));
    for (int i = 0; i < 20000; ++i) ints.push_back(i % 2 ? wide(random) : wide(random) % 2000);
    for (long long n : ints) {
        for (int width : {1, 2, 3, 4, 5, 6}) {
            line.Clear();
            line.Int(n, width);
            ASSERT_EQ(line.View(), printfText("%*lld", width, n));
            line.Clear();
            line.ZeroInt(n, width);
            ASSERT_EQ(line.View(), printfText("%0*lld", width, n));
        }
    }

    for (const char* text : {"", "C", "Cl", "Ar1", "Xe12", "LongerThanWidth", "H2O2"}) {
        for (int width : {2, 4, 16}) {
            line.Clear();
            line.Left(text, width);
            EXPECT_EQ(line.View(), printfText("%-*s", width, text));
        }
    }
}

} // namespace
} // namespace qrtz
