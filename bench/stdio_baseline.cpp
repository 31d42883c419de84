// For comparison only: the same dialogue written plainly with scanf and
// printf, the way a first version of the program would be. Not installed.
#include <cstdio>

#include "arithmetic_platform.h"
#include "star_pair.h"

namespace {

class StandardErrorLine final : public kestrion::ErrorLineSink {
public:
    void write_error_line(std::string_view line) noexcept override {
        std::fwrite(line.data(), 1, line.size(), stderr);
    }
};

}  // namespace

int main() {
    kestrion::set_up_arithmetic();
    kestrion::StarPairValues v;
    StandardErrorLine errors;
    std::fputs("\n<<< Kestrion : Ver 2.00 >>>\n\nExit with CTRL+C\n\n", stdout);
    float* const fields[] = {&v.star1_radius, &v.star2_radius, &v.star1_temperature, &v.star2_temperature,
                             &v.wavelength_angstrom};
    const char* const prompts[] = {"star1 radius (0-1) : ", "star2 radius (0-1) : ", "star1 temperature  : ",
                                   "star2 temperature  : ", "wavelength (Angstrom) : "};
    for (;;) {
        for (int i = 0; i < 5; ++i) {
            std::fputs(prompts[i], stdout);
            double d;
            const int got = std::scanf("%lf", &d);
            if (got == EOF) {
                std::putchar('\n');
                return 0;
            }
            if (got == 1) *fields[i] = static_cast<float>(d);
        }
        std::puts("----------------------------------------");
        std::fflush(stdout);
        kestrion::compute_shares(v, errors);
        std::printf("Radius\n    star1=%f\n    star2=%f\n", v.star1_radius, v.star2_radius);
        std::printf("Temperture\n    star1=%f\n    star2=%f\n", v.star1_temperature, v.star2_temperature);
        std::printf("Luminosity\n    star1=%f\n    star2=%f\n", v.star1_share, v.star2_share);
        std::printf("WaveLength %f (Angstrom)\n----------------------------------------\n\n", v.wavelength_angstrom);
    }
}
