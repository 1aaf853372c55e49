// Arbitrary command lines, a few in a row, through the interpreter of the Windows commands in a
// scratch folder. Whatever they say, nothing outside the folder is changed (the path guard stops
// the run at the first call that would), no other program is started, and the folder stays
// within reason.
//
// An input that starts with "N" is a folder instead: its lines are file names (a name starting
// with "D" becomes a folder, one starting with "L" a link to a sentinel outside), and the tool
// checks' deletion must remove exactly the files whose names match check_*.txt.
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "check.h"
#include "console/ascii.h"
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

bool isCheckFileName(std::string_view name) {
  const auto lower = sumquill::lowerAscii(name);
  return lower.size() >= 10 && lower.starts_with("check_") && lower.ends_with(".txt");
}

/// The names of a folder, with whether each is a folder (not following links).
std::map<std::string, bool> folderContent(const fs::path& folder) {
  std::map<std::string, bool> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    names[entry.path().filename().string()] =
        entry.symlink_status().type() == fs::file_type::directory;
  }
  return names;
}

void checkDeletion(const Scratch& scratch, std::string_view input) {
  for (const auto& entry : fs::directory_iterator(scratch.work)) fs::remove_all(entry.path());
  std::map<std::string, bool> expected;
  while (!input.empty()) {
    const auto end = input.find('\n');
    std::string name(input.substr(0, end));
    input.remove_prefix(end == std::string_view::npos ? input.size() : end + 1);
    std::erase_if(name, [](char c) { return c == '/' || c == '\0'; });
    if (name.empty() || name == "." || name == ".." || name.size() > 255 || expected.count(name)) {
      continue;
    }
    const fs::path path = scratch.work / name;
    if (name[0] == 'D') {
      fs::create_directory(path);
    } else if (name[0] == 'L') {
      fs::create_symlink(scratch.root / "check_01.txt", path);
    } else {
      Scratch::write(path, name);
    }
    const bool folder = name[0] == 'D';
    if (folder || !isCheckFileName(name)) expected[name] = folder;
  }
  // The loop's own output file, and a name of the input that is the same, stays either way.
  expected.erase("out_null.txt");
  fs::current_path(scratch.work);
  sumquill::CommandInterpreter interpreter([](std::string_view) {});
  sumquill::fuzzing::armPathGuard(scratch.work.string());
  interpreter.run("cmd /c for %i in (check_*.txt) do del /q \"%i\" > out_null.txt");
  sumquill::fuzzing::disarmPathGuard();
  auto left = folderContent(scratch.work);
  left.erase("out_null.txt");
  CHECK(left == expected);
  scratch.checkSentinels();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const Scratch scratch;
  std::string_view input(reinterpret_cast<const char*>(data), size);
  if (!input.empty() && input.front() == 'N') {
    checkDeletion(scratch, input.substr(1));
    return 0;
  }
  scratch.reset();
  fs::current_path(scratch.work);

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
