// Micro-benchmarks of the three steps of a cycle: reading a value,
// computing the shares, formatting the report.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "arithmetic_setup.h"
#include "number_format.h"
#include "read_single.h"
#include "star_pair.h"

namespace {

const std::vector<std::string> kLiterals = {"0.585", "0.9655985959905", "9.1292e+03", "13270.027243044078",
                                            "5213.01", "5800", "0.3", "4000", "6563.28", "1e-3"};

void BM_ReadValue(benchmark::State& state) {
    size_t i = 0;
    for (auto _ : state) {
        float value;
        benchmark::DoNotOptimize(kestrion::testing::read_single(kLiterals[i], value));
        benchmark::DoNotOptimize(value);
        i = i + 1 == kLiterals.size() ? 0 : i + 1;
    }
}
BENCHMARK(BM_ReadValue);

void BM_ReadLongLiteral(benchmark::State& state) {
    const std::string literal = "0." + std::string(static_cast<size_t>(state.range(0)), '3');
    for (auto _ : state) {
        float value;
        benchmark::DoNotOptimize(kestrion::testing::read_single(literal, value));
    }
}
BENCHMARK(BM_ReadLongLiteral)->Arg(30)->Arg(1000);

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

void BM_FormatReport(benchmark::State& state) {
    const float values[7] = {0.585f, 0.965599f, 9129.2f, 13270.027f, 0.116164f, 0.883836f, 5213.01f};
    char buffer[7 * kestrion::kMaxFixed6Length];
    for (auto _ : state) {
        char* out = buffer;
        for (float v : values) out = kestrion::format_fixed6(v, out);
        benchmark::DoNotOptimize(out);
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
