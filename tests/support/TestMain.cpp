// The main function of every test program. A program runs its tests one a process
// under CTest and all in one process (shuffled) in CI, so what one test leaves behind
// in the process must not reach the next: after every test the current folder is the
// one the program started in again, and messages left in the test thread's queue (a
// quit message posted by a main window the test closed would end every later pump at
// once) are dropped. A message box of no known button set fails the test that shows it.
#include <gtest/gtest.h>

#include <filesystem>
#include <ios>
#include <sstream>

#include "app/Hooks.h"
#include "platform/windows/MessageBox.h"
#include "platform/windows/Window.h"

namespace {

class ProcessStateGuard : public testing::EmptyTestEventListener {
 public:
  explicit ProcessStateGuard(std::filesystem::path start) : start_(std::move(start)) {}

  void OnTestEnd(const testing::TestInfo&) override {
    MSG msg;
    for (int i = 0; i < 100000 && PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
      if (msg.message == WM_PAINT) ValidateRect(msg.hwnd, nullptr);  // a paint stays until validated
    }
    std::error_code ignored;
    std::filesystem::current_path(start_, ignored);
  }

 private:
  std::filesystem::path start_;
};

}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  Qv95HooksInstall();
  platform::SetBoxStyleRefusal([](const platform::BoxRequest& box) {
    std::ostringstream style;
    style << std::hex << box.style;
    ADD_FAILURE() << "message box of no known button set (style 0x" << style.str() << "): " << box.text;
  });
  std::error_code ignored;
  testing::UnitTest::GetInstance()->listeners().Append(new ProcessStateGuard(std::filesystem::current_path(ignored)));
  return RUN_ALL_TESTS();
}
