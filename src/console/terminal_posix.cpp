// The terminal of a POSIX process.
//
// A terminal on standard input is put into non-canonical mode without echo for the whole run, so
// keys typed ahead are queued and never echoed; ISIG stays on, so Ctrl+C, Ctrl+\ and Ctrl+Z
// still raise their signals. The mode is given back on destruction, by an atexit backstop and on
// every signal that ends or stops the process:
// - Every signal whose default action ends the process (INT, QUIT, ILL, ABRT, FPE, SEGV, BUS,
//   SYS, TRAP, USR1, USR2, ALRM, VTALRM, PROF, XCPU): restore, then the signal's default action.
// - SIGTSTP, SIGTTIN, SIGTTOU: restore, stop; once continued, set the mode again.
// - SIGTERM, SIGHUP: the run ends where it is, cooperatively: the handler notes the request and
//   wakes every wait through a pipe of its own, and the dialogue, the waits and the interpreter's
//   loops look at the note and end the run through the usual way out (files closed, status 128 +
//   the signal number). Should the program not get there within a moment, because it is stuck in
//   something that does not look, a timer ends it from the signal handler instead.
// - SIGPIPE and SIGXFSZ are ignored: a write that cannot be done fails and is handled as such.
// Waits use poll on the input and that pipe: only calls that every POSIX system has.
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
#include <sys/time.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <string>

#include "console/key_decoder.h"
#include "console/stream_input.h"
#include "console/temporary_files.h"
#include "console/terminal.h"

