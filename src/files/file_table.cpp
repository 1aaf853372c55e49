#include "files/file_table.h"

#include <cerrno>
#include <cstring>
#include <system_error>

#include "console/console.h"
#include "files/regular_file.h"

namespace sumquill {

struct FileTable::OpenFile {
  std::FILE* stream = nullptr;
  FileMode mode = FileMode::input;
  std::uintmax_t size = 0;  // input: the size when opened
  std::uintmax_t position = 0;
  bool metEnd = false;
  std::string writeError;  // output: the first failure, kept until the file is closed
};

namespace {

std::string reasonOf(int error) { return std::generic_category().message(error); }

}  // namespace

FileTable::FileTable() = default;

FileTable::~FileTable() { closeAllFiles(); }

FileTable::OpenFile* FileTable::entry(FileNumber number) const {
  if (number < 1 || number > kMaxNumber) return nullptr;
  return files_[static_cast<std::size_t>(number)].get();
}

FileNumber FileTable::freeFileNumber() const {
  for (FileNumber number = 1; number <= kMaxNumber; ++number) {
    if (!files_[static_cast<std::size_t>(number)]) return number;
  }
  return 0;
}

bool FileTable::openFile(std::string_view name, FileMode mode, FileNumber number,
                         std::string* error) {
  const auto fail = [&](std::string reason) {
    if (error) *error = std::move(reason);
    return false;
  };
  if (number < 1 || number > kMaxNumber) return fail("no such file number");
  if (entry(number)) return fail("file number already in use");

  const std::string path(name);
  auto file = std::make_unique<OpenFile>();
  file->mode = mode;
  if (mode == FileMode::input) {
    // Only a regular file has a size to read up to; a folder of that name is no input.
    std::string reason;
    const auto size = regularFileSize(path, reason);
    if (!size) return fail(reason);
    file->size = *size;
  }
  // Binary in both directions: the line end is always CR LF on disk, and reading handles it.
  errno = 0;
  file->stream = std::fopen(path.c_str(), mode == FileMode::input ? "rb" : "wb");
  if (!file->stream) return fail(reasonOf(errno ? errno : EIO));
  files_[static_cast<std::size_t>(number)] = std::move(file);
  return true;
}

bool FileTable::atEndOfFile(FileNumber number) {
  const OpenFile* file = entry(number);
  if (!file || file->mode != FileMode::input) return true;
  return file->metEnd || file->position >= file->size;
}

void FileTable::readLine(FileNumber number, std::string& line) {
  OpenFile* file = entry(number);
  if (!file || file->mode != FileMode::input) return;
  line.clear();
  for (;;) {
    const int c = std::getc(file->stream);
    if (c == EOF) {
      file->metEnd = true;
      // A carriage return that is the file's last byte ends the last line.
      if (!line.empty() && line.back() == '\r') line.pop_back();
      return;
    }
    ++file->position;
    if (c == '\n') {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      return;
    }
    line.push_back(static_cast<char>(c));
  }
}

std::string FileTable::closeFile(FileNumber number) {
  OpenFile* file = entry(number);
  if (!file) return {};
  std::string result = std::move(file->writeError);
  errno = 0;
  if (std::fclose(file->stream) != 0 && file->mode == FileMode::output && result.empty()) {
    result = reasonOf(errno ? errno : EIO);
  }
  files_[static_cast<std::size_t>(number)].reset();
  return result;
}

void FileTable::closeAllFiles() {
  for (FileNumber number = 1; number <= kMaxNumber; ++number) closeFile(number);
}

void FileTable::printText(FileNumber number, std::string_view text) {
  OpenFile* file = entry(number);
  if (!file || file->mode != FileMode::output || text.empty()) return;
  errno = 0;
  if (std::fwrite(text.data(), 1, text.size(), file->stream) != text.size() &&
      file->writeError.empty()) {
    file->writeError = reasonOf(errno ? errno : EIO);
  }
}

void FileTable::printLine(FileNumber number, std::string_view text) {
  printText(number, text);
  printText(number, "\r\n");
}

void FileTable::printInteger(FileNumber number, std::int32_t value) {
  printLine(number, printedInteger(value));
}

}  // namespace sumquill
