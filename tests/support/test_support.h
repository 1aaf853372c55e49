// Helpers shared by the tests: temporary folders, whole files, a shell that records.
#pragma once

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "files/shell.h"

#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>
#endif

namespace sumquill::testing {

/// A fresh empty folder that is the working directory while the object lives.
class ScopedTempDir {
 public:
  ScopedTempDir() : previous_(std::filesystem::current_path()) {
    auto base = std::filesystem::temp_directory_path();
    for (unsigned i = 0;; ++i) {
      path_ = base /
              ("sumquill_test_" + std::to_string(std::random_device{}()) + "_" + std::to_string(i));
      if (std::filesystem::create_directory(path_)) break;
    }
    std::filesystem::current_path(path_);
  }
  ~ScopedTempDir() {
    std::filesystem::current_path(previous_);
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  ScopedTempDir(const ScopedTempDir&) = delete;
  ScopedTempDir& operator=(const ScopedTempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path previous_;
  std::filesystem::path path_;
};

inline std::string readWholeFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeWholeFile(const std::filesystem::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

/// The names in the working directory, sorted.
inline std::vector<std::string> folderNames() {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(".")) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

/// The lines of console or report output, split at CR LF; a last line without one is kept.
inline std::vector<std::string> linesOf(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (;;) {
    const auto end = text.find("\r\n", start);
    if (end == std::string_view::npos) {
      if (start < text.size()) lines.emplace_back(text.substr(start));
      return lines;
    }
    lines.emplace_back(text.substr(start, end - start));
    start = end + 2;
  }
}

#ifndef _WIN32
/// Files of this process may grow to `bytes` while the object lives, as under `ulimit -f`: a write
/// beyond fails with EFBIG, the way a full disk makes it fail, instead of raising SIGXFSZ.
class ScopedFileSizeLimit {
 public:
  explicit ScopedFileSizeLimit(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &previous_);
    previousAction_ = ::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = previous_;
    limit.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~ScopedFileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &previous_);
    ::signal(SIGXFSZ, previousAction_);
  }
  ScopedFileSizeLimit(const ScopedFileSizeLimit&) = delete;
  ScopedFileSizeLimit& operator=(const ScopedFileSizeLimit&) = delete;

 private:
  rlimit previous_{};
  sighandler_t previousAction_;
};
#endif

/// Records every command line; runs it through `next` when one is given.
class RecordingShell : public Shell {
 public:
  explicit RecordingShell(Shell* next = nullptr) : next_(next) {}
  int run(const std::string& commandLine) override {
    commands.push_back(commandLine);
    return next_ ? next_->run(commandLine) : 0;
  }
  std::vector<std::string> commands;

 private:
  Shell* next_;
};

}  // namespace sumquill::testing
