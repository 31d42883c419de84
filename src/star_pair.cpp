#include "star_pair.h"

#include <unistd.h>

#include "byte_streams.h"
#include "extended.h"
#include "share_computation.h"

namespace kestrion {
namespace {

class StandardErrorSink final : public ErrorLineSink {
public:
    void write_error_line(std::string_view line) override {
        try {
            error_.write(line.data(), line.size());
        } catch (const StreamError&) {
            // Standard error is the last resort; there is nowhere to tell.
        }
    }

private:
    FdSink error_{STDERR_FILENO, "standard error"};
};

}  // namespace

ErrorLineSink& standard_error_sink() {
    static StandardErrorSink sink;
    return sink;
}

void compute_shares(StarPairValues& values, ErrorLineSink& errors) { compute_shares_with<Extended>(values, errors); }

}  // namespace kestrion
