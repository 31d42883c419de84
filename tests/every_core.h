// Splitting a long check over the machine's cores: the exhaustive checks
// run through billions of values, and each core takes its own share. A
// check may be run on a slice of its range, to try a change in seconds:
// KESTRION_SLICE=FIRST:END (decimal or 0x-prefixed hexadecimal) checks the
// values from FIRST up to, not including, END.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace kestrion::testing {

struct Range {
    uint64_t begin;
    uint64_t end;
};

// [0, count), or the part of it KESTRION_SLICE names.
inline Range slice_of(uint64_t count) {
    const char* const text = std::getenv("KESTRION_SLICE");
    if (text == nullptr || *text == '\0') return {0, count};
    char* colon = nullptr;
    const uint64_t first = std::strtoull(text, &colon, 0);
    char* rest = nullptr;
    const uint64_t end = *colon == ':' ? std::strtoull(colon + 1, &rest, 0) : 0;
    if (*colon != ':' || *rest != '\0' || first >= end || end > count) {
        throw std::invalid_argument("KESTRION_SLICE must be FIRST:END with FIRST < END <= " + std::to_string(count) +
                                    ", not '" + text + "'");
    }
    return {first, end};
}

// Runs check(begin, end) on consecutive shares of the range, one a core
// (at least two), and returns what the shares report: each returns the
// descriptions of its first few failures, empty when it found none.
template <class Check>
std::vector<std::string> on_every_core(Range range, Check check) {
    const unsigned cores = std::max(2u, std::thread::hardware_concurrency());
    const uint64_t share = (range.end - range.begin) / cores;
    std::vector<std::vector<std::string>> found(cores);
    std::vector<std::thread> threads;
    for (unsigned i = 0; i < cores; ++i) {
        const uint64_t begin = range.begin + share * i, end = i + 1 == cores ? range.end : begin + share;
        threads.emplace_back([&, i, begin, end] { found[i] = check(begin, end); });
    }
    for (std::thread& thread : threads) thread.join();
    std::vector<std::string> failures;
    for (const auto& share_found : found) failures.insert(failures.end(), share_found.begin(), share_found.end());
    return failures;
}

}  // namespace kestrion::testing
