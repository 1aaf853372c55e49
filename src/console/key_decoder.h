// Bytes from a terminal in non-canonical mode turned into the program's key texts.
//
// Keys without a character arrive as escape sequences and leave as the character 255 followed by
// the key's PC BIOS extended code. Understood forms (xterm, VT220, rxvt, the Linux console):
//   CSI A/B/C/D, SS3 A/B/C/D         Up, Down, Right, Left
//   CSI H, CSI F, SS3 H, SS3 F        Home, End
//   CSI 1~ 7~ / CSI 4~ 8~             Home / End
//   CSI 2~ 3~ 5~ 6~                   Insert, Delete, Page Up, Page Down
//   SS3 P..S, CSI P..S                F1 to F4
//   CSI 11~..15~, CSI [A..E           F1 to F5
//   CSI 17~..21~                      F6 to F10
// where CSI is Esc "[" and SS3 is Esc "O". Sequences with modifier parameters and every other
// well-formed sequence are dropped whole. DEL (127) is Backspace 8, CR and LF are Enter 13, and
// Esc followed by anything that starts no sequence is the Esc key, then that byte.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace sumquill {

class KeyDecoder {
 public:
  /// Decodes the bytes, appending every complete key to `keys`, oldest first. A sequence cut off
  /// at the end of `bytes` waits for the next call.
  void feed(std::string_view bytes, std::vector<std::string>& keys);
  /// True while the bytes so far may still grow into a sequence: the caller waits a moment for
  /// the rest before it calls `flush`.
  bool pending() const { return state_ != State::ground; }
  /// No more bytes came: a lone Esc is the Esc key, a cut-off sequence is dropped.
  void flush(std::vector<std::string>& keys);

 private:
  enum class State { ground, escape, csi, ss3, linuxFunction };

  void ground(char byte, std::vector<std::string>& keys);
  void finish(char final, std::vector<std::string>& keys);

  State state_ = State::ground;
  std::string parameters_;
};

}  // namespace sumquill
