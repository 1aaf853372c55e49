#include "files/interpreter/output_file.h"

#include <sys/types.h>
#include <unistd.h>

#include <cerrno>

#include "files/regular_file.h"

namespace sumquill::interpreter {

namespace {

std::string_view messageFor(int error) {
  if (error == ENOSPC || error == EFBIG || error == EDQUOT) {
    return "There is not enough space on the disk.";
  }
  return "The request could not be performed because of an I/O device error.";
}

}  // namespace

std::unique_ptr<OutputFile> OutputFile::open(const std::string& name, bool append,
                                             std::string_view& reason) {
  OpenedFile opened = openRegularFile(name, append ? OpenPurpose::append : OpenPurpose::write);
  if (!opened.stream) {
    reason = kAccessDenied;
    return nullptr;
  }
  return std::unique_ptr<OutputFile>(new OutputFile(name, opened.stream, opened.size, append));
}

OutputFile::~OutputFile() { close(); }

void OutputFile::write(std::string_view bytes) {
  if (!stream_ || error_ != 0 || bytes.empty()) return;
  errno = 0;
  if (std::fwrite(bytes.data(), 1, bytes.size(), stream_) != bytes.size()) {
    error_ = errno != 0 ? errno : EIO;
  }
}

std::optional<std::string_view> OutputFile::close() {
  if (!stream_) return std::nullopt;
  errno = 0;
  if (std::fflush(stream_) != 0 && error_ == 0) error_ = errno != 0 ? errno : EIO;
  if (error_ != 0 && append_ && ::ftruncate(::fileno(stream_), static_cast<off_t>(keptSize_))) {
    // What was there before stays as far as it can; the message below tells of the failure.
  }
  if (std::fclose(stream_) != 0 && error_ == 0) error_ = errno != 0 ? errno : EIO;
  stream_ = nullptr;
  if (error_ == 0) return std::nullopt;
  if (!append_) ::unlink(name_.c_str());
  return messageFor(error_);
}

std::optional<std::string> readPlainFile(const std::string& name) {
  OpenedFile opened = openRegularFile(name, OpenPurpose::read);
  if (!opened.stream) return std::nullopt;
  std::string bytes;
  char buffer[65536];
  for (std::size_t count; (count = std::fread(buffer, 1, sizeof buffer, opened.stream)) > 0;) {
    bytes.append(buffer, count);
  }
  const bool failed = std::ferror(opened.stream) != 0;
  std::fclose(opened.stream);
  if (failed) return std::nullopt;
  return bytes;
}

}  // namespace sumquill::interpreter
