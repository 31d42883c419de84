#include "stream_buffers.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "memory_streams.h"

namespace kestrion {
namespace {

using testing::MemorySink;
using testing::MemorySource;

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

std::string drain(InputBuffer& in) {
    std::string text;
    for (int c = in.peek(); c != InputBuffer::kEnd; c = in.peek()) {
        text += static_cast<char>(c);
        in.advance();
    }
    return text;
}

TEST(InputBuffer, ReadsEveryByteWhateverTheChunking) {
    std::string data;
    for (int i = 0; i < 300'000; ++i) data += static_cast<char>(i * 7);
    for (size_t chunk : {size_t{1}, size_t{3}, size_t{4096}, size_t{65536}, SIZE_MAX}) {
        MemorySource source(data, chunk);
        InputBuffer in(source, nullptr);
        EXPECT_EQ(drain(in), data) << chunk;
        EXPECT_EQ(in.peek(), InputBuffer::kEnd);  // and stays at the end
    }
}

TEST(InputBuffer, DiscardLineStopsAfterTheLineEnd) {
    for (size_t chunk : {size_t{1}, size_t{5}, SIZE_MAX}) {
        MemorySource source("junk junk\nnext\nlast", chunk);
        InputBuffer in(source, nullptr);
        in.discard_line();
        EXPECT_EQ(in.peek(), 'n');
        in.discard_line();
        in.discard_line();  // no line end before the end of input
        EXPECT_EQ(in.peek(), InputBuffer::kEnd);
    }
}

// Records, at each read, what the output side had received by then.
class ObservingSource final : public ByteSource {
public:
    ObservingSource(std::string_view data, const MemorySink& sink) : data_(data), sink_(sink) {}
    size_t read(char* buffer, size_t size) override {
        seen.push_back(sink_.text);
        return inner_.read(buffer, size);
    }
    std::vector<std::string> seen;

private:
    std::string_view data_;
    MemorySource inner_{data_, 2};
    const MemorySink& sink_;
};

TEST(InputBuffer, FlushesOutputBeforeEveryRead) {
    MemorySink sink;
    OutputBuffer out(sink);
    ObservingSource source("1234", sink);
    InputBuffer in(source, &out);
    out.write("prompt one: ");
    in.peek();
    out.write("prompt two: ");
    in.advance();
    in.peek();  // still buffered: no read, no flush
    in.advance();
    in.peek();
    ASSERT_EQ(source.seen.size(), 2u);
    EXPECT_EQ(source.seen[0], "prompt one: ");
    EXPECT_EQ(source.seen[1], "prompt one: prompt two: ");
}

}  // namespace
}  // namespace kestrion
