// The desktop shell simulator that the other integration tests stand on: its
// windows must be what the wallpaper host search expects to find.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

std::wstring BesideThisExe(const wchar_t* name) {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring dir(path);
  dir.resize(dir.find_last_of(L"\\/") + 1);
  return dir + name;
}

// Pumps this thread's messages while waiting, so broadcasts reach our windows.
template <typename Done>
bool WaitFor(Done done, DWORD timeoutMs = 5000) {
  const ULONGLONG until = GetTickCount64() + timeoutMs;
  while (!done()) {
    if (GetTickCount64() > until) return false;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    Sleep(20);
  }
  return true;
}

class ShellSim {
 public:
  explicit ShellSim(const std::wstring& args = L"") { Start(args); }
  ~ShellSim() { Kill(); }

  void Start(const std::wstring& args) {
    std::wstring line = L"\"" + BesideThisExe(L"shellsim.exe") + L"\" " + args;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    ASSERT_TRUE(CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi_))
        << "shellsim.exe beside the tests";
    CloseHandle(pi_.hThread);
    ASSERT_TRUE(WaitFor([] { return FindWindowW(L"Progman", nullptr) != nullptr; }))
        << "Progman never appeared";
  }

  void Kill() {
    if (!pi_.hProcess) return;
    TerminateProcess(pi_.hProcess, 0);
    WaitForSingleObject(pi_.hProcess, 5000);
    CloseHandle(pi_.hProcess);
    pi_ = {};
    WaitFor([] { return FindWindowW(L"Progman", nullptr) == nullptr; });
  }

 private:
  PROCESS_INFORMATION pi_{};
};

void AskForWallpaperHost(HWND progman) {
  DWORD_PTR result = 0;
  SendMessageTimeoutW(progman, 0x052C, 0x0D, 1, SMTO_NORMAL, 1000, &result);
  SendMessageTimeoutW(progman, 0x052C, 0, 0, SMTO_NORMAL, 1000, &result);
}

std::vector<HWND> TopLevel(const wchar_t* cls) {
  std::vector<HWND> found;
  for (HWND w = FindWindowExW(nullptr, nullptr, cls, nullptr); w; w = FindWindowExW(nullptr, w, cls, nullptr))
    found.push_back(w);
  return found;
}