namespace sumquill {

namespace {

constexpr int kInput = STDIN_FILENO;
constexpr int kOutput = STDOUT_FILENO;
// An Esc with nothing behind it for this long is the Esc key, not the start of a sequence. Every
// terminal sends a whole sequence in one write, so the gap only ever comes from a person.
constexpr int kLoneEscapeMilliseconds = 50;
// How long an end request may take through the usual way out before the handler ends the run.
constexpr suseconds_t kEndRequestGraceMicroseconds = 700'000;

// Process-wide, because signal handlers and the atexit hook reach them; only async-signal-safe
// calls touch them there.
termios gOriginalMode;
termios gRawMode;
volatile sig_atomic_t gModeSet = 0;
volatile sig_atomic_t gEndingSignal = 0;
// What happened to the screen: a new size, a return from a stop.
volatile sig_atomic_t gResized = 0;
volatile sig_atomic_t gResumed = 0;
// The pipe that wakes a wait when a signal has something to say; -1 while there is none.
volatile sig_atomic_t gWakeRead = -1;
volatile sig_atomic_t gWakeWrite = -1;

void restoreMode() {
  if (gModeSet == 0) return;
  gModeSet = 0;
  // TCSANOW: a hung terminal must not make the handler wait for output to drain.
  tcsetattr(kInput, TCSANOW, &gOriginalMode);
}

void setMode() {
  if (tcsetattr(kInput, TCSANOW, &gRawMode) == 0) gModeSet = 1;
}

void wake() {
  const int savedErrno = errno;
  if (gWakeWrite >= 0) {
    const char byte = 0;
    // A full pipe already wakes the wait; the byte may be dropped.
    if (::write(gWakeWrite, &byte, 1) < 0) {
    }
  }
  errno = savedErrno;
}

void unlinkName(const char* name) { ::unlink(name); }

/// What every way out that runs no destructor must still do.
void lastWords() {
  restoreMode();
  TemporaryFiles::removeAll(unlinkName);
}

void endWithDefaultAction(int signal) {
  lastWords();
  struct sigaction action = {};
  action.sa_handler = SIG_DFL;
  sigemptyset(&action.sa_mask);
  sigaction(signal, &action, nullptr);
  sigset_t only;
  sigemptyset(&only);
  sigaddset(&only, signal);
  sigprocmask(SIG_UNBLOCK, &only, nullptr);
  raise(signal);
}

void onFatal(int signal) { endWithDefaultAction(signal); }

void onEndRequest(int signal) {
  if (gEndingSignal == 0) {
    gEndingSignal = signal;
    itimerval grace = {};
    grace.it_value.tv_usec = kEndRequestGraceMicroseconds;
    setitimer(ITIMER_REAL, &grace, nullptr);
  }
  wake();
}

// The timer of an end request that the usual way out did not reach in time; any other SIGALRM is
// one more signal whose default action ends the process.
void onAlarm(int signal) {
  if (gEndingSignal == 0) endWithDefaultAction(signal);
  lastWords();
  _exit(128 + gEndingSignal);
}

void onStop(int signal) {
  const int savedErrno = errno;
  const bool wasSet = gModeSet != 0;
  restoreMode();
  struct sigaction action = {};
  sigemptyset(&action.sa_mask);
  action.sa_handler = SIG_DFL;
  struct sigaction ours = {};
  sigaction(signal, &action, &ours);
  sigset_t stop;
  sigemptyset(&stop);
  sigaddset(&stop, signal);
  raise(signal);
  sigprocmask(SIG_UNBLOCK, &stop, nullptr);  // the process stops here until SIGCONT
  sigprocmask(SIG_BLOCK, &stop, nullptr);
  sigaction(signal, &ours, nullptr);
  if (wasSet) setMode();
  gResumed = 1;
  wake();
  errno = savedErrno;
}

void onResize(int) {
  gResized = 1;
  wake();
}

void restoreAtExit() { restoreMode(); }

struct HandledSignal {
  int number;
  void (*handler)(int);
};

const std::array kHandledSignals{
    HandledSignal{SIGTERM, onEndRequest}, HandledSignal{SIGHUP, onEndRequest},
    HandledSignal{SIGALRM, onAlarm},      HandledSignal{SIGINT, onFatal},
    HandledSignal{SIGQUIT, onFatal},      HandledSignal{SIGILL, onFatal},
    HandledSignal{SIGABRT, onFatal},      HandledSignal{SIGFPE, onFatal},
    HandledSignal{SIGSEGV, onFatal},      HandledSignal{SIGBUS, onFatal},
    HandledSignal{SIGSYS, onFatal},       HandledSignal{SIGTRAP, onFatal},
    HandledSignal{SIGUSR1, onFatal},      HandledSignal{SIGUSR2, onFatal},
    HandledSignal{SIGVTALRM, onFatal},    HandledSignal{SIGPROF, onFatal},
    HandledSignal{SIGXCPU, onFatal},      HandledSignal{SIGTSTP, onStop},
    HandledSignal{SIGTTIN, onStop},       HandledSignal{SIGTTOU, onStop},
    HandledSignal{SIGWINCH, onResize},    HandledSignal{SIGPIPE, SIG_IGN},
    HandledSignal{SIGXFSZ, SIG_IGN},
};

/// A standard stream that the program was started without would be the number of the next file
/// opened: console output would land in a report, or a scratch file would be read as typed
/// input. /dev/null takes each such place first, or, where there is none, the end of a pipe:
/// its reader reads the end of the input, its writer fails, as a closed stream would.
void occupyClosedStandardStreams() {
  for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
    if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    const int opened = ::open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
    if (opened >= 0) {
      if (opened != fd) {
        dup2(opened, fd);
        ::close(opened);
      }
      continue;
    }
    int ends[2];
    if (::pipe(ends) != 0) continue;
    const int wanted = fd == STDIN_FILENO ? ends[0] : ends[1];
    const int other = fd == STDIN_FILENO ? ends[1] : ends[0];
    if (wanted != fd) {
      dup2(wanted, fd);  // also closes the other end where the pipe had put it at `fd`
      ::close(wanted);
    }
    if (other != fd) ::close(other);
  }
}

/// A non-blocking pipe that stays clear of the standard streams, or -1s.
void openWakePipe() {
  int ends[2];
  if (::pipe(ends) != 0) return;
  for (int& end : ends) {
    if (end <= STDERR_FILENO) {
      const int moved = fcntl(end, F_DUPFD, STDERR_FILENO + 1);
      ::close(end);
      end = moved;
    }
    if (end >= 0) {
      fcntl(end, F_SETFD, FD_CLOEXEC);
      fcntl(end, F_SETFL, fcntl(end, F_GETFL) | O_NONBLOCK);
    }
  }
  if (ends[0] < 0 || ends[1] < 0) return;
  gWakeRead = ends[0];
  gWakeWrite = ends[1];
}

void drainWakePipe() {
  char bytes[64];
  while (gWakeRead >= 0 && ::read(gWakeRead, bytes, sizeof bytes) > 0) {
  }
}

class PosixTerminal : public Terminal {
 public:
  PosixTerminal();
  ~PosixTerminal() override;
  PosixTerminal(const PosixTerminal&) = delete;
  PosixTerminal& operator=(const PosixTerminal&) = delete;

