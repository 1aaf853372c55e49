#include "console/key_decoder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/scripted_terminal.h"

namespace sumquill {
namespace {

/// The keys the bytes give, each chunk fed on its own, with a flush after the last one.
std::vector<std::string> decode(std::initializer_list<std::string_view> chunks) {
  KeyDecoder decoder;
  std::vector<std::string> keys;
  for (const auto chunk : chunks) decoder.feed(chunk, keys);
  decoder.flush(keys);
  return keys;
}

TEST(KeyDecoder, SequencesBecomeBiosCodes) {
  struct Case {
    std::string_view bytes;
    std::string_view keys;  // a key script as ScriptedTerminal::type reads it
  } const cases[] = {
      {"\x1b[A\x1b[B\x1b[C\x1b[D", "<up><down><right><left>"},
      {"\x1bOA\x1bOB\x1bOC\x1bOD", "<up><down><right><left>"},
      {"\x1b[H\x1b[F\x1bOH\x1bOF", "<home><end><home><end>"},
      {"\x1b[1~\x1b[4~\x1b[7~\x1b[8~", "<home><end><home><end>"},
      {"\x1b[2~\x1b[3~\x1b[5~\x1b[6~", "<ins><del><pgup><pgdn>"},
      {"\x1bOP\x1bOQ\x1bOR\x1bOS", "<f1><f2><f3><f4>"},
      {"\x1b[11~\x1b[12~\x1b[13~\x1b[14~\x1b[15~", "<f1><f2><f3><f4><f5>"},
      {"\x1b[[A\x1b[[B\x1b[[C\x1b[[D\x1b[[E", "<f1><f2><f3><f4><f5>"},
      {"\x1b[17~\x1b[18~\x1b[19~\x1b[20~\x1b[21~", "<f6><f7><f8><f9><f10>"},
      {"\x1b[1A", "<up>"},
      // Plain bytes: DEL is Backspace, both line ends are Enter, the rest stands for itself.
      {"a1\x7f\b\r\n\t", "a1<bs><bs><enter><enter><tab>"},
      {"\xe9\xfe", "\xe9\xfe"},
      {std::string_view("x\0y", 3), "xy"},
      // Unknown or modified sequences vanish whole, and the keys around them stay.
      {"1\x1b[1;5A2", "12"},
      {"\x1b[23~\x1b[200~\x1b[Z\x1bO2P\x1b[?1;2c", ""},
      {"\x1b["
       "1234567890123456789012345~x",
       "x"},
      // Esc followed by what starts no sequence is Esc, then that key.
      {"\x1b", "<esc>"},
      {"\x1b"
       "1",
       "<esc>1"},
      {"\x1b\x1b", "<esc><esc>"},
      {"\x1b\x1b[A", "<esc><up>"},
      // A byte that cannot be inside a sequence ends it and counts as a key.
      {"\x1b[1\r", "<enter>"},
      // A sequence cut off by the wait is dropped.
      {"\x1b[", ""},
      {"\x1b[1", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(std::string(c.bytes)));
    EXPECT_EQ(decode({c.bytes}), keysOf(c.keys));
  }
}

TEST(KeyDecoder, SequenceSplitAcrossReadsIsOneKey) {
  EXPECT_EQ(decode({"\x1b", "[", "5", "~"}), keysOf("<pgup>"));
  EXPECT_EQ(decode({"\x1bO", "P"}), keysOf("<f1>"));
}

TEST(KeyDecoder, PendingWhileASequenceMayGrow) {
  KeyDecoder decoder;
  std::vector<std::string> keys;
  decoder.feed("\x1b", keys);
  EXPECT_TRUE(decoder.pending());
  EXPECT_TRUE(keys.empty());
  decoder.feed("[A", keys);
  EXPECT_FALSE(decoder.pending());
  EXPECT_EQ(keys, keysOf("<up>"));
}

}  // namespace
}  // namespace sumquill
