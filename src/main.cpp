// kestrion: each star's share of a star pair's light at one wavelength,
// cycle after cycle. Takes no arguments; reads standard input until it ends.
#include <unistd.h>

#include "arithmetic_platform.h"
#include "dialogue.h"
#include "fd_stream.h"

int main() {
    kestrion::set_up_arithmetic();
    kestrion::FdSource input(STDIN_FILENO, "standard input");
    kestrion::FdSink output(STDOUT_FILENO, "standard output");
    kestrion::FdSink error(STDERR_FILENO, "standard error");
    return kestrion::run_dialogue(input, output, error);
}
