#include "byte_stream.h"

namespace kestrion {

bool write_last_resort(ByteSink& sink, std::string_view text) noexcept {
    try {
        sink.write(text.data(), text.size());
        return true;
    } catch (const StreamError&) {
        return false;
    }
}

}  // namespace kestrion
