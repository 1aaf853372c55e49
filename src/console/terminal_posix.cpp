// The terminal of a POSIX process.
//
// A terminal on standard input is put into non-canonical mode without echo for the whole run, so
// keys typed ahead are queued and never echoed; ISIG stays on, so Ctrl+C, Ctrl+\ and Ctrl+Z
// still raise their signals. The mode is given back on destruction, by an atexit backstop and on
// every signal that ends or stops the process:
// - SIGINT, SIGQUIT, and the crashes SIGABRT, SIGSEGV, SIGBUS, SIGFPE: restore, then the
//   signal's default action ends the program.
// - SIGTSTP: restore, stop; once continued, set the mode again.
// - SIGTERM, SIGHUP: blocked except while the program waits for input (inside ppoll), so they
//   are answered where the dialogue can close its files: the wait reports them and the console
//   ends the program with status 128 + the signal number; the destructor restores the mode.
// - SIGPIPE is ignored: output that nobody reads is dropped, and the run still closes its files.
// Standard input that is not a terminal is read by the rules of StreamInput.
// Output is written as raw bytes. The one escape sequence, for the line editing of a typed answer
// that wraps, moves the cursor to another row:
// - CUU  ESC [ n A   cursor up n rows (sent only for n > 0: n = 0 would mean 1)
// - CR              to the row's first column
// - CUF  ESC [ n C   cursor forward n columns (sent only for n > 0)
// CR and CUF rather than CHA (ESC [ n G): every terminal since the VT100 knows them.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <string>

#include "console/key_decoder.h"
#include "console/stream_input.h"
#include "console/terminal.h"

namespace sumquill {

namespace {

constexpr int kInput = STDIN_FILENO;
constexpr int kOutput = STDOUT_FILENO;
// An Esc with nothing behind it for this long is the Esc key, not the start of a sequence. Every
// terminal sends a whole sequence in one write, so the gap only ever comes from a person.
constexpr long kLoneEscapeNanoseconds = 50'000'000;

// Process-wide, because signal handlers and the atexit hook reach them; only async-signal-safe
// calls touch them there.
termios gOriginalMode;
termios gRawMode;
volatile sig_atomic_t gModeSet = 0;
volatile sig_atomic_t gEndingSignal = 0;

void restoreMode() {
  if (gModeSet == 0) return;
  gModeSet = 0;
  // TCSANOW: a hung terminal must not make the handler wait for output to drain.
  tcsetattr(kInput, TCSANOW, &gOriginalMode);
}

void setMode() {
  if (tcsetattr(kInput, TCSANOW, &gRawMode) == 0) gModeSet = 1;
}

void onInterrupt(int signal) {
  restoreMode();
  struct sigaction action = {};
  action.sa_handler = SIG_DFL;
  sigemptyset(&action.sa_mask);
  sigaction(signal, &action, nullptr);
  raise(signal);  // blocked inside this handler; the default action runs as it returns
}

void onEndRequest(int signal) { gEndingSignal = signal; }

void onStop(int) {
  const int savedErrno = errno;
  const bool wasSet = gModeSet != 0;
  restoreMode();
  struct sigaction action = {};
  sigemptyset(&action.sa_mask);
  action.sa_handler = SIG_DFL;
  struct sigaction ours = {};
  sigaction(SIGTSTP, &action, &ours);
  sigset_t stop;
  sigemptyset(&stop);
  sigaddset(&stop, SIGTSTP);
  raise(SIGTSTP);
  sigprocmask(SIG_UNBLOCK, &stop, nullptr);  // the process stops here until SIGCONT
  sigprocmask(SIG_BLOCK, &stop, nullptr);
  sigaction(SIGTSTP, &ours, nullptr);
  if (wasSet) setMode();
  errno = savedErrno;
}

void restoreAtExit() { restoreMode(); }

/// The signals that end the program at its next wait for input.
sigset_t endRequests() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGTERM);
  sigaddset(&set, SIGHUP);
  return set;
}

constexpr std::array kHandledSignals{SIGINT,  SIGQUIT, SIGTSTP, SIGTERM, SIGHUP,
                                     SIGPIPE, SIGABRT, SIGSEGV, SIGBUS,  SIGFPE};

class PosixTerminal : public Terminal {
 public:
  PosixTerminal();
  ~PosixTerminal() override;
  PosixTerminal(const PosixTerminal&) = delete;
  PosixTerminal& operator=(const PosixTerminal&) = delete;

