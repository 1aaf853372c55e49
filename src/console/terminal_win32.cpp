// The Windows console: key events read from the console input buffer, bytes written to the
// screen buffer as they are. No escape sequence is written (the console is not asked to interpret
// them); the console's own processing of carriage return, line feed and backspace is the cursor
// motion used, and SetConsoleCursorPosition the one move to another row, for the line editing of
// a typed answer that wraps.
//
// Standard input that is not a console (a pipe or a file) is read with ReadFile and cut into keys
// and lines by the rules of StreamInput, as on every other platform.
//
// Key events become key texts by the rules of console_key_records.h. The console's notices
// (Ctrl+C, Ctrl+Break, a closed window, log-off, shut-down) are answered as console_control.h
// lays out; this file only supplies the calls.

#include <windows.h>

// Older SDK headers lack the virtual-terminal flags; the program only ever clears them.
#ifndef ENABLE_VIRTUAL_TERMINAL_INPUT
#define ENABLE_VIRTUAL_TERMINAL_INPUT 0x0200
#endif
#ifndef ENABLE_VIRTUAL_TERMINAL_PROCESSING
#define ENABLE_VIRTUAL_TERMINAL_PROCESSING 0x0004
#endif

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdlib>
#include <string>

#include "console/console_control.h"
#include "console/console_key_records.h"
#include "console/stream_input.h"
#include "console/temporary_files.h"
#include "console/terminal.h"

namespace sumquill {

namespace {

constexpr int kDefaultWidth = 80;
// More output than this goes out without waiting for a wait.
constexpr std::size_t kOutputBatch = 1 << 16;
// How long a closed window, a log-off or a shut-down waits for the run to end by its usual way
// out: the system ends the process after about 5 seconds of a close.
constexpr DWORD kEndGraceMilliseconds = 3000;

// What the program changed in the console, kept where the control handler and the exit hook,
// which run outside any object's lifetime, can give it back.
struct SavedModes {
  HANDLE input = INVALID_HANDLE_VALUE;
  HANDLE output = INVALID_HANDLE_VALUE;
  DWORD inputMode = 0;
  DWORD outputMode = 0;
  bool inputSaved = false;
  bool outputSaved = false;
  std::atomic<bool> changed{false};
};

SavedModes savedModes;
// The end request noted by the control handler's thread for the program's thread (0: none).
std::atomic<int> endRequest{0};
// Set by the control handler so that a wait for input ends when a notice arrives.
HANDLE noticeEvent = nullptr;
// The program's thread, which the control handler waits for and wakes from a blocking read.
HANDLE mainThread = nullptr;
// True while the program's thread may be blocked reading a pipe: only then is its I/O cancelled,
// never a write to a report.
std::atomic<bool> readingStream{false};

// Safe to call from any thread and more than once: only the first call after a change acts.
void restoreModes() {
  if (!savedModes.changed.exchange(false)) return;
  if (savedModes.inputSaved) SetConsoleMode(savedModes.input, savedModes.inputMode);
  if (savedModes.outputSaved) SetConsoleMode(savedModes.output, savedModes.outputMode);
}

void restoreModesAtExit() { restoreModes(); }

void deleteFile(const char* name) { DeleteFileA(name); }

class Win32NoticeSteps : public ControlNoticeSteps {
 public:
  void requestEnd(int request) override {
    int none = 0;
    endRequest.compare_exchange_strong(none, request);
    if (noticeEvent != nullptr) SetEvent(noticeEvent);
    if (mainThread != nullptr && readingStream.load()) CancelSynchronousIo(mainThread);
  }
  void awaitEnd() override {
    if (mainThread != nullptr) WaitForSingleObject(mainThread, kEndGraceMilliseconds);
  }
  void restoreConsole() override { restoreModes(); }
  void removeTemporaryFiles() override { TemporaryFiles::removeAll(deleteFile); }
  // At once and without the exit hooks: the program's thread is stopped wherever it was, and
  // nothing may wait for a lock it held.
  void endProcess(std::uint32_t status) override { TerminateProcess(GetCurrentProcess(), status); }
};

BOOL WINAPI onConsoleControl(DWORD type) {
  Win32NoticeSteps steps;
  return answerControlNotice(type, steps) ? TRUE : FALSE;
}

bool isConsole(HANDLE handle, DWORD& mode) {
  return handle != INVALID_HANDLE_VALUE && handle != nullptr && GetConsoleMode(handle, &mode);
}

ConsoleKeyRecord keyRecordOf(const KEY_EVENT_RECORD& key) {
  ConsoleKeyRecord record;
  record.keyDown = key.bKeyDown != FALSE;
  record.repeatCount = key.wRepeatCount;
  record.virtualKey = key.wVirtualKeyCode;
  record.scanCode = key.wVirtualScanCode;
  record.character = key.uChar.AsciiChar;
  record.controlState = key.dwControlKeyState;
  return record;
}

// How the bytes of a code page form characters: UTF-8, a double-byte code page (its lead bytes
// from the system), or one byte a character.
CharacterSet characterSetOf(UINT codePage) {
  if (codePage == CP_UTF8) return CharacterSet::utf8();
  CPINFO info{};
  if (codePage == 0 || !GetCPInfo(codePage, &info) || info.MaxCharSize < 2) {
    return CharacterSet::singleByte();
  }
  std::array<bool, 256> leadBytes{};
  for (std::size_t i = 0; i + 1 < MAX_LEADBYTES && (info.LeadByte[i] | info.LeadByte[i + 1]);
       i += 2) {
    for (unsigned byte = info.LeadByte[i]; byte <= info.LeadByte[i + 1]; ++byte) {
      leadBytes[byte] = true;
    }
  }
  return CharacterSet::doubleByte(leadBytes);
}

class Win32Terminal : public Terminal {
 public:
  Win32Terminal()
      : input_(GetStdHandle(STD_INPUT_HANDLE)),
        output_(GetStdHandle(STD_OUTPUT_HANDLE)),
        error_(GetStdHandle(STD_ERROR_HANDLE)) {
    DWORD mode = 0;
    inputIsConsole_ = isConsole(input_, mode);
    outputIsConsole_ = isConsole(output_, mode);
    enterDialogueModes();
    registerControlHandler();
  }

