// The reader's byte classes, eight bytes at once, against the byte-at-a-
// time rules: every byte value in every place of the word, next to every
// kind of neighbour, and random words.
#include "text_words.h"

#include <gtest/gtest.h>

#include <random>

namespace kestrion::words {
namespace {

bool is_space(unsigned c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool is_digit(unsigned c) { return c - '0' < 10; }

template <class Rule>
int plain_leading(uint64_t w, Rule rule) {
    int count = 0;
    while (count < 8 && rule(static_cast<unsigned>((w >> (8 * count)) & 0xff))) ++count;
    return count;
}

void expect_classes(uint64_t w) {
    ASSERT_EQ(leading_spaces(w), plain_leading(w, is_space)) << std::hex << w;
    ASSERT_EQ(leading_digits(w), plain_leading(w, is_digit)) << std::hex << w;
    // Exact in every byte, not only up to the first that is not.
    const uint64_t spaces = space_bytes(w);
    for (int i = 0; i < 8; ++i) {
        ASSERT_EQ((spaces >> (8 * i + 7)) & 1, is_space(static_cast<unsigned>((w >> (8 * i)) & 0xff)) ? 1u : 0u)
            << std::hex << w << " byte " << i;
    }
}

TEST(TextWords, ByteClassesMatchTheByteRules) {
    // Every byte value in every place, after runs of blanks, line ends or
    // digits and before bytes that would carry or borrow into it.
    const uint64_t fills[] = {every_byte(' '), every_byte('\n'), every_byte('7'), every_byte(0xff), 0, every_byte('/'),
                              every_byte(':')};
    for (const uint64_t fill : fills) {
        for (int place = 0; place < 8; ++place) {
            for (unsigned byte = 0; byte < 256; ++byte) {
                const uint64_t mask = uint64_t{0xff} << (8 * place);
                expect_classes((fill & ~mask) | (uint64_t{byte} << (8 * place)));
            }
        }
    }
    std::mt19937_64 random(3);
    const char alphabet[] = " \t\n\r\v\f0123456789.+-eE\0\x80\xff/:";
    for (int i = 0; i < 1'000'000; ++i) {
        uint64_t w = random();
        if (i % 2 == 0) {  // text-like bytes
            w = 0;
            for (int b = 0; b < 8; ++b) w |= uint64_t{static_cast<unsigned char>(alphabet[random() % (sizeof alphabet - 1)])} << (8 * b);
        }
        expect_classes(w);
    }
}

TEST(TextWords, LoadsAndStoresInTextOrder) {
    const char text[] = "01234567";
    EXPECT_EQ(load(text) & 0xff, uint64_t{'0'});
    EXPECT_EQ(load(text) >> 56, uint64_t{'7'});
    char back[8];
    store(back, load(text));
    EXPECT_EQ(std::string(back, 8), "01234567");
}

}  // namespace
}  // namespace kestrion::words
