// Program-wide set-up for the main window's tests, and the fixture's helpers.
#include "main_window_fixture.h"

#include <memory>

#include "bridge/atl_host_win.h"
#include "bridge/com_apartment.h"
#include "shell/game_mode.h"
#include "shell/mainthread_calls_win.h"
#include "shell/settings_win.h"
#include "shell/use_wsock32.h"

namespace zuvelo::testing {
namespace {

TraceListener& TraceReceiver() {
  static TraceListener receiver(120000);
  [[maybe_unused]] static const bool own = receiver.KeepOnlyThisProcess();
  return receiver;
}

// As the program starts: sockets and window classes first, then control hosting and COM.
class Environment : public ::testing::Environment {
 public:
  void SetUp() override {
    sockets_ = std::make_unique<SocketsLayer>();
    ASSERT_TRUE(sockets_->ok());
    ASSERT_TRUE(RegisterWindowClasses(::GetModuleHandleA(nullptr)));
    ASSERT_TRUE(InitControlHosting());
    apartment_ = std::make_unique<ComApartment>();
    ASSERT_TRUE(apartment_->ok());
    registration_ = std::make_unique<BrowserDoubleRegistration>();
    ASSERT_TRUE(registration_->ok());
  }
  void TearDown() override {
    registration_.reset();
    apartment_.reset();
    sockets_.reset();
  }

 private:
  std::unique_ptr<SocketsLayer> sockets_;
  std::unique_ptr<ComApartment> apartment_;
  std::unique_ptr<BrowserDoubleRegistration> registration_;
};

[[maybe_unused]] ::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new Environment);

}  // namespace

std::string ShiftJis(const std::wstring& text) {
  const int size = static_cast<int>(text.size());
  const int length = ::WideCharToMultiByte(932, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(length), '\0');
  ::WideCharToMultiByte(932, 0, text.data(), size, bytes.data(), length, nullptr, nullptr);
  return bytes;
}

std::string WindowText(HWND window) {
  char text[1024] = {};
  ::GetWindowTextA(window, text, sizeof text);
  return text;
}

void MainWindowTest::SetUp() {
  ASSERT_TRUE(TraceReceiver().ok()) << "UDP 127.0.0.1:514 is not free";
  ASSERT_TRUE(TraceReceiver().keeps_only_this_process()) << "own trace lines do not arrive";
  BrowserDoubleRegistration::options() = {};
  std::filesystem::create_directory(logs_);
  TraceReceiver().Take(0);
}

void MainWindowTest::TearDown() {
  Close();
  SetGameMode(true);
  EXPECT_EQ(BrowserDouble::live(), 0) << "the control outlived the main window";
  EXPECT_EQ(DocumentDouble::live(), 0);
  EXPECT_EQ(TraceReceiver().malformed(), 0);
}

HWND MainWindowTest::Open(bool game_mode, bool log_folder) {
  if (log_folder) WriteLogPathSetting(logs_.string().c_str());
  SetGameMode(game_mode);
  main_ = CreateMainWindow(::GetModuleHandleA(nullptr));
  return main_;
}

// The quit message that the main window posts on its way out is taken here, so that it cannot
// end the next test's message pumps.
void MainWindowTest::Close() {
  if (main_ != nullptr && ::IsWindow(main_)) ::DestroyWindow(main_);
  main_ = nullptr;
  MSG quit;
  while (::PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }
}

LRESULT MainWindowTest::Command(const char* name, WPARAM argument) {
  return SendNamedCommand(main_, name, argument);
}

LRESULT MainWindowTest::Command(const char* name, const wchar_t* argument) {
  return SendNamedCommand(main_, name, reinterpret_cast<WPARAM>(argument));
}

void MainWindowTest::SendCommand(WORD id) { ::SendMessageA(main_, WM_COMMAND, id, 0); }

std::vector<std::string> MainWindowTest::TakeBalloons() {
  std::vector<std::string> balloons;
  for (const TrayRequest& request : TakeTray()) {
    if (request.message == NIM_MODIFY && (request.data.uFlags & NIF_INFO)) {
      balloons.emplace_back(request.data.szInfo);
    }
  }
  return balloons;
}

std::vector<TrayRequest> MainWindowTest::TakeTray() { return std::exchange(tray_, {}); }

Lines MainWindowTest::Trace() { return TraceReceiver().Take(); }

void MainWindowTest::Pump() {
  MSG message;
  while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      ::PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    ::TranslateMessage(&message);
    ::DispatchMessageA(&message);
  }
}

}  // namespace zuvelo::testing
