// 128-bit values as GMP integers, the reference the 128-bit integer steps
// are held to on every target, whether or not its compiler has a 128-bit
// integer of its own. Words go in and out through mpz_import and
// mpz_export, since GMP's unsigned long is 32 bits on 32-bit targets.
#pragma once

#include <gmp.h>

#include <cstddef>
#include <cstdint>

namespace kestrion::testing {

class Mpz {
public:
    Mpz() { mpz_init(value); }
    ~Mpz() { mpz_clear(value); }
    Mpz(const Mpz&) = delete;
    Mpz& operator=(const Mpz&) = delete;
    operator mpz_ptr() { return value; }
    operator mpz_srcptr() const { return value; }
    mpz_t value;
};

// z = high · 2^64 + low.
inline void set_words(mpz_ptr z, uint64_t high, uint64_t low) {
    const uint64_t words[2] = {low, high};
    mpz_import(z, 2, -1, sizeof(uint64_t), 0, 0, words);
}
inline void set_word(mpz_ptr z, uint64_t word) { set_words(z, 0, word); }

// z's lowest 192 bits as three words, lowest first.
struct Words {
    uint64_t word[3];
    uint64_t low() const { return word[0]; }
    uint64_t high() const { return word[1]; }
    bool above_128_bits() const { return word[2] != 0; }
};
inline Words words_of(mpz_srcptr z) {
    Words w{};
    Mpz cut;
    mpz_fdiv_r_2exp(cut, z, 192);
    size_t count = 0;
    mpz_export(w.word, &count, -1, sizeof(uint64_t), 0, 0, cut);
    return w;
}

}  // namespace kestrion::testing
