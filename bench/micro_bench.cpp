// Micro-benchmarks of the three steps of a cycle: reading its values,
// computing the shares, formatting the report.
#include <benchmark/benchmark.h>

#include <array>
#include <memory>
#include <random>
#include <vector>
#include <string>

#include "arithmetic_platform.h"
#include "stream_buffers.h"
#include "memory_streams.h"
#include "number_format.h"
#include "number_reader.h"
#include "star_pair.h"

namespace {

// Catalogue lines from bench/generate_input.py: as people type them, and
// with every value in 17 significant digits (--long).
const char* const kShortLines[] = {
    "0.2 0.889914 23042.93 30663 3565.1\n",
    "0.825923 0.060914 10383.42 39959.09 5.5e3\n",
    "0.656 0.135 7783.31 29157.34 5.5e3\n",
    "0.6 0.454171 22174.48 23650 7029\n",
    "1.0 0.731442 20127 7075.5 5.5e3\n",
    "0.288456 0.686 26757.36 32684 5061\n",
    "0.192352 0.81337 9993.91 31251.38 8656\n",
    "0.84 0.5 29369.44 38697.56 8897\n",
    "0.666121 0.4 17924.16 5956.32 7064\n",
    "0.63 0.3 38363.76 14254.1 5.5e3\n",
};
const char* const kLongLines[] = {
    "0.16316389071576493 0.52738996746968803 21693.351728990161 34750.022036847833 3718.4579535487187\n",
    "0.26212032884409109 0.62097911976583231 23370.96332217053 31876.501843119637 6834.6801839531363\n",
    "0.74401204278874356 0.77970955682068444 30663.473430948172 24494.531743534375 4679.5385555754892\n",
    "0.63349406664585683 0.15519971641062347 33128.550731963929 19362.056221297615 8703.3388185258627\n",
    "0.70091916408965282 0.6954194955417623 10383.424795386585 11931.741390654215 9859.3864365843256\n",
    "0.93285143329802334 0.81487910604124714 39987.104650392168 21759.532998609578 3534.2393075062619\n",
    "0.37337484348700728 0.57957801007599741 13454.570291825179 19654.29242911423 9135.3236698624878\n",
    "0.71877676420356762 0.59855219083688238 3427.7238085291156 29157.337519017401 5544.7956266068486\n",
    "0.45110662159435433 0.42883466032460543 24464.418111680734 21192.065645165352 3815.1356054701146\n",
    "0.53104081125871672 0.76263945082885765 25006.196762090582 20913.651659567393 9417.282459680504\n",
};

// Reading the five values of a cycle from the input buffer, over a
// catalogue in memory.
void BM_ReadCycle(benchmark::State& state) {
    std::string catalogue;
    for (int i = 0; i < 1000; ++i) {
        for (const char* line : state.range(0) == 0 ? kShortLines : kLongLines) catalogue += line;
    }
    auto source = std::make_unique<kestrion::testing::MemorySource>(catalogue);
    auto input = std::make_unique<kestrion::InputBuffer>(*source, nullptr);
    double sum = 0;
    for (auto _ : state) {
        for (int i = 0; i < 5; ++i) {
            double value;
            if (kestrion::read_value(*input, value) != kestrion::ReadStatus::number) {
                source = std::make_unique<kestrion::testing::MemorySource>(catalogue);
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