  void write(std::string_view bytes) override { writeAll(kOutput, bytes); }
  void writeError(std::string_view line) override;
  int width() override;
  /// Not asked of the terminal: its answer would arrive on the input among keys typed ahead.
  /// The program starts after the shell's line end, at column 0.
  int startColumn() override { return 0; }
  void moveCursor(int rowsUp, int column) override;
  bool interactive() override { return console_; }
  void takeKeys(std::vector<std::string>& keys) override;
  InputWait waitForInput() override;
  bool readLine(std::string& line) override;
  int endingSignal() const override { return gEndingSignal; }

 private:
  static void writeAll(int fd, std::string_view bytes);
  void installHandlers();
  /// Waits in ppoll, the only place where an end request can arrive. The poll's result, with
  /// -1 for an interruption; `revents` gets what happened on the input.
  int waitOnInput(const timespec* timeout, short& revents);
  /// Takes an end request that is pending, when the input is found ended at the same time.
  InputWait endedOrSignalled();
  /// Reads what the terminal has and decodes it.
  void readConsole();
  std::ptrdiff_t readStream(char* buffer, std::size_t size);

  bool console_ = false;
  KeyDecoder decoder_;
  std::vector<std::string> decoded_;
  bool consoleEnded_ = false;
  StreamInput stream_{[this](char* buffer, std::size_t size) { return readStream(buffer, size); }};
  sigset_t waitMask_;
  sigset_t originalMask_;
  std::array<struct sigaction, kHandledSignals.size()> previous_ = {};
};

/// A standard stream that the program was started without would be the number of the next file
/// opened: console output would land in a report, or a scratch file would be read as typed
/// input. /dev/null takes each such place first.
void occupyClosedStandardStreams() {
  for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
    if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    const int opened = ::open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
    if (opened >= 0 && opened != fd) {
      dup2(opened, fd);
      ::close(opened);
    }
  }
}

PosixTerminal::PosixTerminal() {
  occupyClosedStandardStreams();
  if (isatty(kInput) && tcgetattr(kInput, &gOriginalMode) == 0) {
    console_ = true;
    gRawMode = gOriginalMode;
    // No line buffering and no echo; IEXTEN off so Ctrl+V and Ctrl+O are ordinary keys. ISIG
    // stays. The input and output flags stay as they are.
    gRawMode.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO | ECHONL | IEXTEN));
    gRawMode.c_cc[VMIN] = 1;
    gRawMode.c_cc[VTIME] = 0;
  }
  installHandlers();
  if (console_) {
    static bool registered = false;
    if (!registered) registered = std::atexit(restoreAtExit) == 0;
    setMode();
  }
}

PosixTerminal::~PosixTerminal() {
  restoreMode();
  for (std::size_t i = 0; i < kHandledSignals.size(); ++i) {
    sigaction(kHandledSignals[i], &previous_[i], nullptr);
  }
  // An end request that came while no wait was running now takes its default course.
  sigprocmask(SIG_SETMASK, &originalMask_, nullptr);
}

void PosixTerminal::installHandlers() {
  const sigset_t requests = endRequests();
  sigprocmask(SIG_BLOCK, &requests, &originalMask_);
  waitMask_ = originalMask_;
  sigdelset(&waitMask_, SIGTERM);
  sigdelset(&waitMask_, SIGHUP);
  for (std::size_t i = 0; i < kHandledSignals.size(); ++i) {
    const int signal = kHandledSignals[i];
    // A signal ignored by whoever started the program (nohup, a shell without job control)
    // stays ignored.
    sigaction(signal, nullptr, &previous_[i]);
    if (previous_[i].sa_handler == SIG_IGN) continue;
    struct sigaction action = {};
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    if (signal == SIGTERM || signal == SIGHUP) {
      action.sa_handler = onEndRequest;
    } else if (signal == SIGTSTP) {
      action.sa_handler = onStop;
    } else if (signal == SIGPIPE) {
      action.sa_handler = SIG_IGN;
    } else {
      action.sa_handler = onInterrupt;
    }
    sigaction(signal, &action, nullptr);
  }
}

void PosixTerminal::writeAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return;  // a closed or hung-up output: the rest is dropped
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
}

void PosixTerminal::writeError(std::string_view line) {
  std::string text(line);
  text.push_back('\n');
  writeAll(STDERR_FILENO, text);
}

