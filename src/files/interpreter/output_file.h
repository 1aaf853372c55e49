// A file a command writes: the target of a redirection, a copy, the output of sort. It is opened
// as the program opens all its files (files/regular_file.h), and a write that fails takes the
// whole file back: no command leaves a partial file that a later step would read as whole.
#pragma once

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace sumquill::interpreter {

/// What cmd.exe says when a file cannot be opened for writing.
inline constexpr std::string_view kAccessDenied = "Access is denied.";

class OutputFile {
 public:
  /// Nothing when the file cannot be opened for writing; `reason` then gets cmd.exe's message.
  static std::unique_ptr<OutputFile> open(const std::string& name, bool append,
                                          std::string_view& reason);
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  void write(std::string_view bytes);
  /// Writes out and closes. When a write failed: cmd.exe's message for it, and the file is
  /// removed, or cut back to what it held when it was opened for appending.
  std::optional<std::string_view> close();

 private:
  OutputFile(std::string name, std::FILE* stream, std::uintmax_t keptSize, bool append)
      : name_(std::move(name)), stream_(stream), keptSize_(keptSize), append_(append) {}

  std::string name_;
  std::FILE* stream_;
  std::uintmax_t keptSize_;
  bool append_;
  int error_ = 0;
};

/// The bytes of a regular file of the working directory; nothing for anything else.
std::optional<std::string> readPlainFile(const std::string& name);

}  // namespace sumquill::interpreter
