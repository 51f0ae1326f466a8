#include "library/library_window_win.h"

#include <commdlg.h>
#include <dwmapi.h>
#include <shobjidl.h>
#include <wrl/client.h>

#include <vector>

#include "base/app_facts_win.h"
#include "base/log_win.h"
#include "base/main_timers.h"
#include "base/text.h"
#include "base/wide_win.h"
#include "library/library_host_win.h"
#include "library/library_window_geometry.h"
#include "library/picker_result.h"
#include "webview/web_environment_win.h"
#include "webview/com_callbacks_win.h"

using Microsoft::WRL::ComPtr;

namespace {

HWND gLibraryWindow = nullptr;
ComPtr<ICoreWebView2Controller> gLibraryController;
ComPtr<ICoreWebView2> gLibraryWebView;

// The files dropped on the page travel as the message's additional objects.
std::vector<std::u16string> DroppedPaths(ICoreWebView2WebMessageReceivedEventArgs* args) {
  std::vector<std::u16string> paths;
  ComPtr<ICoreWebView2WebMessageReceivedEventArgs2> args2;
  ComPtr<ICoreWebView2ObjectCollectionView> objects;
  UINT32 count = 0;
  if (FAILED(args->QueryInterface(IID_PPV_ARGS(&args2))) || FAILED(args2->get_AdditionalObjects(&objects)) ||
      !objects || FAILED(objects->get_Count(&count)))
    return paths;
  for (UINT32 i = 0; i < count; ++i) {
    ComPtr<IUnknown> object;
    ComPtr<ICoreWebView2File> file;
    LPWSTR path = nullptr;
    if (FAILED(objects->GetValueAtIndex(i, &object)) || !object || FAILED(object.As(&file))) continue;
    if (SUCCEEDED(file->get_Path(&path)) && path) paths.push_back(U16(path));
    CoTaskMemFree(path);
  }
  return paths;
}

HRESULT PageMessage(ICoreWebView2WebMessageReceivedEventArgs* args) {
  LPWSTR raw = nullptr;
  // A page that posts an object instead of a string fails here and is ignored.
  if (!args || FAILED(args->TryGetWebMessageAsString(&raw)) || !raw) return S_OK;
  const std::u16string text = U16(raw);
  CoTaskMemFree(raw);
  if (text.empty()) return S_OK;
  HandleLibraryCommand(text, [args] { return DroppedPaths(args); });
  return S_OK;
}

void ShowPage(ICoreWebView2Controller* controller) {
  gLibraryController = controller;
  ComPtr<ICoreWebView2Controller2> controller2;
  if (SUCCEEDED(controller->QueryInterface(IID_PPV_ARGS(&controller2))))
    controller2->put_DefaultBackgroundColor({0, 0, 0, 0});  // the backdrop shows through the page
  RECT client{};
  GetClientRect(gLibraryWindow, &client);
  controller->put_Bounds(client);
  gLibraryWebView.Reset();
  controller->get_CoreWebView2(&gLibraryWebView);
  if (!gLibraryWebView) return;
  ComPtr<ICoreWebView2Settings> settings;
  if (SUCCEEDED(gLibraryWebView->get_Settings(&settings)) && settings) {
    settings->put_AreDefaultContextMenusEnabled(FALSE);
    settings->put_AreDevToolsEnabled(FALSE);
    settings->put_IsStatusBarEnabled(FALSE);
    settings->put_IsZoomControlEnabled(FALSE);
    ComPtr<ICoreWebView2Settings3> settings3;
    if (SUCCEEDED(settings.As(&settings3))) settings3->put_AreBrowserAcceleratorKeysEnabled(FALSE);
  }
  ComPtr<ICoreWebView2_8> webView8;
  if (SUCCEEDED(gLibraryWebView.As(&webView8))) webView8->put_IsMuted(TRUE);
  EventRegistrationToken token{};
  auto handler = WebMessageCallback::Make(
      [](ICoreWebView2*, ICoreWebView2WebMessageReceivedEventArgs* args) { return PageMessage(args); });
  gLibraryWebView->add_WebMessageReceived(handler.Get(), &token);
  const std::u16string url = FileUrl(gApp.exeDir + u"\\ui\\library.html");
  gLibraryWebView->Navigate(W(url));
}

void CreateLibraryController(HWND window) {
  if (window != gLibraryWindow) return;
  auto handler = ControllerCompletedCallback::Make([window](HRESULT result, ICoreWebView2Controller* controller) {
    if (window == gLibraryWindow && SUCCEEDED(result)) {
      if (controller) ShowPage(controller);
    } else if (controller) {
      controller->Close();  // the window closed meanwhile, or creation failed
    }
    return S_OK;
  });
  gLibraryEnvironment.environment->CreateCoreWebView2Controller(window, handler.Get());
}

void OnCreate(HWND window) {
  gLibraryWindow = window;
  const BOOL dark = TRUE;
  DwmSetWindowAttribute(window, 20 /* DWMWA_USE_IMMERSIVE_DARK_MODE */, &dark, sizeof dark);
  const int backdrop = 2;  // the main-window backdrop
  DwmSetWindowAttribute(window, 38 /* DWMWA_SYSTEMBACKDROP_TYPE */, &backdrop, sizeof backdrop);
  const MARGINS sheet{-1, -1, -1, -1};
  DwmExtendFrameIntoClientArea(window, &sheet);
  GetEnvironment(gLibraryEnvironment, [window] { CreateLibraryController(window); });
}

void OnDestroy() {
  if (gLibraryController) gLibraryController->Close();
  gLibraryController.Reset();
  gLibraryWebView.Reset();
  gLibraryWindow = nullptr;
  // The list is only needed while the page shows it; the next state rescans.
  ReleaseLibraryList();
  Timers().Arm(TIMER_TRIM, 1000);
}

void PickFiles(HWND owner) {
  std::vector<wchar_t> buffer(32768, L'\0');
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  ofn.lpstrFilter =
      L"Videos and pictures\0*.mp4;*.webm;*.m4v;*.mov;*.wmv;*.mkv;*.avi;*.png;*.jpg;*.jpeg;*.bmp;*.webp;*.html;*.htm\0"
      L"All files\0*.*\0";
  ofn.nFilterIndex = 0;
  ofn.lpstrFile = buffer.data();
  ofn.nMaxFile = static_cast<DWORD>(buffer.size());
  ofn.lpstrTitle = L"Add your own wallpapers";
  ofn.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_ALLOWMULTISELECT;
  // The dialog's library loads with the first pick, not with the program:
  // it brings the printing stack with it.
  using OpenDialog = BOOL(WINAPI*)(OPENFILENAMEW*);
  HMODULE dialogs = LoadLibraryW(L"comdlg32.dll");
  const auto open =
      dialogs ? reinterpret_cast<OpenDialog>(reinterpret_cast<void*>(GetProcAddress(dialogs, "GetOpenFileNameW")))
              : nullptr;
  if (!open || !open(&ofn)) return;
  AddUserWallpapers(ParsePickedFiles({reinterpret_cast<const char16_t*>(buffer.data()), buffer.size()}));
}

void PickFolder(HWND owner) {
  ComPtr<IFileOpenDialog> dialog;
  if (FAILED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&dialog)))) return;
  dialog->SetOptions(FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM);
  dialog->SetTitle(L"Pick a web wallpaper folder (with index.html)");
  if (FAILED(dialog->Show(owner))) return;  // cancelled too
  ComPtr<IShellItem> item;
  PWSTR path = nullptr;
  if (FAILED(dialog->GetResult(&item)) || FAILED(item->GetDisplayName(SIGDN_FILESYSPATH, &path))) return;
  const std::u16string folder = U16(path);
  CoTaskMemFree(path);
  if (ClassifyMedia(folder) == MediaKind::Web)
    AddUserWallpapers({folder});
  else
    MessageBoxW(owner, L"That folder has no index.html.", L"Lumenhollow", MB_ICONINFORMATION);
}

}  // namespace