int PosixTerminal::width() {
  winsize size = {};
  if (isatty(kOutput) && ioctl(kOutput, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) {
    return size.ws_col;
  }
  return 80;
}

void PosixTerminal::moveCursor(int rowsUp, int column) {
  // Output to a file or a pipe has no cursor; the sequences would only be noise in it.
  if (!isatty(kOutput)) return;
  std::string motion;
  if (rowsUp > 0) motion += "\x1b[" + std::to_string(rowsUp) + "A";
  motion += "\r";
  if (column > 0) motion += "\x1b[" + std::to_string(column) + "C";
  writeAll(kOutput, motion);
}

int PosixTerminal::waitOnInput(const timespec* timeout, short& revents) {
  pollfd input = {kInput, POLLIN, 0};
  const int result = ppoll(&input, 1, timeout, &waitMask_);
  revents = input.revents;
  return result;
}

InputWait PosixTerminal::endedOrSignalled() {
  if (gEndingSignal == 0) {
    const sigset_t requests = endRequests();
    const timespec now = {0, 0};
    const int pending = sigtimedwait(&requests, nullptr, &now);
    if (pending > 0) gEndingSignal = pending;
  }
  return gEndingSignal != 0 ? InputWait::signalled : InputWait::ended;
}

void PosixTerminal::readConsole() {
  std::array<char, 256> bytes;
  const ssize_t count = ::read(kInput, bytes.data(), bytes.size());
  if (count < 0 && (errno == EINTR || errno == EAGAIN)) return;
  if (count <= 0) {
    // End of file or EIO: the terminal is gone; it is never polled again.
    consoleEnded_ = true;
    return;
  }
  decoder_.feed(std::string_view(bytes.data(), static_cast<std::size_t>(count)), decoded_);
}

void PosixTerminal::takeKeys(std::vector<std::string>& keys) {
  short revents = 0;
  const timespec now = {0, 0};
  if (console_) {
    // One read's worth at a time: keys already decoded by a wait go first, and the rest stays
    // in the terminal until the console asks again.
    if (decoded_.empty() && !consoleEnded_ && waitOnInput(&now, revents) > 0 &&
        (revents & POLLIN) != 0) {
      readConsole();
    }
    for (auto& key : decoded_) keys.push_back(std::move(key));
    decoded_.clear();
    return;
  }
  if (!stream_.hasKey() && !stream_.ended() && waitOnInput(&now, revents) > 0) stream_.fill();
  if (stream_.hasKey()) keys.push_back(stream_.takeKey());
}

InputWait PosixTerminal::waitForInput() {
  if (gEndingSignal != 0) return InputWait::signalled;
  if (!console_) {
    if (stream_.hasKey()) return InputWait::ready;
    if (stream_.ended() || !stream_.fill()) return endedOrSignalled();
    return InputWait::ready;
  }
  if (!decoded_.empty()) return InputWait::ready;
  if (consoleEnded_) return endedOrSignalled();
  const timespec escapeWait = {0, kLoneEscapeNanoseconds};
  short revents = 0;
  const int result = waitOnInput(decoder_.pending() ? &escapeWait : nullptr, revents);
  if (gEndingSignal != 0) return InputWait::signalled;
  if (result < 0) {
    // Another signal (a resize, a continue) woke the wait; the caller simply waits again.
    if (errno == EINTR) return InputWait::ready;
    consoleEnded_ = true;
  } else if (result == 0) {
    decoder_.flush(decoded_);
  } else if ((revents & POLLIN) != 0) {
    readConsole();
  } else {
    consoleEnded_ = true;  // POLLHUP, POLLERR, POLLNVAL with nothing left to read
  }
  if (consoleEnded_ && decoded_.empty()) return endedOrSignalled();
  return InputWait::ready;
}

std::ptrdiff_t PosixTerminal::readStream(char* buffer, std::size_t size) {
  for (;;) {
    short revents = 0;
    const int result = waitOnInput(nullptr, revents);
    if (gEndingSignal != 0) return -1;
    if (result < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    const ssize_t count = ::read(kInput, buffer, size);
    if (count < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    return count;
  }
}

bool PosixTerminal::readLine(std::string& line) {
  line.clear();
  if (console_) return false;
  return stream_.readLine(line);
}

}  // namespace

std::unique_ptr<Terminal> makeProcessTerminal() { return std::make_unique<PosixTerminal>(); }

}  // namespace sumquill
