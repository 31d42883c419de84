// For comparison only: the same dialogue written plainly with scanf and
// printf, the way a first version of the program would be. Not installed.
#include <cstdio>

#include "arithmetic_platform.h"
#include "dialogue_texts.h"
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
    namespace texts = kestrion::texts;
    kestrion::set_up_arithmetic();
    kestrion::StarPairValues v;
    StandardErrorLine errors;
    const auto put = [](std::string_view text) { std::fwrite(text.data(), 1, text.size(), stdout); };
    put(texts::kBanner);
    for (;;) {
        for (const texts::Prompt& prompt : texts::kPrompts) {
            put(prompt.text);
            double d;
            const int got = std::scanf("%lf", &d);
            if (got == EOF) {
                std::putchar('\n');
                return 0;
            }
            if (got == 1) v.*prompt.field = static_cast<float>(d);
        }
        put(texts::kDashLine);
        std::fflush(stdout);
        kestrion::compute_shares(v, errors);
        for (const texts::ReportValue& line : texts::kReport) {
            std::printf("%.*s%f", static_cast<int>(line.before.size()), line.before.data(), v.*line.field);
        }
        for (std::string_view text : texts::kReportEnd) put(text);
    }
}
