// What the Windows console's control handler does with each notice, apart from the calls that
// do it, so that the order of the steps is tested on every platform.
//
// The handler runs on a thread of its own while the program goes on. Ctrl+C and Ctrl+Break end
// the run at once, as the console's own answer would, with the status it gives. A closed window,
// a log-off and a shut-down end the process once the handler returns, whatever it returns, and
// give it only a few seconds: the handler asks the program to end the run by its usual way out,
// which closes the open files, and waits for that a bounded time. Every way out removes the
// temporary files that would otherwise outlive the run.
#pragma once

#include <cstdint>

namespace sumquill {

/// The console's notices, with the numbers the console gives them.
namespace console_notices {
inline constexpr std::uint32_t kCtrlC = 0;
inline constexpr std::uint32_t kCtrlBreak = 1;
inline constexpr std::uint32_t kClose = 2;
inline constexpr std::uint32_t kLogOff = 5;
inline constexpr std::uint32_t kShutDown = 6;
}  // namespace console_notices

/// Exit status of a process ended by Ctrl+C or Ctrl+Break: the one the console's own answer
/// gives, which shells and scripts on Windows know as an interrupted program.
inline constexpr std::uint32_t kControlCExitStatus = 0xC000013A;

/// End requests are numbered as the POSIX signals of the same meaning, so that the run ends with
/// status 128 + n on every platform: a closed window is a hang-up, a log-off or a shut-down a
/// request to terminate.
inline constexpr int kHangUpRequest = 1;
inline constexpr int kTerminateRequest = 15;

/// The steps of an answer: the Windows terminal's calls, or a test's record of them.
class ControlNoticeSteps {
 public:
  virtual ~ControlNoticeSteps() = default;
  /// Notes the request to end (`Terminal::endingSignal` then gives `request`) and wakes the
  /// program's wait for input.
  virtual void requestEnd(int request) = 0;
  /// Waits, a bounded time, for the program to end the run. A run that ended takes the process,
  /// and the handler with it, so a return means it did not end in time.
  virtual void awaitEnd() = 0;
  /// Gives the console back its modes from before the program started.
  virtual void restoreConsole() = 0;
  /// Removes every file listed in `TemporaryFiles`.
  virtual void removeTemporaryFiles() = 0;
  /// Ends the process at once with `status`.
  virtual void endProcess(std::uint32_t status) = 0;
};

/// Answers one notice through `steps`. True when the notice was answered here; false for a
/// notice that is not the program's to answer, which goes on to the next handler.
bool answerControlNotice(std::uint32_t notice, ControlNoticeSteps& steps);

}  // namespace sumquill
