#include "console/stream_input.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace sumquill {
namespace {

/// Input arriving in the given chunks, one chunk per read, then the end.
struct ChunkedInput {
  explicit ChunkedInput(std::vector<std::string> chunks)
      : chunks_(std::move(chunks)), input([this](char* buffer, std::size_t size) {
          ++reads;
          if (next_ == chunks_.size()) return std::ptrdiff_t{0};
          const std::string& chunk = chunks_[next_++];
          const std::size_t count = std::min(size, chunk.size());
          std::memcpy(buffer, chunk.data(), count);
          return static_cast<std::ptrdiff_t>(count);
        }) {}

  /// Runs the operations ('k' waits for a key as a menu does, 'l' reads a line) and logs them.
  std::string run(std::string_view operations) {
    std::string log;
    for (const char operation : operations) {
      if (!log.empty()) log += ' ';
      if (operation == 'k') {
        while (!input.hasKey() && input.fill()) {
        }
        log += input.hasKey() ? "k" + input.takeKey() : "k<end>";
      } else {
        std::string line;
        const bool read = input.readLine(line);
        log += "l[" + line + "]" + (read ? "" : "<end>");
      }
    }
    return log;
  }

  std::vector<std::string> chunks_;
  std::size_t next_ = 0;
  int reads = 0;
  StreamInput input;
};

TEST(StreamInput, KeysAndLines) {
  struct Case {
    std::vector<std::string> chunks;
    std::string_view operations;
    std::string_view log;
  } const cases[] = {
      // One key per line or several on one line give the same keys.
      {{"1\n2\n"}, "kkk", "k1 k2 k<end>"},
      {{"12\n"}, "kkk", "k1 k2 k<end>"},
      {{"1\r\n2\r3"}, "kkk", "k1 k2 k3"},
      {{"\n\r\n1"}, "k", "k1"},
      // The line end of a key is not an empty answer for the prompt after it, in any form and
      // even when it arrives after the key was taken.
      {{"1\nB\n"}, "kl", "k1 l[B]"},
      {{"1\r\nB\r\n"}, "kl", "k1 l[B]"},
      {{"1\rB\r"}, "kl", "k1 l[B]"},
      {{"1", "\r", "\n", "B\n"}, "kl", "k1 l[B]"},
      {{"1\n\nB\n"}, "kll", "k1 l[] l[B]"},
      // Lines: a carriage return only before the line feed or at the end goes; Backspace edits.
      {{"a\rb\r\n"}, "l", "l[a\rb]"},
      {{"abc\bd\x7F\n"}, "l", "l[ab]"},
      {{"\b\bx\n"}, "l", "l[x]"},
      {{"B\nC\n2\n"}, "llk", "l[B] l[C] k2"},
      {{"ab", "c\n"}, "l", "l[abc]"},
      // The end of the input: what was read so far, or nothing.
      {{"last"}, "ll", "l[last] l[]<end>"},
      {{"last\r"}, "l", "l[last]"},
      {{}, "lk", "l[]<end> k<end>"},
      {{"\n"}, "k", "k<end>"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.chunks));
    ChunkedInput in(c.chunks);
    EXPECT_EQ(in.run(c.operations), c.log);
  }
}

TEST(StreamInput, OnlyLineEndsLeftMeansNoKeyAndNoFurtherRead) {
  // A waiting menu asks hasKey before it blocks: line ends alone must not look like input.
  ChunkedInput in({"1\r\n\r\n\n", "2"});
  ASSERT_TRUE(in.input.fill());
  EXPECT_EQ(in.input.takeKey(), "1");
  EXPECT_FALSE(in.input.hasKey());
  EXPECT_FALSE(in.input.ended());
  EXPECT_EQ(in.reads, 1);
  ASSERT_TRUE(in.input.fill());
  EXPECT_EQ(in.input.takeKey(), "2");
  EXPECT_FALSE(in.input.fill());
  EXPECT_TRUE(in.input.ended());
}

TEST(StreamInput, TakeKeyNeverReads) {
  ChunkedInput in({"1"});
  EXPECT_EQ(in.input.takeKey(), "");
  EXPECT_EQ(in.reads, 0);
}

}  // namespace
}  // namespace sumquill
