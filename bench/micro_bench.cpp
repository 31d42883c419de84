// Micro-benchmarks of the three steps of a cycle: reading its values,
// computing the shares, formatting the report.
#include <benchmark/benchmark.h>

#include <array>
#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "arithmetic_platform.h"
#include "memory_source.h"
#include "number_format.h"
#include "number_reader.h"
#include "star_pair.h"
#include "stream_buffers.h"

namespace {

// A catalogue of 10,000 lines as bench/generate_input.py writes them: short
// literals as people type them (1 to 6 decimals, whole numbers, "5.5e3"),
// or every value in 17 significant digits as a program printing doubles
// writes them. Long enough that no branch can learn its digits.
std::string catalogue(bool long_literals) {
    std::mt19937 random(2026);
    const auto uniform = [&](double low, double high) { return std::uniform_real_distribution<double>(low, high)(random); };
    const auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    std::string text;
    char value[64];
    for (int line = 0; line < 10'000; ++line) {
        const double ranges[5][2] = {{0.05, 1}, {0.05, 1}, {2500, 40000}, {2500, 40000}, {3000, 10000}};
        for (int i = 0; i < 5; ++i) {
            const double v = uniform(ranges[i][0], ranges[i][1]);
            if (long_literals) {
                std::snprintf(value, sizeof value, "%.17g", v);
            } else if (i < 2) {
                std::snprintf(value, sizeof value, "%.*f", std::array{1, 2, 3, 6}[pick(4)], v);
            } else if (i < 4) {
                std::snprintf(value, sizeof value, "%.*f", pick(2) * 2, v);
            } else if (pick(3) == 0) {
                std::snprintf(value, sizeof value, "5.5e3");
            } else {
                std::snprintf(value, sizeof value, "%.*f", pick(2), v);
            }
            text += value;
            text += i < 4 ? ' ' : '\n';
        }
    }
    return text;
}

// Reading the five values of a cycle from the input buffer, over a
// catalogue in memory.
void BM_ReadCycle(benchmark::State& state) {
    const std::string text = catalogue(state.range(0) != 0);
    auto source = std::make_unique<kestrion::bench::MemorySource>(text);
    auto input = std::make_unique<kestrion::InputBuffer>(*source, nullptr);
    double sum = 0;
    for (auto _ : state) {
        for (int i = 0; i < 5; ++i) {
            double value;
            if (kestrion::read_value(*input, value) != kestrion::ReadStatus::number) {
                source = std::make_unique<kestrion::bench::MemorySource>(text);
                input = std::make_unique<kestrion::InputBuffer>(*source, nullptr);
                kestrion::read_value(*input, value);
            }
            sum += value;
        }
    }
    benchmark::DoNotOptimize(sum);
}
BENCHMARK(BM_ReadCycle)->ArgName("long")->Arg(0)->Arg(1);

class NoErrors final : public kestrion::ErrorLineSink {
public:
    void write_error_line(std::string_view) noexcept override {}
};

void BM_ComputeCycle(benchmark::State& state) {
    kestrion::StarPairValues v;
    NoErrors errors;
    float t = 3000;
    for (auto _ : state) {
        v.star1_radius = 0.585f;
        v.star2_radius = 0.9656f;
        v.star1_temperature = t;
        v.star2_temperature = 13270.03f;
        v.wavelength_angstrom = 5213.01f;
        kestrion::compute_shares(v, errors);
        benchmark::DoNotOptimize(v);
        t = t > 40000 ? 3000 : t + 17.25f;
    }
}
BENCHMARK(BM_ComputeCycle);

// Formatting the seven values of a report, over 4,096 different reports
// of typical values, so that no branch can learn one report's digits.
void BM_FormatReport(benchmark::State& state) {
    std::mt19937 random(7);
    const auto uniform = [&](float low, float high) { return std::uniform_real_distribution<float>(low, high)(random); };
    std::vector<std::array<float, 7>> reports(4096);
    for (auto& r : reports) {
        const float share = uniform(0, 1);
        r = {uniform(0.05f, 1), uniform(0.05f, 1), uniform(2500, 40000), uniform(2500, 40000), share, 1 - share,
             uniform(3000, 10000)};
    }
    // Each value into a slot of its own, as the dialogue formats them.
    char texts[7][kestrion::kMaxFixed6Length];
    size_t i = 0;
    for (auto _ : state) {
        const std::array<float, 7>& report = reports[i++ % reports.size()];
        for (int v = 0; v < 7; ++v) benchmark::DoNotOptimize(kestrion::format_fixed6(report[v], texts[v]));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_FormatReport);

}  // namespace

int main(int argc, char** argv) {
    kestrion::set_up_arithmetic();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
}
