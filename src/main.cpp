// kestrion: each star's share of a star pair's light at one wavelength,
// cycle after cycle. Takes no arguments; reads standard input until it ends.
#include "arithmetic_platform.h"
#include "dialogue.h"
#include "fd_stream.h"

int main() {
    kestrion::set_up_arithmetic();
    kestrion::set_up_standard_streams();
    kestrion::FdSource input(kestrion::kStandardInput, "standard input");
    kestrion::FdSink output(kestrion::kStandardOutput, "standard output");
    kestrion::FdSink error(kestrion::kStandardError, "standard error");
    return kestrion::run_dialogue(input, output, error);
}
