#include "star_pair.h"

#include <unistd.h>

#include <cerrno>

#include "extended.h"
#include "share_computation.h"

namespace kestrion {
namespace {

class StandardErrorSink final : public ErrorLineSink {
public:
    void write_error_line(std::string_view line) override {
        const char* p = line.data();
        size_t left = line.size();
        while (left > 0) {
            const ssize_t n = ::write(STDERR_FILENO, p, left);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return;  // standard error is the last resort; nothing to tell
            p += n;
            left -= static_cast<size_t>(n);
        }
    }
};

}  // namespace

ErrorLineSink& standard_error_sink() {
    static StandardErrorSink sink;
    return sink;
}

void compute_shares(StarPairValues& values, ErrorLineSink& errors) { compute_shares_with<Extended>(values, errors); }

}  // namespace kestrion