RECT VirtualScreen() {
  const int x = GetSystemMetrics(SM_XVIRTUALSCREEN), y = GetSystemMetrics(SM_YVIRTUALSCREEN);
  return {x, y, x + GetSystemMetrics(SM_CXVIRTUALSCREEN), y + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

bool SameRect(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != FALSE; }

COLORREF ScreenPixel(int x, int y) {
  HDC screen = GetDC(nullptr);
  const COLORREF c = GetPixel(screen, x, y);
  ReleaseDC(nullptr, screen);
  return c;
}

constexpr COLORREF kIcon = RGB(0xFF, 0x00, 0xFF);
constexpr COLORREF kDesktop = RGB(0x3A, 0x6E, 0xA5);
constexpr COLORREF kWallpaperHost = RGB(0x2B, 0x4F, 0x7A);

// The icons show over the wallpaper host, which shows everywhere else, even
// between the icons; neither Progman nor the icon view's own host shows.
void ExpectIconsOverWallpaperHost() {
  EXPECT_TRUE(WaitFor([] { return ScreenPixel(400, 400) == kWallpaperHost; }, 3000))
      << std::hex << ScreenPixel(400, 400);
  EXPECT_EQ(ScreenPixel(24 + 24, 24 + 48 + 16), kWallpaperHost);
  EXPECT_EQ(ScreenPixel(24 + 24, 24 + 24), kIcon);
  EXPECT_EQ(ScreenPixel(24 + 24, 24 + 80 * 3 + 24), kIcon);
}

TEST(ShellSim, TopLevelLayoutPutsTheWallpaperWorkerAfterTheIconHost) {
  ASSERT_EQ(FindWindowW(L"Progman", nullptr), nullptr) << "a shell is already running";
  ShellSim sim;
  HWND progman = FindWindowW(L"Progman", nullptr);
  RECT r;
  GetWindowRect(progman, &r);
  EXPECT_TRUE(SameRect(r, VirtualScreen()));
  EXPECT_NE(FindWindowExW(progman, nullptr, L"SHELLDLL_DefView", nullptr), nullptr);
  EXPECT_TRUE(TopLevel(L"WorkerW").empty()) << "no wallpaper host before it is asked for";
  EXPECT_TRUE(WaitFor([] { return ScreenPixel(400, 400) == kDesktop; }, 3000));
  EXPECT_EQ(ScreenPixel(24 + 24, 24 + 24), kIcon);

  AskForWallpaperHost(progman);
  AskForWallpaperHost(progman);  // asking again makes nothing new
  EXPECT_EQ(FindWindowExW(progman, nullptr, L"SHELLDLL_DefView", nullptr), nullptr);
  EXPECT_EQ(FindWindowExW(progman, nullptr, L"WorkerW", nullptr), nullptr);
  const std::vector<HWND> workers = TopLevel(L"WorkerW");
  ASSERT_EQ(workers.size(), 2u);
  HWND iconHost = workers[0];
  EXPECT_NE(FindWindowExW(iconHost, nullptr, L"SHELLDLL_DefView", nullptr), nullptr);
  HWND wallpaper = FindWindowExW(nullptr, iconHost, L"WorkerW", nullptr);
  ASSERT_EQ(wallpaper, workers[1]);
  EXPECT_EQ(FindWindowExW(wallpaper, nullptr, L"SHELLDLL_DefView", nullptr), nullptr);
  EXPECT_TRUE(IsWindowVisible(wallpaper));
  GetWindowRect(wallpaper, &r);
  EXPECT_TRUE(SameRect(r, VirtualScreen()));

  // The z-order the host search walks: icon host, wallpaper host, Progman.
  std::vector<HWND> order;
  EnumWindows(
      [](HWND w, LPARAM list) {
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(w);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&order));
  auto at = [&](HWND w) { return std::find(order.begin(), order.end(), w) - order.begin(); };
  EXPECT_LT(at(iconHost), at(wallpaper));
  EXPECT_LT(at(wallpaper), at(progman));

  ExpectIconsOverWallpaperHost();
}

TEST(ShellSim, ChildLayoutPutsTheWallpaperWorkerInsideProgmanBelowTheIcons) {
  ASSERT_EQ(FindWindowW(L"Progman", nullptr), nullptr);
  ShellSim sim(L"--layout=child");
  HWND progman = FindWindowW(L"Progman", nullptr);
  AskForWallpaperHost(progman);
  AskForWallpaperHost(progman);
  HWND defView = FindWindowExW(progman, nullptr, L"SHELLDLL_DefView", nullptr);
  HWND worker = FindWindowExW(progman, nullptr, L"WorkerW", nullptr);
  ASSERT_NE(defView, nullptr);
  ASSERT_NE(worker, nullptr);
  EXPECT_EQ(FindWindowExW(progman, worker, L"WorkerW", nullptr), nullptr) << "made once";
  EXPECT_TRUE(TopLevel(L"WorkerW").empty());
  EXPECT_EQ(GetWindow(progman, GW_CHILD), defView) << "icons above the wallpaper host";
  EXPECT_EQ(GetWindow(defView, GW_HWNDNEXT), worker);
  EXPECT_TRUE(IsWindowVisible(worker));
  RECT r;
  GetWindowRect(worker, &r);
  EXPECT_TRUE(SameRect(r, VirtualScreen()));
  ExpectIconsOverWallpaperHost();
}

TEST(ShellSim, WithoutWorkerProgmanKeepsTheIconView) {
  ASSERT_EQ(FindWindowW(L"Progman", nullptr), nullptr);
  ShellSim sim(L"--no-workerw");
  HWND progman = FindWindowW(L"Progman", nullptr);
  AskForWallpaperHost(progman);
  EXPECT_NE(FindWindowExW(progman, nullptr, L"SHELLDLL_DefView", nullptr), nullptr);
  EXPECT_TRUE(WaitFor([] { return ScreenPixel(400, 400) == kDesktop; }, 3000));
  EXPECT_EQ(ScreenPixel(24 + 24, 24 + 24), kIcon);
  EXPECT_EQ(FindWindowExW(progman, nullptr, L"WorkerW", nullptr), nullptr);
  EXPECT_TRUE(TopLevel(L"WorkerW").empty());
}

UINT gTaskbarCreated = 0;
int gTaskbarCreatedSeen = 0;

LRESULT CALLBACK Listener(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == gTaskbarCreated) ++gTaskbarCreatedSeen;
  return DefWindowProcW(w, m, wp, lp);
}

TEST(ShellSim, AnnouncesItselfAndCanBeKilledAndRestarted) {
  ASSERT_EQ(FindWindowW(L"Progman", nullptr), nullptr);
  gTaskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
  WNDCLASSW wc{};
  wc.lpfnWndProc = Listener;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"ShellSimTestListener";
  RegisterClassW(&wc);
  // A hidden top-level window: broadcasts skip message-only windows.
  HWND listener = CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                  wc.hInstance, nullptr);
  ASSERT_NE(listener, nullptr);
  gTaskbarCreatedSeen = 0;

  ShellSim sim;
  EXPECT_TRUE(WaitFor([] { return gTaskbarCreatedSeen == 1; })) << "TaskbarCreated at start";
  HWND first = FindWindowW(L"Progman", nullptr);
  AskForWallpaperHost(first);
  HWND firstWorker = TopLevel(L"WorkerW").back();

  sim.Kill();
  EXPECT_FALSE(IsWindow(first));
  EXPECT_FALSE(IsWindow(firstWorker));
  sim.Start(L"");
  EXPECT_TRUE(WaitFor([] { return gTaskbarCreatedSeen == 2; })) << "TaskbarCreated after the restart";
  HWND second = FindWindowW(L"Progman", nullptr);
  EXPECT_NE(second, first);
  AskForWallpaperHost(second);
  EXPECT_EQ(TopLevel(L"WorkerW").size(), 2u);
  DestroyWindow(listener);
}

}  // namespace
