// Test fixture for the Wine runs, never shipped: Wine has no sort.exe, so this stands in for the
// one form the program uses, "sort FILE /o OUT". Lines are ordered without regard to case and
// written with carriage return and line feed, as the Windows tool writes them.
#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

namespace {

bool lessIgnoringCase(const std::string& a, const std::string& b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) <
           std::tolower(static_cast<unsigned char>(y));
  });
}

}  // namespace

int main(int argc, char** argv) {
  // The line ends are written as they stand; text mode would double their carriage returns.
  _setmode(_fileno(stdout), _O_BINARY);
  std::string input;
  std::string output;
  for (int i = 1; i < argc; ++i) {
    if ((std::strcmp(argv[i], "/o") == 0 || std::strcmp(argv[i], "/O") == 0) && i + 1 < argc) {
      output = argv[++i];
    } else {
      input = argv[i];
    }
  }
  std::ifstream in(input, std::ios::binary);
  if (!in) {
    std::cerr << "The system cannot find the file specified.\r\n";
    return 1;
  }
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  std::stable_sort(lines.begin(), lines.end(), lessIgnoringCase);
  std::ofstream file;
  if (!output.empty()) file.open(output, std::ios::binary | std::ios::trunc);
  std::ostream& out = output.empty() ? std::cout : file;
  for (const auto& line : lines) out << line << "\r\n";
  return out ? 0 : 1;
}
