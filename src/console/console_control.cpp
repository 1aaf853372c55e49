#include "console/console_control.h"

namespace sumquill {

namespace {

// The program's files are not closed: as with Ctrl+C on a POSIX terminal, the run ends where it
// is. The reports under their temporary names go, so the previous ones stay as they were.
bool endAtOnce(ControlNoticeSteps& steps) {
  steps.restoreConsole();
  steps.removeTemporaryFiles();
  steps.endProcess(kControlCExitStatus);
  return true;
}

// The program closes its files on the way out and removes its temporary ones itself; what is
// removed here is only what a run that did not get there in time leaves.
bool endThroughTheProgram(ControlNoticeSteps& steps, int request) {
  steps.requestEnd(request);
  steps.awaitEnd();
  steps.restoreConsole();
  steps.removeTemporaryFiles();
  return true;
}

}  // namespace

bool answerControlNotice(std::uint32_t notice, ControlNoticeSteps& steps) {
  switch (notice) {
    case console_notices::kCtrlC:
    case console_notices::kCtrlBreak:
      return endAtOnce(steps);
    case console_notices::kClose:
      return endThroughTheProgram(steps, kHangUpRequest);
    case console_notices::kLogOff:
    case console_notices::kShutDown:
      return endThroughTheProgram(steps, kTerminateRequest);
    default:
      return false;
  }
}

}  // namespace sumquill
