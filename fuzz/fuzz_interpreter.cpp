// Arbitrary command lines, a few in a row, through the interpreter of the Windows commands in a
// scratch folder. Whatever they say, nothing outside the folder is changed (the path guard stops
// the run at the first call that would), no other program is started, and the folder stays
// within reason.
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "check.h"
#include "files/interpreter/command_interpreter.h"
#include "path_guard.h"

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kMaxCommands = 8;
constexpr std::uintmax_t kMaxFolderBytes = 64u << 20;

/// root/work is where the commands run; root/outside and root itself hold sentinels that
/// wildcards, "..", absolute paths and drive letters must never reach.
struct Scratch {
  fs::path root;
  fs::path work;
  Scratch() {
    char pattern[] = "/tmp/sumquill_fuzz_interpreter_XXXXXX";
    CHECK(mkdtemp(pattern) != nullptr);
    char resolved[PATH_MAX];
    CHECK(realpath(pattern, resolved) != nullptr);
    root = resolved;
    work = root / "work";
    fs::create_directories(work);
    fs::create_directories(root / "outside");
    write(root / "outside" / "check_01.txt", "sentinel\r\n");
    write(root / "check_01.txt", "sentinel\r\n");
    fs::current_path(work);
  }
  static void write(const fs::path& path, std::string_view bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
  }
  /// A work folder as the program leaves it midway: listings, scratch files, a subfolder.
  void reset() const {
    for (const auto& entry : fs::directory_iterator(work)) fs::remove_all(entry.path());
    write(work / "check_01.txt", " Volume in drive C has no label.\r\n 1 File(s)\r\n");
    write(work / "check_02.txt", "b\r\na\r\n");
    write(work / "stm_01.txt", "01/01/2024  12:00    1 cmd.exe\r\n");
    write(work / "a b.txt", "line\r\n");
    fs::create_directories(work / "sub");
    write(work / "sub" / "inner.txt", "x\r\n");
  }
  void checkSentinels() const {
    for (const auto& path : {root / "outside" / "check_01.txt", root / "check_01.txt"}) {
      std::ifstream in(path, std::ios::binary);
      const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
      CHECK(bytes == "sentinel\r\n");
    }
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(root)) ++entries;
    CHECK(entries == 3);  // work, outside, check_01.txt
  }
  void checkWorkFolder() const {
    std::uintmax_t bytes = 0;
    for (const auto& entry : fs::recursive_directory_iterator(work)) {
      CHECK(!entry.is_symlink());
      if (entry.is_regular_file()) bytes += entry.file_size();
    }
    CHECK(bytes <= kMaxFolderBytes);
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const Scratch scratch;
  scratch.reset();
  fs::current_path(scratch.work);

  std::string_view input(reinterpret_cast<const char*>(data), size);
  // A command line is a C string: it ends at the first zero byte.
  input = input.substr(0, input.find('\0'));
  std::vector<std::string> commands;
  while (!input.empty() && commands.size() < kMaxCommands) {
    const auto end = input.find('\n');
    commands.emplace_back(input.substr(0, end));
    input.remove_prefix(end == std::string_view::npos ? input.size() : end + 1);
  }

  std::size_t printed = 0;
  sumquill::CommandInterpreter interpreter(
      [&printed](std::string_view bytes) { printed += bytes.size(); });
  for (const auto& command : commands) {
    if (command.empty()) continue;
    sumquill::fuzzing::armPathGuard(scratch.work.string());
    interpreter.run(command);
    sumquill::fuzzing::disarmPathGuard();
    // Commands may change the working directory only within the folder, and the next one
    // still runs there.
    const auto now = fs::current_path().string();
    CHECK(now.compare(0, scratch.work.string().size(), scratch.work.string()) == 0);
  }
  scratch.checkSentinels();
  scratch.checkWorkFolder();
  CHECK(printed <= kMaxFolderBytes);
  return 0;
}
