// Drives the whole dialogue over arbitrary input bytes. Beyond what the
// sanitizers catch, it checks that the transcript does not depend on how the
// input is split into reads, and that a run always ends well.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "arithmetic_platform.h"
#include "dialogue.h"
#include "dialogue_texts.h"
#include "memory_streams.h"
#include "star_pair.h"

namespace {

using kestrion::fuzz::MemorySink;
using kestrion::fuzz::MemorySource;
constexpr std::string_view kBannerText = kestrion::texts::kBanner;
constexpr std::string_view kOverflowText = kestrion::kOverflowLine;

void check(bool ok) {
    if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    kestrion::set_up_arithmetic();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    MemorySource whole(input, SIZE_MAX);
    MemorySink out, err;
    check(kestrion::run_dialogue(whole, out, err) == 0);
    check(std::string_view(out.text).starts_with(kBannerText));
    check(std::string_view(out.text).ends_with(": \n"));
    check(err.text.size() % kOverflowText.size() == 0);
    for (size_t at = 0; at < err.text.size(); at += kOverflowText.size()) {
        check(std::string_view(err.text).substr(at, kOverflowText.size()) == kOverflowText);
    }

    const size_t chunk = size == 0 ? 1 : 1 + data[0] % 5;
    MemorySource pieces(input, chunk);
    MemorySink out2, err2;
    check(kestrion::run_dialogue(pieces, out2, err2) == 0);
    check(out2.text == out.text && err2.text == err.text);
    return 0;
}
