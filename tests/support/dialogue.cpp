#include "support/dialogue.h"

namespace sumquill::testing {

int endStatusOf(const std::function<void()>& screen) {
  try {
    screen();
    return -1;
  } catch (const ProgramEnded& end) {
    return end.status;
  }
}

}  // namespace sumquill::testing