  ~Win32Terminal() override {
    flushOutput();
    restoreModes();
  }

  // cmd.exe writes to the same console: what the program wrote goes out before it.
  void lendToCommand() override {
    flushOutput();
    restoreModes();
  }

  // The command may have left the console in modes of its own; the dialogue's are set again.
  void reclaimFromCommand() override { applyDialogueModes(); }

  // Gathered, and written in one piece before every wait for input, every command, every call
  // that reads or moves the console's cursor, standard error and the end.
  void write(std::string_view bytes) override {
    pending_.append(bytes);
    if (pending_.size() >= kOutputBatch) flushOutput();
  }

  void writeError(std::string_view line) override {
    flushOutput();
    std::string text(line);
    text.append("\r\n");
    writeAll(error_, text);
  }

  int width() override {
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (!outputIsConsole_ || !GetConsoleScreenBufferInfo(output_, &info) || info.dwSize.X <= 0) {
      return kDefaultWidth;
    }
    return info.dwSize.X;
  }

  int startColumn() override {
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (!outputIsConsole_ || !GetConsoleScreenBufferInfo(output_, &info)) return 0;
    return info.dwCursorPosition.X;
  }

  // Rows above the top of the buffer do not exist; a move there stops at the first row.
  void moveCursor(int rowsUp, int column) override {
    flushOutput();
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (!outputIsConsole_ || !GetConsoleScreenBufferInfo(output_, &info)) return;
    COORD spot = info.dwCursorPosition;
    spot.Y = static_cast<SHORT>(std::max(0, spot.Y - rowsUp));
    spot.X = static_cast<SHORT>(std::clamp(column, 0, std::max(0, info.dwSize.X - 1)));
    SetConsoleCursorPosition(output_, spot);
  }

  // The whole buffer, not only the window: a cursor move to a row above the window scrolls the
  // window there. A buffer as tall as its window, as a console with no history has, is the
  // case that needs the room.
  CursorRoom cursorRoom() override {
    flushOutput();
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (!outputIsConsole_ || !GetConsoleScreenBufferInfo(output_, &info)) {
      return Terminal::cursorRoom();
    }
    return {info.dwCursorPosition.Y, info.dwSize.Y - 1 - info.dwCursorPosition.Y};
  }

