// Test fixture for the Wine runs, never shipped: Wine's find.exe rejects /i, so this stands in
// for the one form the program uses, find /i "TEXT" FILE. Its output has the Windows shape: an
// empty line, ten hyphens, a blank and the file name in capitals, then every matching line.
#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>

namespace {

std::string lowered(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

std::string capitals(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  // The line ends are written as they stand; text mode would double their carriage returns.
  _setmode(_fileno(stdout), _O_BINARY);
  bool ignoreCase = false;
  std::string text;
  std::string file;
  bool haveText = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "/i") == 0 || std::strcmp(argv[i], "/I") == 0) {
      ignoreCase = true;
    } else if (!haveText) {
      text = argv[i];
      haveText = true;
    } else {
      file = argv[i];
    }
  }
  std::ifstream in(file, std::ios::binary);
  if (!haveText || !in) {
    std::cerr << "File not found - " << capitals(file) << "\r\n";
    return 2;
  }
  const std::string wanted = ignoreCase ? lowered(text) : text;
  std::cout << "\r\n---------- " << capitals(file) << "\r\n";
  bool found = false;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if ((ignoreCase ? lowered(line) : line).find(wanted) == std::string::npos) continue;
    std::cout << line << "\r\n";
    found = true;
  }
  return found ? 0 : 1;
}