  /// Gathered, and written in one piece before every wait for input, before standard error is
  /// written and at the end: a pasted answer's echo costs one write per batch of keys, not one
  /// a key. The interpreter's commands print through here too, so all stays in order.
  void write(std::string_view bytes) override;
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
  ScreenChange takeScreenChange() override;

 private:
  /// What a wait on the input saw.
  enum class Polled { input, closed, woken, timeout };

  static void writeAll(int fd, std::string_view bytes);
  void flushOutput();
  void installHandlers();
  /// Waits until the input has something, a signal wakes the wait, or `milliseconds` pass
  /// (-1: no limit).
  Polled waitOnInput(int milliseconds);
  /// Reads what the terminal has and decodes it.
  void readConsole();
  std::ptrdiff_t readStream(char* buffer, std::size_t size);

  bool console_ = false;
  KeyDecoder decoder_;
  std::vector<std::string> decoded_;
  bool consoleEnded_ = false;
  StreamInput stream_{[this](char* buffer, std::size_t size) { return readStream(buffer, size); }};
  std::array<struct sigaction, kHandledSignals.size()> previous_ = {};
  std::string output_;
};

// More than this waits for no wait: a long run of output goes out as it grows.
constexpr std::size_t kOutputBatch = 1 << 16;

PosixTerminal::PosixTerminal() {
  occupyClosedStandardStreams();
  openWakePipe();
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
  flushOutput();
  restoreMode();
  // The run is over: the grace timer of an end request has nothing left to end.
  const itimerval off = {};
  setitimer(ITIMER_REAL, &off, nullptr);
  for (std::size_t i = 0; i < kHandledSignals.size(); ++i) {
    sigaction(kHandledSignals[i].number, &previous_[i], nullptr);
  }
  for (volatile sig_atomic_t* end : {&gWakeRead, &gWakeWrite}) {
    if (*end >= 0) ::close(*end);
    *end = -1;
  }
}

void PosixTerminal::installHandlers() {
  for (std::size_t i = 0; i < kHandledSignals.size(); ++i) {
    const auto [signal, handler] = kHandledSignals[i];
    sigaction(signal, nullptr, &previous_[i]);
    // A signal ignored by whoever started the program (nohup, a shell without job control)
    // stays ignored.
    if (previous_[i].sa_handler == SIG_IGN) continue;
    struct sigaction action = {};
    sigemptyset(&action.sa_mask);
    action.sa_handler = handler;
    // An end request must interrupt a write that waits on a stalled terminal, so its handler
    // restarts nothing; the others leave the program where it was.
    action.sa_flags = handler == onEndRequest ? 0 : SA_RESTART;
    sigaction(signal, &action, nullptr);
  }
  // A signal that arrived while it was still blocked by whoever started the program, or that is
  // blocked for good, would never be answered: the ones handled here are let through.
  sigset_t handled;
  sigemptyset(&handled);
  for (const auto& entry : kHandledSignals) sigaddset(&handled, entry.number);
  sigprocmask(SIG_UNBLOCK, &handled, nullptr);
}

void PosixTerminal::writeAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written > 0) {
      bytes.remove_prefix(static_cast<std::size_t>(written));
    } else if (written < 0 && errno == EINTR) {
      if (gEndingSignal != 0) return;
    } else if (written < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      // An output left non-blocking by whoever shares it: wait until it takes more.
      std::array<pollfd, 2> waits{{{fd, POLLOUT, 0}, {gWakeRead, POLLIN, 0}}};
      if (::poll(waits.data(), gWakeRead >= 0 ? 2 : 1, -1) < 0 && errno != EINTR) return;
      drainWakePipe();
      if (gEndingSignal != 0) return;
    } else {
      return;  // a closed or hung-up output: the rest is dropped
    }
  }
}

