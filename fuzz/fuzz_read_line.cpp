// Any bytes as a file read line by line: the lines are exactly the file's bytes split at its
// line ends, a carriage return before a line feed (or as the last byte) dropped with it, and the
// end-of-file test stops the loop after the last of them.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "check.h"
#include "files/file_table.h"

namespace {

using sumquill::FileMode;
using sumquill::FileNumber;
using sumquill::FileTable;

std::vector<std::string> modelLines(std::string_view bytes) {
  std::vector<std::string> lines;
  while (!bytes.empty()) {
    const auto end = bytes.find('\n');
    std::string_view line = bytes.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.emplace_back(line);
    if (end == std::string_view::npos) break;
    bytes.remove_prefix(end + 1);
  }
  return lines;
}

struct Scratch {
  Scratch() {
    char pattern[] = "/tmp/sumquill_fuzz_read_line_XXXXXX";
    CHECK(mkdtemp(pattern) != nullptr);
    std::filesystem::current_path(pattern);
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Scratch scratch;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  {
    std::FILE* file = std::fopen("input.txt", "wb");
    CHECK(file != nullptr);
    CHECK(std::fwrite(data, 1, size, file) == size);
    CHECK(std::fclose(file) == 0);
  }

  FileTable files;
  const FileNumber number = files.freeFileNumber();
  CHECK(number == 1);
  CHECK(files.openFile("input.txt", FileMode::input, number));
  std::vector<std::string> lines;
  // A variable that is never emptied by the caller: every read must replace it whole.
  std::string line = "left over";
  while (!files.atEndOfFile(number)) {
    files.readLine(number, line);
    lines.push_back(line);
    CHECK(lines.size() <= size);
  }
  CHECK(lines == modelLines(bytes));

  // Past the end nothing changes; after closing, the number is free again and reads nothing.
  files.readLine(number, line);
  CHECK(files.atEndOfFile(number));
  files.closeFile(number);
  CHECK(files.freeFileNumber() == 1);
  line = "kept";
  files.readLine(number, line);
  CHECK(line == "kept");
  return 0;
}
