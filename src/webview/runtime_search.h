#pragma once
// Where the web-view runtime is and how to start it, decided from what the
// system says: the override variables, the policy values, the function's own
// arguments, and the per-channel registrations of installed runtimes. The
// Windows shell (runtime_loader_win.cpp) answers the questions; tests answer
// them from tables.
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

enum class RegistryRoot { Machine, User };

// The system as the search sees it. Every lookup returns nothing when the
// value is absent; an empty text counts as absent.
struct RuntimeSystem {
  // An environment variable.
  std::function<std::optional<std::u16string>(std::u16string_view name)> variable;
  // Software\Policies\Microsoft\Edge\WebView2\<setting>, value named `appId`.
  std::function<std::optional<std::u16string>(RegistryRoot, std::u16string_view setting, std::u16string_view appId)>
      policy;
  // Software\Microsoft\EdgeUpdate\ClientState\<channel GUID>, value "EBWebView"
  // (per machine in the 32-bit view).
  std::function<std::optional<std::u16string>(RegistryRoot, std::u16string_view channelGuid)> registration;
  std::function<bool(const std::u16string& path)> fileExists;
  std::u16string exeDir;              // relative fixed-version folders are taken from here
  std::vector<std::u16string> appIds;  // policy value names to try, before "*": app model id, exe file name
};

enum class RuntimeVerdict {
  Found,
  NotFound,      // no runtime anywhere: ERROR_FILE_NOT_FOUND
  NotSupported,  // a browser folder inside an Edge browser install: ERROR_NOT_SUPPORTED
};

struct RuntimeChoice {
  RuntimeVerdict verdict = RuntimeVerdict::NotFound;
  std::u16string clientDll;         // ...\EBWebView\x64\EmbeddedBrowserWebView.dll
  int32_t runtimeType = 0;          // 0 installed (registry), 1 fixed-version folder
  std::u16string userDataFolder;    // after the overrides; empty for the runtime's default
};

// The whole search, in the documented precedence: a variable over a policy
// over the argument, for the browser folder and the user data folder alike.
// A browser folder (from any of them) is a fixed-version runtime and nothing
// else is searched; otherwise the installed channels are searched in order.
RuntimeChoice FindWebViewRuntime(const RuntimeSystem& system, std::u16string_view browserFolderArgument,
                                 std::u16string_view userDataArgument);

// ---- the pieces, exposed for tests ----

using RuntimeVersion = std::array<uint32_t, 4>;
// "120.0.2210.91": four decimal numbers separated by dots, nothing else.
std::optional<RuntimeVersion> ParseRuntimeVersion(std::u16string_view text);
inline constexpr RuntimeVersion kMinimumRuntimeVersion = {86, 0, 616, 0};

struct RuntimeChannel {
  std::u16string_view name;
  std::u16string_view guid;
};
// Stable, beta, dev, canary; reversed when the channel preference asks for the
// least stable first. `allowed` lists the channels kept (0 stable to 3
// canary); empty keeps all.
std::vector<RuntimeChannel> ChannelSearchOrder(bool leastStableFirst, const std::vector<int32_t>& allowed);
// "0,2, 3": the channel numbers of WEBVIEW2_RELEASE_CHANNELS; anything
// unreadable is left out.
std::vector<int32_t> ParseReleaseChannels(std::u16string_view text);

// Like PathIsRelativeW: absolute when it starts with "\" or "/" or a drive letter and ":".
bool IsRelativePath(std::u16string_view path);
// `folder` + "\EBWebView\x64\EmbeddedBrowserWebView.dll", a relative folder taken from `exeDir`.
std::u16string ClientDllPath(std::u16string_view exeDir, std::u16string_view folder);