void PosixTerminal::write(std::string_view bytes) {
  output_.append(bytes);
  if (output_.size() >= kOutputBatch) flushOutput();
}

void PosixTerminal::flushOutput() {
  if (output_.empty()) return;
  writeAll(kOutput, output_);
  output_.clear();
}

void PosixTerminal::writeError(std::string_view line) {
  flushOutput();
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
  write(motion);
}

Terminal::ScreenChange PosixTerminal::takeScreenChange() {
  ScreenChange change;
  if (gResized != 0) {
    gResized = 0;
    change.resized = true;
  }
  if (gResumed != 0) {
    gResumed = 0;
    change.resumed = true;
  }
  return change;
}

PosixTerminal::Polled PosixTerminal::waitOnInput(int milliseconds) {
  std::array<pollfd, 2> waits{{{kInput, POLLIN, 0}, {gWakeRead, POLLIN, 0}}};
  const int result = ::poll(waits.data(), gWakeRead >= 0 ? 2 : 1, milliseconds);
  if (result < 0) return errno == EINTR ? Polled::woken : Polled::closed;
  if (waits[1].revents != 0) drainWakePipe();
  if (result == 0) return Polled::timeout;
  if ((waits[0].revents & POLLIN) != 0) return Polled::input;
  // POLLHUP, POLLERR, POLLNVAL with nothing left to read: the input is gone.
  if (waits[0].revents != 0) return Polled::closed;
  return Polled::woken;
}

void PosixTerminal::readConsole() {
  std::array<char, 4096> bytes;
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
  if (console_) {
    // One read's worth at a time: keys already decoded by a wait go first, and the rest stays
    // in the terminal until the console asks again.
    if (decoded_.empty() && !consoleEnded_) {
      const Polled polled = waitOnInput(0);
      if (polled == Polled::input) readConsole();
      if (polled == Polled::closed) consoleEnded_ = true;
    }
    for (auto& key : decoded_) keys.push_back(std::move(key));
    decoded_.clear();
    return;
  }
  stream_.handOverKey(keys, [this] { return waitOnInput(0) != Polled::timeout; });
}

InputWait PosixTerminal::waitForInput() {
  flushOutput();
  if (gEndingSignal != 0) return InputWait::signalled;
  if (!console_) {
    if (stream_.awaitInput()) return InputWait::ready;
    return gEndingSignal != 0 ? InputWait::signalled : InputWait::ended;
  }
  if (!decoded_.empty()) return InputWait::ready;
  if (!consoleEnded_) {
    switch (waitOnInput(decoder_.pending() ? kLoneEscapeMilliseconds : -1)) {
      case Polled::input:
        readConsole();
        break;
      case Polled::timeout:
        decoder_.flush(decoded_);
        break;
      case Polled::closed:
        consoleEnded_ = true;
        break;
      case Polled::woken:
        break;  // a resize or a continue: the caller simply waits again
    }
  }
  if (gEndingSignal != 0) return InputWait::signalled;
  if (consoleEnded_ && decoded_.empty()) return InputWait::ended;
  return InputWait::ready;
}

std::ptrdiff_t PosixTerminal::readStream(char* buffer, std::size_t size) {
  for (;;) {
    // A read that may wait: what the program has to say goes out first.
    if (waitOnInput(0) == Polled::timeout) flushOutput();
    const Polled polled = waitOnInput(-1);
    if (gEndingSignal != 0) return -1;
    if (polled == Polled::woken || polled == Polled::timeout) continue;
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
