// Whether a name in the working directory is a regular file, asked before the file is opened for
// reading, so that a folder, FIFO or device of that name is never opened (a FIFO would block).
// Each platform asks in its own way: std::filesystem would serve both, but on Windows its path
// conversions link the C++ library's whole locale machinery, four fifths of the exe.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace sumquill {

/// The size of the regular file `name` (a link to one counts, as an open follows it); nothing
/// when the name is missing or is no regular file, and then `reason` says why.
std::optional<std::uintmax_t> regularFileSize(const std::string& name, std::string& reason);

}  // namespace sumquill
