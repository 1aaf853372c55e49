// Numbered text files in the working directory: opened, read line by line or written, closed.
// A failed open or write never stops the dialogue; a failure is kept for whoever asks for it.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

namespace sumquill {

/// 1 to 255 name an open file; 0 means no number is free.
using FileNumber = std::int32_t;

enum class FileMode {
  input,
  output,
  /// Output written under a temporary name beside the file. The file takes the new content in
  /// one step when it is closed with `closeFile`; until then, and when the run ends before that
  /// (`closeAllFiles`), the file of that name stays as it was and the temporary one goes.
  replacement,
};

class FileTable {
 public:
  static constexpr FileNumber kMaxNumber = 255;

  FileTable();
  ~FileTable();
  FileTable(const FileTable&) = delete;
  FileTable& operator=(const FileTable&) = delete;

  /// The lowest free number, or 0 when all 255 are in use. The number is not reserved.
  FileNumber freeFileNumber() const;
  /// Opens `name` under `number`: output creates or empties it, input needs an existing regular
  /// file, replacement needs a name that is free or a regular file the user may write. Never
  /// opens through a link or into a FIFO or device. Fails for a number outside 1 to 255 or one
  /// already in use. On failure the number stays free and, when `error` is given, it receives
  /// the reason.
  bool openFile(std::string_view name, FileMode mode, FileNumber number,
                std::string* error = nullptr);
  /// True when the number holds no open file, a read has met the end, or the read position has
  /// reached the size the file had when it was opened.
  bool atEndOfFile(FileNumber number);
  /// Replaces `line` with the next line (up to a line feed; a carriage return right before it,
  /// or as the file's last byte, is dropped). Leaves `line` alone for a number without a file.
  void readLine(FileNumber number, std::string& line);
  /// Writes out the buffer, closes the file and frees the number; a replacement then takes the
  /// place of the file of its name. Returns the reason of the first write that failed on this
  /// file (a replacement then leaves the old file as it was), or the empty text when all of it
  /// reached the disk under its name.
  std::string closeFile(FileNumber number);
  /// Closes every file: output is written out, a replacement not closed before is dropped.
  void closeAllFiles();

  /// Bytes written unchanged into a file open for output; dropped for any other number.
  void printText(FileNumber number, std::string_view text);
  /// The text and carriage return, line feed.
  void printLine(FileNumber number, std::string_view text);
  /// The integer as the console prints it (" 7", "-12"), then the line end.
  void printInteger(FileNumber number, std::int32_t value);

 private:
  struct OpenFile;
  OpenFile* entry(FileNumber number) const;
  bool openReplacement(std::string_view name, OpenFile& file, std::string& reason);
  void release(FileNumber number, bool keep, std::string& reason);

  std::array<std::unique_ptr<OpenFile>, kMaxNumber + 1> files_;
};

}  // namespace sumquill
