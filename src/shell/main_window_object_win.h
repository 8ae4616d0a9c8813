// The native object behind the main window.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <span>
#include <string>

#include "base/window_object_win.h"
#include "shell/services/mainthread_calls_win.h"
#include "shell/tray_icon_win.h"

namespace zuvelo {

class MainWindow final : public WindowObject {
 public:
  explicit MainWindow(HWND window) noexcept;
  // Releases every object still attached.
  ~MainWindow() override = default;

  LRESULT WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) override;

 private:
  static std::span<const NamedCommandEntry<MainWindow>> Commands();

  LRESULT OnCreate(const CREATESTRUCTA& create);
  void CreateChildren(HINSTANCE instance);
  void OnDestroy();
  void OnSize(int width, int height);
  bool OnCommand(WORD command);
  LRESULT OnNotify(const NMHDR& header);
  void OnDropDown(const NMTOOLBARA& button);
  void OnDrawItem(const DRAWITEMSTRUCT& item) const;
  void OnEraseBackground(HDC dc) const;
  bool OnTrayIcon(LPARAM mouse_message);

  void NavigateTo(const char* address) const;
  [[nodiscard]] std::string AddressText(int limit) const;
  void SetFirstStatus(const char* text) const;

  LRESULT GetExternalCommand(WPARAM result);
  LRESULT StatusCommand(WPARAM text);
  LRESULT StatusTextCommand(WPARAM text);
  LRESULT NavigateCompleteCommand(WPARAM address);
  LRESULT TitleCommand(WPARAM title);
  LRESULT StartGameCommand(WPARAM log_name);
  LRESULT TrayPopupCommand(WPARAM text);

  // The address box shows the game page (or a page under it); otherwise the balloon says no.
  bool RequestFromGamePage(const char* command, WPARAM argument);
  void CheckLogFolder();

  AttachedObjects attached_;
  std::string browser_status_;
  const HICON icon_;
  const HWND window_;
  HWND address_ = nullptr;
  HWND status_ = nullptr;
  HWND separator_ = nullptr;
  HWND toolbar_ = nullptr;
  HWND browser_ = nullptr;
  TrayIcon tray_;
};

}  // namespace zuvelo
