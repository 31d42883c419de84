// Collects the computation's error lines instead of writing them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "star_pair.h"

namespace kestrion::testing {

class RecordingSink final : public ErrorLineSink {
public:
    void write_error_line(std::string_view line) noexcept override { lines.emplace_back(line); }
    std::vector<std::string> lines;
};

}  // namespace kestrion::testing