void OpenLibraryWindow() {
  if (gLibraryWindow) {
    ShowWindow(gLibraryWindow, SW_RESTORE);
    SetForegroundWindow(gLibraryWindow);
    return;
  }
  POINT cursor{};
  GetCursorPos(&cursor);
  MONITORINFO info{};
  info.cbSize = sizeof info;
  GetMonitorInfoW(MonitorFromPoint(cursor, MONITOR_DEFAULTTOPRIMARY), &info);
  const RECT& w = info.rcWork;
  const Rect r = LibraryWindowRect({w.left, w.top, w.right, w.bottom}, static_cast<int>(GetDpiForSystem()));
  // WM_CREATE stores the handle, so it is known before the web view asks.
  HWND window = CreateWindowExW(0, kLibraryClass, L"Lumenhollow", WS_OVERLAPPEDWINDOW, r.left, r.top,
                                r.right - r.left, r.bottom - r.top, nullptr, nullptr, gApp.instance, nullptr);
  if (!window) return;
  ShowWindow(window, SW_SHOW);
  SetForegroundWindow(window);
  if (!gApp.tourRequested) return;
  SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  RECT placed{};
  GetWindowRect(window, &placed);
  LogLine(u"tour window " + AsciiToUtf16(std::to_string(placed.left) + " " + std::to_string(placed.top) + " " +
                                         std::to_string(placed.right - placed.left) + " " +
                                         std::to_string(placed.bottom - placed.top)));
}

bool LibraryWindowExists() { return gLibraryWindow != nullptr; }

void PostLibraryPick(int32_t picker) {
  if (gLibraryWindow) PostMessageW(gLibraryWindow, WM_APP_LIBRARY_PICK, static_cast<WPARAM>(picker), 0);
}
bool LibraryViewExists() { return gLibraryWebView != nullptr; }

void PostJsonToLibraryPage(const std::u16string& json) {
  if (gLibraryWebView) gLibraryWebView->PostWebMessageAsJson(W(json));
}

LRESULT CALLBACK LibraryWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      OnCreate(window);
      return 0;
    case WM_SIZE:
      if (gLibraryController && window == gLibraryWindow) {
        RECT client{};
        GetClientRect(window, &client);
        gLibraryController->put_Bounds(client);
      }
      return 0;
    case WM_CLOSE:
      DestroyWindow(window);
      return 0;
    case WM_GETMINMAXINFO: {
      const Size least = LibraryMinimumSize(static_cast<int>(GetDpiForWindow(window)));
      auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
      limits->ptMinTrackSize = {least.width, least.height};
      return 0;
    }
    case WM_DPICHANGED: {
      const auto* suggested = reinterpret_cast<const RECT*>(lParam);
      SetWindowPos(window, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                   suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
      return 0;
    }
    case WM_APP_LIBRARY_PICK:
      if (wParam == 0)
        PickFiles(window);
      else
        PickFolder(window);
      return 0;
    case WM_DESTROY:
      if (window == gLibraryWindow) OnDestroy();
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}
