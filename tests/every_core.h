// Splitting a long check over the machine's cores: the exhaustive checks
// run through billions of values, and each core takes its own share.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

namespace kestrion::testing {

// Runs check(begin, end) on consecutive shares of [0, count), one a core
// (at least two), and returns what the shares report: each returns the
// descriptions of its first few failures, empty when it found none.
template <class Check>
std::vector<std::string> on_every_core(uint64_t count, Check check) {
    const unsigned cores = std::max(2u, std::thread::hardware_concurrency());
    std::vector<std::vector<std::string>> found(cores);
    std::vector<std::thread> threads;
    for (unsigned i = 0; i < cores; ++i) {
        const uint64_t begin = count / cores * i, end = i + 1 == cores ? count : count / cores * (i + 1);
        threads.emplace_back([&, i, begin, end] { found[i] = check(begin, end); });
    }
    for (std::thread& thread : threads) thread.join();
    std::vector<std::string> failures;
    for (const auto& share : found) failures.insert(failures.end(), share.begin(), share.end());
    return failures;
}

}  // namespace kestrion::testing
