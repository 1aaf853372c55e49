#include "console/console_control.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "console/temporary_files.h"

namespace sumquill {
namespace {

std::vector<std::string> removedNames;

void recordRemoval(const char* name) { removedNames.emplace_back(name); }

/// Keeps the steps in order; removes the temporary files through the real list, so a test sees
/// which names went.
class RecordedSteps : public ControlNoticeSteps {
 public:
  std::vector<std::string> steps;

  void requestEnd(int request) override { steps.push_back("request " + std::to_string(request)); }
  void awaitEnd() override { steps.push_back("await"); }
  void restoreConsole() override { steps.push_back("restore"); }
  void removeTemporaryFiles() override {
    steps.push_back("remove");
    TemporaryFiles::removeAll(recordRemoval);
  }
  void endProcess(std::uint32_t status) override {
    steps.push_back("end " + std::to_string(status));
  }
};

TEST(ControlNotice, EachNoticeThatEndsTheProcessRemovesTheTemporaryFilesLast) {
  using namespace console_notices;
  const std::string endedAtOnce = "end " + std::to_string(kControlCExitStatus);
  struct Case {
    std::uint32_t notice;
    std::vector<std::string> steps;
  } const cases[] = {
      {kCtrlC, {"restore", "remove", endedAtOnce}},
      {kCtrlBreak, {"restore", "remove", endedAtOnce}},
      // The program gets its chance to close the files before anything is taken from it.
      {kClose, {"request 1", "await", "restore", "remove"}},
      {kLogOff, {"request 15", "await", "restore", "remove"}},
      {kShutDown, {"request 15", "await", "restore", "remove"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.notice);
    removedNames.clear();
    const int slot = TemporaryFiles::add("qzr_sumif.txt.tmp");
    ASSERT_GE(slot, 0);
    RecordedSteps steps;
    EXPECT_TRUE(answerControlNotice(c.notice, steps));
    EXPECT_EQ(steps.steps, c.steps);
    EXPECT_EQ(removedNames, std::vector<std::string>{"qzr_sumif.txt.tmp"});
  }
}

TEST(ControlNotice, OtherNoticesArePassedOnUntouched) {
  // 3 and 4 are not sent to programs; 7 and above are unknown to this console.
  for (const std::uint32_t notice : {3u, 4u, 7u, 0xFFFFFFFFu}) {
    SCOPED_TRACE(notice);
    RecordedSteps steps;
    EXPECT_FALSE(answerControlNotice(notice, steps));
    EXPECT_TRUE(steps.steps.empty());
  }
}

}  // namespace
}  // namespace sumquill
