#include "output_buffer.h"

#include <gtest/gtest.h>

#include <string>

#include "memory_streams.h"

namespace kestrion {
namespace {

using testing::MemorySink;

TEST(OutputBuffer, KeepsEveryByteInOrderAcrossFlushes) {
    MemorySink sink;
    std::string expected;
    {
        OutputBuffer out(sink);
        const std::string big(OutputBuffer::kCapacity * 2 + 17, 'x');
        for (int i = 0; i < 5000; ++i) {
            const std::string piece = std::to_string(i) + ",";
            out.write(piece);
            expected += piece;
            if (i % 1000 == 0) {
                out.write(big);
                expected += big;
            }
            char* p = out.reserve(3);
            *p++ = 'a';
            *p++ = 'b';
            out.commit(p);
            expected += "ab";
        }
        out.flush();
    }
    EXPECT_EQ(sink.text, expected);
}

}  // namespace
}  // namespace kestrion