  void scrollDown(int rows) override {
    flushOutput();
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (!outputIsConsole_ || rows <= 0 || !GetConsoleScreenBufferInfo(output_, &info)) return;
    const SHORT width = info.dwSize.X;
    const SHORT height = info.dwSize.Y;
    const WORD attributes = info.wAttributes;
    const COORD origin{0, 0};
    if (rows < height) {
      CHAR_INFO blank{};
      blank.Char.AsciiChar = ' ';
      blank.Attributes = attributes;
      // Only the rows that stay are moved: a move that carries rows past the bottom of the
      // buffer is drawn wrongly by some consoles (Wine's on a terminal).
      const SMALL_RECT staying{0, 0, static_cast<SHORT>(width - 1),
                               static_cast<SHORT>(height - 1 - rows)};
      ScrollConsoleScreenBufferA(output_, &staying, nullptr, COORD{0, static_cast<SHORT>(rows)},
                                 &blank);
    } else {
      const DWORD cells = static_cast<DWORD>(width) * static_cast<DWORD>(height);
      DWORD written = 0;
      FillConsoleOutputCharacterA(output_, ' ', cells, origin, &written);
      FillConsoleOutputAttribute(output_, attributes, cells, origin, &written);
    }
    SetConsoleCursorPosition(output_, origin);
  }

  bool interactive() override { return inputIsConsole_; }

  void takeKeys(std::vector<std::string>& keys) override {
    if (inputIsConsole_) {
      takeConsoleKeys(keys);
    } else {
      stream_.handOverKey(keys, [this] { return streamHasBytes(); });
    }
  }

  InputWait waitForInput() override {
    flushOutput();
    if (endRequest.load() != 0) return InputWait::signalled;
    if (!inputIsConsole_) {
      const bool more = stream_.awaitInput();
      // A read cut short by an end request is no end of the input.
      if (endRequest.load() != 0) return InputWait::signalled;
      return more ? InputWait::ready : InputWait::ended;
    }
    // The input handle is signalled while any event waits, and the notice event when the
    // control handler has noted an end request.
    std::array<HANDLE, 2> handles{input_, noticeEvent};
    const DWORD count = noticeEvent != nullptr ? 2 : 1;
    const DWORD result = WaitForMultipleObjects(count, handles.data(), FALSE, INFINITE);
    if (endRequest.load() != 0) return InputWait::signalled;
    if (result == WAIT_FAILED) return InputWait::ended;
    return InputWait::ready;
  }

  ScreenChange takeScreenChange() override {
    ScreenChange change;
    change.resized = resized_;
    resized_ = false;
    return change;
  }

  // Asked anew at every prompt: the code page screen changes the console's code page.
  CharacterSet characterSet() override {
    UINT codePage = inputIsConsole_ ? GetConsoleCP() : 0;
    if (codePage == 0) codePage = GetACP();
    return characterSetOf(codePage);
  }

  bool readLine(std::string& line) override {
    line.clear();
    if (inputIsConsole_) return false;
    stream_.setCharacterSet(characterSet());
    return stream_.readLine(line);
  }

  int endingSignal() const override { return endRequest.load(); }

