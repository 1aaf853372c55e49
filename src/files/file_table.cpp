#include "files/file_table.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>
#include <system_error>

#include "console/printed_integer.h"
#include "console/temporary_files.h"
#include "files/regular_file.h"

namespace sumquill {

struct FileTable::OpenFile {
  std::FILE* stream = nullptr;
  FileMode mode = FileMode::input;
  std::uintmax_t size = 0;  // input: the size when opened
  std::uintmax_t position = 0;
  bool metEnd = false;
  std::string writeError;  // output: the first failure, kept until the file is closed
  std::string finalName;   // replacement: the name the file takes when it is closed
  std::string temporaryName;
  int temporarySlot = -1;
};

namespace {

std::string reasonOf(int error) { return std::generic_category().message(error); }

/// A name beside `name` that no other run picks: hidden where names can be, and never one the
/// tool checks' deletion matches.
std::string temporaryNameFor(std::string_view name) {
  static std::mt19937 random{std::random_device{}()};
  char suffix[16];
  std::snprintf(suffix, sizeof suffix, "%08x", static_cast<unsigned>(random()));
  return "." + std::string(name) + "." + suffix + ".tmp";
}

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

  auto file = std::make_unique<OpenFile>();
  file->mode = mode;
  if (mode == FileMode::replacement) {
    std::string reason;
    if (!openReplacement(name, *file, reason)) return fail(std::move(reason));
  } else {
    // Binary in both directions: the line end is always CR LF on disk, and reading handles it.
    OpenedFile opened = openRegularFile(
        std::string(name), mode == FileMode::input ? OpenPurpose::read : OpenPurpose::write);
    if (!opened.stream) return fail(std::move(opened.reason));
    file->stream = opened.stream;
    file->size = opened.size;
  }
  files_[static_cast<std::size_t>(number)] = std::move(file);
  return true;
}

bool FileTable::openReplacement(std::string_view name, OpenFile& file, std::string& reason) {
  file.finalName = std::string(name);
  reason = whyNotReplaceable(file.finalName);
  if (!reason.empty()) return false;
  for (int attempt = 0; attempt < 100; ++attempt) {
    file.temporaryName = temporaryNameFor(name);
    OpenedFile opened = createNewFile(file.temporaryName);
    if (opened.stream) {
      file.stream = opened.stream;
      file.temporarySlot = TemporaryFiles::add(file.temporaryName);
      return true;
    }
    if (opened.error != EEXIST) {
      reason = std::move(opened.reason);
      return false;
    }
  }
  reason = reasonOf(EEXIST);
  return false;
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
  std::string reason;
  release(number, true, reason);
  return reason;
}

void FileTable::closeAllFiles() {
  std::string ignored;
  for (FileNumber number = 1; number <= kMaxNumber; ++number) release(number, false, ignored);
}

void FileTable::release(FileNumber number, bool keep, std::string& reason) {
  OpenFile* file = entry(number);
  if (!file) return;
  reason = std::move(file->writeError);
  errno = 0;
  if (std::fclose(file->stream) != 0 && file->mode != FileMode::input && reason.empty()) {
    reason = reasonOf(errno ? errno : EIO);
  }
  if (file->mode == FileMode::replacement) {
    // A report whose folder was removed meanwhile, or that lost its name, is no success either:
    // the rename fails.
    if (keep && reason.empty()) reason = replaceFile(file->temporaryName, file->finalName);
    if (!keep || !reason.empty()) removeFile(file->temporaryName);
    TemporaryFiles::remove(file->temporarySlot);
  }
  files_[static_cast<std::size_t>(number)].reset();
}

void FileTable::printText(FileNumber number, std::string_view text) {
  OpenFile* file = entry(number);
  if (!file || file->mode == FileMode::input || text.empty()) return;
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
