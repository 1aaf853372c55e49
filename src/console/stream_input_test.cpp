#include "console/stream_input.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "console/answers.h"

namespace sumquill {
namespace {

/// Input arriving in the given chunks, one chunk per read, then the end.
struct ChunkedInput {
  explicit ChunkedInput(std::vector<std::string> chunks)
      : chunks_(std::move(chunks)), input([this](char* buffer, std::size_t size) {
          ++reads;
          if (next_ == chunks_.size()) return std::ptrdiff_t{0};
          // A chunk longer than the reader's buffer comes in several reads.
          const std::string& chunk = chunks_[next_];
          const std::size_t count = std::min(size, chunk.size() - offset_);
          std::memcpy(buffer, chunk.data() + offset_, count);
          offset_ += count;
          if (offset_ == chunk.size()) {
            ++next_;
            offset_ = 0;
          }
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
  std::size_t offset_ = 0;
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
      // Lines end at a line feed, a carriage return or both; Backspace edits; no other control
      // byte is kept, as no key types one.
      {{"a\rb\r\nc\n"}, "lll", "l[a] l[b] l[c]"},
      {{"a\r", "\nb\n"}, "ll", "l[a] l[b]"},
      {{"1\r2\r3\rB\rC\r"}, "kkkll", "k1 k2 k3 l[B] l[C]"},
      {{"\r\r"}, "lll", "l[] l[] l[]<end>"},
      {{std::string("B\tX\0Y\x1b[31mR\x01\x1f\xff", 15) + "\n"}, "l", "l[BXY[31mR\xff]"},
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

TEST(StreamInput, AnEndlessLineKeepsOnlyWhatTheAnswerCanUse) {
  const std::size_t kept = kMaxTextAnswer + 1;
  struct Case {
    std::string name;
    std::string line;
    std::string answer;  ///< what the whole line, kept in full, gives as a text answer
  } const cases[] = {
      {"long", std::string(1'000'000, 'A'), std::string(kMaxTextAnswer, 'A')},
      {"long, then erased back", std::string(1'000'000, 'A') + std::string(999'000, '\b'),
       std::string(1000, 'A')},
      {"erased into the kept part", std::string(5000, 'A') + std::string(4990, '\x7f'),
       std::string(10, 'A')},
      {"blanks first", std::string(100'000, ' ') + "B,C", "B"},
      {"blanks, erased", std::string(100'000, ' ') + "BC" + std::string(99'999, '\b'), ""},
      {"quoted", "  \"" + std::string(200'000, 'q'), std::string(kMaxTextAnswer, 'q')},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ChunkedInput in({c.line + "\nnext\n"});
    std::string line;
    ASSERT_TRUE(in.input.readLine(line));
    EXPECT_LE(line.size(), 2 * kept);
    EXPECT_TRUE(textAnswer(line) == c.answer) << textAnswer(line).size();
    ASSERT_TRUE(in.input.readLine(line));
    EXPECT_EQ(line, "next");
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