 private:
  // No echo and no line input, so each key reaches the program as it is pressed; processed
  // input stays on so Ctrl+C ends the program. Output keeps the console's handling of carriage
  // return, line feed and backspace, and interprets no escape sequence in what is printed.
  void enterDialogueModes() {
    DWORD mode = 0;
    if (inputIsConsole_ && GetConsoleMode(input_, &mode)) {
      savedModes.input = input_;
      savedModes.inputMode = mode;
      savedModes.inputSaved = true;
      // ENABLE_WINDOW_INPUT: a change of the buffer's size arrives as an event, so a typed
      // answer is laid out again at the new width.
      inputMode_ = (mode & ~static_cast<DWORD>(ENABLE_ECHO_INPUT | ENABLE_LINE_INPUT |
                                               ENABLE_VIRTUAL_TERMINAL_INPUT)) |
                   ENABLE_PROCESSED_INPUT | ENABLE_WINDOW_INPUT;
    }
    if (outputIsConsole_ && GetConsoleMode(output_, &mode)) {
      savedModes.output = output_;
      savedModes.outputMode = mode;
      savedModes.outputSaved = true;
      outputMode_ = (mode | ENABLE_PROCESSED_OUTPUT | ENABLE_WRAP_AT_EOL_OUTPUT) &
                    ~static_cast<DWORD>(ENABLE_VIRTUAL_TERMINAL_PROCESSING);
    }
    if (!savedModes.inputSaved && !savedModes.outputSaved) return;
    static const bool registered = std::atexit(restoreModesAtExit) == 0;
    (void)registered;
    applyDialogueModes();
  }

  void applyDialogueModes() {
    if (savedModes.inputSaved) SetConsoleMode(input_, inputMode_);
    if (savedModes.outputSaved) SetConsoleMode(output_, outputMode_);
    savedModes.changed = savedModes.inputSaved || savedModes.outputSaved;
  }

  // From the start, so that a notice at any moment finds the modes to give back.
  void registerControlHandler() {
    noticeEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &mainThread,
                         0, FALSE, DUPLICATE_SAME_ACCESS)) {
      mainThread = nullptr;
    }
    SetConsoleCtrlHandler(onConsoleControl, TRUE);
  }

  // Peeking first matters: some consoles report no pending event before the first peek or read.
  void takeConsoleKeys(std::vector<std::string>& keys) {
    std::array<INPUT_RECORD, 64> records;
    for (;;) {
      DWORD count = 0;
      if (!PeekConsoleInputA(input_, records.data(), static_cast<DWORD>(records.size()), &count) ||
          count == 0) {
        return;
      }
      DWORD read = 0;
      if (!ReadConsoleInputA(input_, records.data(), count, &read)) return;
      for (DWORD i = 0; i < read; ++i) {
        if (records[i].EventType == KEY_EVENT) {
          appendKeyTexts(keyRecordOf(records[i].Event.KeyEvent), keys);
        } else if (records[i].EventType == WINDOW_BUFFER_SIZE_EVENT) {
          resized_ = true;
        }
      }
    }
  }

  // A pipe tells how much waits in it; a file or a device never keeps a read waiting for long.
  bool streamHasBytes() {
    if (GetFileType(input_) != FILE_TYPE_PIPE) return true;
    DWORD available = 0;
    if (!PeekNamedPipe(input_, nullptr, 0, nullptr, &available, nullptr)) return true;
    return available > 0;
  }

  // Blocks in ReadFile until bytes arrive; 0 at the end of the input (a closed pipe reads as a
  // failure with ERROR_BROKEN_PIPE).
  std::ptrdiff_t readStream(char* buffer, std::size_t size) {
    flushOutput();
    DWORD read = 0;
    const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(size, 1 << 16));
    readingStream.store(true);
    const BOOL done = ReadFile(input_, buffer, wanted, &read, nullptr);
    readingStream.store(false);
    if (!done) return 0;
    return static_cast<std::ptrdiff_t>(read);
  }

  void flushOutput() {
    if (pending_.empty()) return;
    writeAll(output_, pending_);
    pending_.clear();
  }

  static void writeAll(HANDLE handle, std::string_view bytes) {
    while (!bytes.empty()) {
      DWORD written = 0;
      if (!WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
          written == 0) {
        return;
      }
      bytes.remove_prefix(written);
    }
  }

  HANDLE input_;
  HANDLE output_;
  HANDLE error_;
  std::string pending_;
  // The screen buffer changed its size: the width the answer is laid out in may be another.
  bool resized_ = false;
  bool inputIsConsole_ = false;
  bool outputIsConsole_ = false;
  DWORD inputMode_ = 0;
  DWORD outputMode_ = 0;
  StreamInput stream_{[this](char* buffer, std::size_t size) { return readStream(buffer, size); }};
};

}  // namespace

std::unique_ptr<Terminal> makeProcessTerminal() { return std::make_unique<Win32Terminal>(); }

}  // namespace sumquill
