// Reading a typed value: the grammar (how much of the text is taken, and
// whether it is a number at all), and the rounding of a decimal to double
// and then to single, against MPFR's correctly rounded conversion
// (decimal_reference.h), and, where the C library's strtod rounds exact
// ties correctly, against it too.
#include "number_reader.h"

#include <gtest/gtest.h>
#include <mpfr.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "c_library_reference.h"
#include "compiler.h"
#include "decimal_reference.h"
#include "decimal_to_double.h"
#include "every_core.h"
#include "general_format.h"
#include "memory_streams.h"
#include "read_single.h"

namespace kestrion {
namespace {

using testing::Arrival;
using testing::MemorySource;
using testing::read_double;
using testing::read_single;
using testing::reference_to_double;

// By both of the reader's routes: the literal's bytes together in the
// buffer, and arriving three at a time, so that it runs past what was read.
// The double is compared, before the store to single hides its last bits.
void expect_same_as_reference(const std::string& literal) {
    const double want = reference_to_double(literal);
    for (Arrival arrival : {Arrival::together, Arrival::three_bytes_a_read}) {
        double value = 0;
        ASSERT_EQ(read_double(literal, value, arrival), literal.size()) << literal;
        ASSERT_EQ(kestrion::bit_cast<uint64_t>(value), kestrion::bit_cast<uint64_t>(want)) << literal;
    }
}

struct Case {
    const char* text;
    size_t consumed;  // 0: not a number
    float value;
};

TEST(ReadGrammar, LongestNumberPrefixIsRead) {
    const Case cases[] = {
        {"5", 1, 5},          {".5", 2, 0.5f},      {"5.", 2, 5},          {"+5", 2, 5},
        {"-.5e1", 5, -5},     {"5e3", 3, 5000},     {"5E+3", 4, 5000},     {"2.5e-1", 6, 0.25f},
        {"  \n\t\r 42 ", 8, 42}, {"5800\r\n", 4, 5800}, {"1e", 2, 1},       {"1e+", 3, 1},
        {"1E-x", 3, 1},       {"1ex", 2, 1},        {"0x10", 1, 0},        {"12abc", 2, 12},
        {"3.25.5", 4, 3.25f}, {"00012", 5, 12},     {"-0", 2, -0.0f},      {"1e0005", 6, 1e5f},
        {"2.5E-", 5, 2.5f},   {"-7e-\n", 4, -7},
    };
    // Whether the bytes lie together in the buffer or arrive a few at a time.
    for (Arrival arrival : {Arrival::together, Arrival::one_byte_a_read, Arrival::three_bytes_a_read}) {
        for (const Case& c : cases) {
            float value = -99;
            EXPECT_EQ(read_single(c.text, value, arrival), c.consumed) << c.text;
            EXPECT_EQ(kestrion::bit_cast<uint32_t>(value), kestrion::bit_cast<uint32_t>(c.value)) << c.text;
        }
    }
}

TEST(ReadGrammar, TextWithoutDigitsIsNotANumber) {
    for (const char* text : {"", "   \n", "-", "+", ".", "-.", "--5", "+-5", "e5", ".e1", "inf", "-inf", "nan",
                             "infinity", "x", "\x01", "abc"}) {
        float value = 7;
        EXPECT_EQ(read_single(text, value), 0u) << text;
        EXPECT_EQ(value, 7) << text;
    }
    float value = 7;
    EXPECT_EQ(read_single(std::string("\0" "5", 2), value), 0u);  // a NUL is not white space
}

TEST(ReadRounding, DecimalRoundsToDoubleThenToSingle) {
    KESTRION_SKIP_UNLESS_STRTOD_ROUNDS_TIES_TO_EVEN();
    // Straight to single these would round the other way (as strtof
    // does); the second is the shortest text of the single 0x15ae43fd,
    // whose double is exactly the midpoint above that single.
    for (const char* literal : {"7.6335284113883971e-01", "7.038531e-26"}) {
        float value = 0;
        read_single(literal, value);
        EXPECT_EQ(value, static_cast<float>(std::strtod(literal, nullptr))) << literal;
    }
}

// The check that the C library's strtod may serve as the reference: a
// reader that rounds exact ties away from zero is refused, with the reason.
// (Each tie checked has the even double below it in magnitude.)
double strtod_rounding_ties_away(const char* text) {
    const double even = std::strtod(text, nullptr);
    return std::nextafter(even, std::copysign(INFINITY, even));
}

TEST(StrtodReference, AReaderThatRoundsTiesAwayIsRefused) {
    const std::string fault = testing::strtod_ties_fault(strtod_rounding_ties_away);
    EXPECT_EQ(fault.rfind("this C library rounds exact ties away from even", 0), 0u) << fault;
    EXPECT_EQ(testing::strtod_ties_fault([](const char* text) { return reference_to_double(text); }), "");
}

TEST(ReadRounding, OutOfRangeFollowsIeee) {
    const Case cases[] = {
        {"1e39", 4, INFINITY},    {"-1e39", 5, -INFINITY}, {"1e-50", 5, 0.0f}, {"-1e-50", 6, -0.0f},
        {"1e400", 5, INFINITY},   {"1e-400", 6, 0.0f},     {"0e999999", 8, 0}, {"1.4e-45", 7, 1.4e-45f},
        {"3.4028235e38", 12, 3.4028235e38f},
    };
    for (const Case& c : cases) {
        float value = -99;
        EXPECT_EQ(read_single(c.text, value), c.consumed) << c.text;
        EXPECT_EQ(kestrion::bit_cast<uint32_t>(value), kestrion::bit_cast<uint32_t>(c.value)) << c.text;
    }
}

TEST(ReadRounding, HugeExponentsSaturate) {
    const std::string nines(400, '9');
    const std::string zeros(400, '0');
    float value = 0;
    EXPECT_EQ(read_single("1e" + nines, value), 402u);
    EXPECT_EQ(value, INFINITY);
    EXPECT_EQ(read_single("1e-" + nines, value), 403u);
    EXPECT_EQ(value, 0.0f);
    EXPECT_EQ(read_single("0.00e" + nines, value), 405u);
    EXPECT_EQ(value, 0.0f);
    EXPECT_EQ(read_single("2.5e" + zeros + "1", value), 405u);
    EXPECT_EQ(value, 25.0f);
    // The point sits 400 places in, the exponent pulls it back.
    EXPECT_EQ(read_single("1" + zeros + "e-400", value), 406u);
    EXPECT_EQ(value, 1.0f);
}

TEST(ReadRounding, LongLiteralsKeepOnlyWhetherTheTailIsZero) {
    // The exact midpoint between two doubles, then 100,000 more digits: all
    // zeros is a tie (to even), one late nonzero digit tips it up.
    const std::string midpoint = "1.00000000000000011102230246251565404236316680908203125";
    const std::string zeros(100'000, '0');
    expect_same_as_reference(midpoint);
    expect_same_as_reference(midpoint + zeros);
    expect_same_as_reference(midpoint + zeros + "1");
    expect_same_as_reference("0." + zeros + "123e100005");
    expect_same_as_reference(std::string(100'000, '3') + "e-99990");
    // Midpoint between two singles, as a double, with a long tail.
    expect_same_as_reference("1.000000059604644775390625" + zeros);
    expect_same_as_reference("1.000000059604644775390625" + zeros + "1");
}

// Halfway between the doubles 1073741888 and 1073741888 + 2^-22, which is
// itself halfway between two singles: only a late nonzero digit, far past
// the digits any route keeps, lifts it above both midpoints.
TEST(ReadRounding, ALongTailDecidesTheRoundingInSingle) {
    const std::string midpoint = "1073741888.00000011920928955078125";
    const std::string zeros(1000, '0');
    for (Arrival arrival : {Arrival::together, Arrival::three_bytes_a_read}) {
        float value = 0;
        read_single(midpoint + zeros + "1", value, arrival);
        EXPECT_EQ(value, 1073741952.0f);
        read_single(midpoint + zeros, value, arrival);
        EXPECT_EQ(value, 1073741824.0f);
    }
}

// The edges of the fast paths: 15 to 20 significant digits (2^53 lies
// among the 16-digit significands, 2^64 among the 20-digit ones), scales
// either side of 10^22, the largest exact power of ten, and of 10^±80, the
// ends of the table of powers, and exponents that underflow or overflow;
// some behind runs of leading zeros, which count for nothing; and integers
// exactly halfway between two doubles from 2^53 to 2^64, ties
// that the product path must leave to the exact conversion, with their
// neighbours.
TEST(ReadRounding, MatchesTheReferenceAtTheEdgesOfTheFastPaths) {
    std::mt19937_64 random(5);
    const std::string near_limits[] = {"9007199254740992", "18446744073709551616"};
    for (int i = 0; i < 100'000; ++i) {
        std::string digits;
        if (i % 8 == 1) {
            const int bits = 54 + static_cast<int>(random() % 11);  // a double of 54 to 64 bits
            const uint64_t d = (random() | uint64_t{1} << 63) >> (64 - bits) >> (bits - 53) << (bits - 53);
            const uint64_t midpoint = d + (uint64_t{1} << (bits - 54)) + (random() % 3) - 1;
            expect_same_as_reference(std::to_string(midpoint));
            continue;
        }
        if (i % 4 == 0) {
            digits = near_limits[random() % 2];
            const int last = digits.back() - '0' + static_cast<int>(random() % 7) - 3;
            digits.back() = static_cast<char>('0' + std::clamp(last, 0, 9));
        } else {
            const int count = std::array{15, 16, 17, 19, 20}[random() % 5];
            digits += static_cast<char>('1' + random() % 9);
            while (static_cast<int>(digits.size()) < count) digits += static_cast<char>('0' + random() % 10);
        }
        if (i % 8 == 3) {
            digits = std::string(random() % 12, '0') + "." + std::string(random() % 12, '0') + digits;  // zeros lead
        } else if (random() % 3 == 0) {
            const size_t point = 1 + random() % (digits.size() - 1);
            digits = digits.substr(0, point) + "." + digits.substr(point);
        }
        const int edge = std::array{22, -22, kTableScale, -kTableScale}[random() % 4] - static_cast<int>(digits.size());
        const int exponent = random() % 4 == 0 ? static_cast<int>(random() % 700) - 350
                                               : static_cast<int>(random() % 7) - 3 + edge;
        expect_same_as_reference(digits + "e" + std::to_string(exponent));
    }
}

// Literals near the midpoints of neighbouring singles, where reading
// straight to single and reading through double can part ways, and near
// those of neighbouring doubles (from 10^-45 to 10^60): with 16 to 19
// digits, where the product path's result may lie too near to decide, and
// with 20 to 40, where the two ends of the literal's first 19 digits may
// round apart.
TEST(ReadRounding, MatchesTheReferenceNearMidpoints) {
    std::mt19937_64 random(20261208);
    char text[64];
    for (int i = 0; i < 300'000; ++i) {
        if (i % 3 != 2) {
            uint32_t bits = static_cast<uint32_t>(random()) & 0x7f7fffffu;
            const float low = kestrion::bit_cast<float>(bits);
            const float high = std::nextafter(low, INFINITY);
            const double mid = (static_cast<double>(low) + static_cast<double>(high)) / 2;
            const int digits = 9 + static_cast<int>(random() % 9);  // 9 to 17 significant digits
            std::snprintf(text, sizeof text, "%.*e", digits - 1, mid);
        } else {
            // A double midpoint is no double: MPFR holds it, and prints it.
            const double low = std::ldexp(1.0 + static_cast<double>(random() >> 12) * 0x1p-52,
                                          static_cast<int>(random() % 350) - 150);
            mpfr_t mid;
            mpfr_init2(mid, 64);
            mpfr_set_d(mid, low, MPFR_RNDN);
            mpfr_add_d(mid, mid, (std::nextafter(low, INFINITY) - low) / 2, MPFR_RNDN);  // exact
            const int digits = random() % 2 ? 16 + static_cast<int>(random() % 4) : 20 + static_cast<int>(random() % 21);
            mpfr_snprintf(text, sizeof text, "%.*Re", digits - 1, mid);
            mpfr_clear(mid);
        }
        expect_same_as_reference(text);
        // Nudge the last digit: both neighbours of the midpoint in decimal.
        std::string nudged = text;
        const size_t e = nudged.find('e');
        char& last = nudged[e - 1];
        last = last == '9' ? '8' : static_cast<char>(last + 1);
        expect_same_as_reference(nudged);
    }
}

TEST(ReadRounding, MatchesTheReferenceOnGeneratedLiterals) {
    std::mt19937_64 random(7);
    for (int i = 0; i < 300'000; ++i) {
        std::string literal;
        if (random() % 4 == 0) literal += random() % 2 ? '-' : '+';
        const int int_digits = static_cast<int>(random() % 12);
        const int frac_digits = static_cast<int>(random() % 25);
        for (int d = 0; d < int_digits; ++d) literal += static_cast<char>('0' + random() % 10);
        if (frac_digits > 0 || int_digits == 0) {
            literal += '.';
            for (int d = 0; d < std::max(frac_digits, int_digits == 0 ? 1 : 0); ++d)
                literal += static_cast<char>('0' + random() % 10);
        }
        if (random() % 2) {
            literal += random() % 2 ? 'e' : 'E';
            const int exponent = static_cast<int>(random() % 700) - 350;
            literal += std::to_string(exponent);
        }
        expect_same_as_reference(literal);
    }
}

TEST(ReadRounding, MatchesTheReferenceOnEveryExactSingleWrittenOut) {
    // Round trips: each single printed with 9 and 17 digits reads back exactly.
    std::mt19937 random(11);
    char text[64];
    for (int i = 0; i < 100'000; ++i) {
        const float f = kestrion::bit_cast<float>(static_cast<uint32_t>(random()) & 0x7f7fffffu);
        std::snprintf(text, sizeof text, "%.8e", static_cast<double>(f));
        float value = 0;
        read_single(text, value);
        ASSERT_EQ(value, f) << text;
        std::snprintf(text, sizeof text, "%.16e", static_cast<double>(f));
        expect_same_as_reference(text);
    }
}

// A source that gives its text in two reads, cut at `cut`, as a refill
// would cut a value.
class CutSource final : public ByteSource {
public:
    CutSource(std::string_view text, size_t cut) : text_(text), cut_(cut) {}
    size_t read(char* buffer, size_t size) override {
        const size_t n = std::min(size, (at_ < cut_ ? cut_ : text_.size()) - at_);
        std::memcpy(buffer, text_.data() + at_, n);
        at_ += n;
        return n;
    }

private:
    std::string_view text_;
    size_t cut_;
    size_t at_ = 0;
};

// What read_value makes of the values of `text`, its statuses and doubles.
std::vector<std::pair<ReadStatus, uint64_t>> read_all(ByteSource& source) {
    auto input = std::make_unique<InputBuffer>(source, nullptr);
    std::vector<std::pair<ReadStatus, uint64_t>> got;
    for (int i = 0; i < 8; ++i) {
        double value = 0;
        const ReadStatus status = read_value(*input, value);
        got.emplace_back(status, kestrion::bit_cast<uint64_t>(value));
        if (status == ReadStatus::end_of_input) break;
        if (status == ReadStatus::unreadable) input->discard_line();
    }
    return got;
}

// Literals of every shape the reader tells apart, each starting at every
// offset of the first word (after 0 to 15 blanks), cut by a refill at
// every byte, and ending the input with and without a line end: each
// reads as it does whole.
TEST(ReadAcrossRefills, EveryCutAndEveryOffsetReadsAsWhole) {
    const std::string literals[] = {
        "0.585", "-12345.678901234567", "5.5e3", "7", "12345678", "123456789", "1234567890123456789",
        "12345678901234567890123", "+.5", "7.", "1e", "2.5E-", "1e0005", "-0.000000000000000000001234",
        "9007199254740993", "0.61234567890123456", "3.25.5", "12abc", "1e+400", "-.e1", "+", "18446744073709551616",
    };
    for (const std::string& literal : literals) {
        for (size_t blanks = 0; blanks < 16; ++blanks) {
            for (const char* last : {"", "\n"}) {
                const std::string text = std::string(blanks, ' ') + literal + " " + literal + last;
                testing::MemorySource whole_source(text);
                const auto whole = read_all(whole_source);
                for (size_t cut = 1; cut < text.size(); ++cut) {
                    CutSource source(text, cut);
                    ASSERT_EQ(read_all(source), whole) << "'" << text << "' cut at " << cut;
                }
            }
        }
    }
}

// Reads `texts`, one a line, through one input buffer as the dialogue does
// (so that some run past a refill), and describes each that does not read
// back as the double `want` of the same index.
void expect_read_back(const std::string& texts, const std::vector<double>& want, std::vector<std::string>& found) {
    MemorySource source(texts);
    auto input = std::make_unique<InputBuffer>(source, nullptr);
    for (const double expected : want) {
        double value = 0;
        if (read_value(*input, value) != ReadStatus::number || kestrion::bit_cast<uint64_t>(value) != kestrion::bit_cast<uint64_t>(expected)) {
            char text[64];
            std::snprintf(text, sizeof text, "read %.17g as %.17g", expected, value);
            found.push_back(text);
        }
    }
}

// The doubles whose 17-digit texts the exhaustive check reads for a
// finite single f: the one exactly halfway to the next single away from
// zero, and those either side of it.
std::array<double, 3> midpoint_and_neighbours(float f) {
    const double magnitude = std::fabs(static_cast<double>(f));
    const double half_step = (static_cast<double>(std::nextafter(std::fabs(f), INFINITY)) - magnitude) / 2;
    const double midpoint = std::copysign(magnitude + (std::isinf(half_step) ? 0x1p103 : half_step), f);
    return {std::nextafter(midpoint, -INFINITY), midpoint, std::nextafter(midpoint, INFINITY)};
}

// The tests' own "%.*g" writer, which the exhaustive check writes its
// texts with, against the C library's: on the exhaustive check's own texts
// for singles of every exponent, on doubles of every exponent it meets,
// and next to powers of ten, where the decimal exponent turns.
TEST(GeneralFormat, MatchesPrintfOnASample) {
    KESTRION_SKIP_UNLESS_PRINTF_ROUNDS_TIES_TO_EVEN();
    std::mt19937_64 random(20261210);
    char got[testing::kGeneralFormatLength], want[64];
    const auto expect_same = [&](double d, int precision) {
        const char* const end = testing::write_general(d, precision, got);
        std::snprintf(want, sizeof want, "%.*g", precision, d);
        ASSERT_STREQ(got, want) << std::hexfloat << d;
        ASSERT_EQ(static_cast<size_t>(end - got), std::strlen(want));
    };
    for (int i = 0; i < 300'000; ++i) {
        const auto bits = static_cast<uint32_t>(i < 1'000 ? i : i < 2'000 ? 0x7f7fffff - (i - 1'000) : random());
        const float f = kestrion::bit_cast<float>(bits);
        if (!std::isfinite(f)) continue;
        expect_same(f, 9);
        for (const double d : midpoint_and_neighbours(f)) expect_same(d, 17);
        // A double of the same binade (of the smallest normal single's for
        // zero, which has none), with every precision.
        const int binade = f != 0 ? std::ilogb(f) : -126;
        const double d = std::ldexp(static_cast<double>(random() >> 11), binade - 52);
        expect_same(std::copysign(d, f), 1 + static_cast<int>(random() % 17));
    }
    for (int exponent = -46; exponent <= 39; ++exponent) {
        const double power = std::pow(10.0, exponent);
        for (const double d : {std::nextafter(power, 0.0), power, std::nextafter(power, INFINITY)}) {
            for (int precision : {1, 9, 16, 17}) expect_same(d, precision);
        }
    }
    // Exact ties, which it leaves to the C library.
    for (const double tie : {0.5, 2.5, 1234567.125, 0.0078125, -16777217.0}) expect_same(tie, tie == 0.0078125 ? 4 : 7);
}

// Every finite single, both signs: its nine-digit text ("%.9g", which
// names every single) reads back as the C library's correctly rounded
// strtod reads it; and the 17-digit texts of the double exactly halfway to
// the next single away from zero, and of the doubles either side of it,
// each read back as that very double. Through the reader as the dialogue
// uses it, thousands of lines at a time. The texts are written by the
// tests' own writer, since snprintf would take most of the time.
TEST(ReadRoundingExhaustive, EverySingleAndTheMidpointsAboveIt) {
    KESTRION_SKIP_UNLESS_STRTOD_ROUNDS_TIES_TO_EVEN();
    const auto failures = testing::on_every_core(testing::slice_of(uint64_t{1} << 32), [](uint64_t begin, uint64_t end) {
        std::vector<std::string> found;
        std::string texts;
        std::vector<double> want;
        char text[testing::kGeneralFormatLength];
        const auto add = [&](double d, const char* text_end) {
            texts.append(text, static_cast<size_t>(text_end - text));
            texts += '\n';
            want.push_back(d);
        };
        for (uint64_t bits = begin; bits < end && found.size() < 10; ++bits) {
            const float f = kestrion::bit_cast<float>(static_cast<uint32_t>(bits));
            if (!std::isfinite(f)) continue;
            const char* const text_end = testing::write_general(f, 9, text);
            add(std::strtod(text, nullptr), text_end);
            for (const double d : midpoint_and_neighbours(f)) add(d, testing::write_general(d, 17, text));
            if (want.size() >= 16'384) {
                expect_read_back(texts, want, found);
                texts.clear();
                want.clear();
            }
        }
        expect_read_back(texts, want, found);
        return found;
    });
    EXPECT_TRUE(failures.empty()) << failures.size() << " failures, the first: " << failures.front();
}

}  // namespace
}  // namespace kestrion
