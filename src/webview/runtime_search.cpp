#include "webview/runtime_search.h"

#include <algorithm>

#include "base/paths.h"

namespace {

constexpr RuntimeChannel kChannels[] = {
    {u"stable", u"{F3017226-FE2A-4295-8BDF-00C3A9A7E4C5}"},
    {u"beta", u"{2CD8A007-E189-409D-A2C8-9AF4EF3C72AA}"},
    {u"dev", u"{0D50BFEC-CD6A-4F9A-964C-C7416E3ACB10}"},
    {u"canary", u"{65C35B14-6C1D-4122-AC46-7148CC9D6497}"},
};

std::optional<std::u16string> NonEmpty(std::optional<std::u16string> value) {
  if (value && value->empty()) return std::nullopt;
  return value;
}

std::optional<std::u16string> Variable(const RuntimeSystem& system, std::u16string_view name) {
  return system.variable ? NonEmpty(system.variable(name)) : std::nullopt;
}

// Machine policies win over user policies; within a root the most specific
// application id wins, "*" last (never for the user data folder).
std::optional<std::u16string> Policy(const RuntimeSystem& system, std::u16string_view setting, bool allowStar) {
  if (!system.policy) return std::nullopt;
  for (RegistryRoot root : {RegistryRoot::Machine, RegistryRoot::User}) {
    for (const std::u16string& appId : system.appIds)
      if (auto value = NonEmpty(system.policy(root, setting, appId))) return value;
    if (allowStar)
      if (auto value = NonEmpty(system.policy(root, setting, u"*"))) return value;
  }
  return std::nullopt;
}

std::optional<std::u16string> Override(const RuntimeSystem& system, std::u16string_view variable,
                                       std::u16string_view setting, bool allowStar) {
  if (auto value = Variable(system, variable)) return value;
  return Policy(system, setting, allowStar);
}

bool ContainsIgnoringCase(std::u16string_view text, std::u16string_view part) {
  auto same = [](char16_t a, char16_t b) { return AsciiLower(a == u'/' ? u'\\' : a) == AsciiLower(b); };
  return std::search(text.begin(), text.end(), part.begin(), part.end(), same) != text.end();
}

bool LeastStableFirst(const RuntimeSystem& system) {
  for (auto [variable, setting] : {std::pair{u"WEBVIEW2_CHANNEL_SEARCH_KIND", u"ChannelSearchKind"},
                                   std::pair{u"WEBVIEW2_RELEASE_CHANNEL_PREFERENCE", u"ReleaseChannelPreference"}})
    if (auto value = Override(system, variable, setting, true)) return *value == u"1";
  return false;
}

// The versioned folder a registration names, when its version is new enough
// and the client library is really there.
std::optional<std::u16string> UsableInstall(const RuntimeSystem& system, const std::u16string& folder) {
  std::u16string_view trimmed = folder;
  while (!trimmed.empty() && (trimmed.back() == u'\\' || trimmed.back() == u'/')) trimmed.remove_suffix(1);
  const auto version = ParseRuntimeVersion(FindFileName(trimmed));
  if (!version || *version < kMinimumRuntimeVersion) return std::nullopt;
  std::u16string dll = ClientDllPath(u"", trimmed);
  if (system.fileExists && !system.fileExists(dll)) return std::nullopt;
  return dll;
}

}  // namespace

std::optional<RuntimeVersion> ParseRuntimeVersion(std::u16string_view text) {
  RuntimeVersion version{};
  size_t part = 0;
  size_t digits = 0;
  for (char16_t c : text) {
    if (c >= u'0' && c <= u'9') {
      if (version[part] > 100000000u) return std::nullopt;
      version[part] = version[part] * 10 + static_cast<uint32_t>(c - u'0');
      ++digits;
    } else if (c == u'.' && digits > 0 && part < 3) {
      ++part;
      digits = 0;
    } else {
      return std::nullopt;
    }
  }
  if (part != 3 || digits == 0) return std::nullopt;
  return version;
}

std::vector<RuntimeChannel> ChannelSearchOrder(bool leastStableFirst, const std::vector<int32_t>& allowed) {
  std::vector<RuntimeChannel> order;
  for (int32_t i = 0; i < 4; ++i)
    if (allowed.empty() || std::find(allowed.begin(), allowed.end(), i) != allowed.end()) order.push_back(kChannels[i]);
  if (leastStableFirst) std::reverse(order.begin(), order.end());
  return order;
}

std::vector<int32_t> ParseReleaseChannels(std::u16string_view text) {
  std::vector<int32_t> channels;
  while (!text.empty()) {
    const size_t comma = text.find(u',');
    std::u16string_view item = text.substr(0, comma);
    while (!item.empty() && item.front() == u' ') item.remove_prefix(1);
    while (!item.empty() && item.back() == u' ') item.remove_suffix(1);
    if (item.size() == 1 && item[0] >= u'0' && item[0] <= u'3') channels.push_back(item[0] - u'0');
    if (comma == std::u16string_view::npos) break;
    text.remove_prefix(comma + 1);
  }
  return channels;
}

bool IsRelativePath(std::u16string_view path) {
  if (path.empty()) return true;
  if (path[0] == u'\\' || path[0] == u'/') return false;
  return !(path.size() >= 2 && path[1] == u':');
}

std::u16string ClientDllPath(std::u16string_view exeDir, std::u16string_view folder) {
  std::u16string path;
  if (IsRelativePath(folder) && !exeDir.empty()) {
    path = exeDir;
    if (path.back() != u'\\') path += u'\\';
  }
  path += folder;
  if (!path.empty() && path.back() != u'\\' && path.back() != u'/') path += u'\\';
  return path + u"EBWebView\\x64\\EmbeddedBrowserWebView.dll";
}

RuntimeChoice FindWebViewRuntime(const RuntimeSystem& system, std::u16string_view browserFolderArgument,
                                 std::u16string_view userDataArgument) {
  RuntimeChoice choice;
  const auto userData = Override(system, u"WEBVIEW2_USER_DATA_FOLDER", u"UserDataFolder", false);
  choice.userDataFolder = userData ? *userData : std::u16string(userDataArgument);

  auto folder = Override(system, u"WEBVIEW2_BROWSER_EXECUTABLE_FOLDER", u"BrowserExecutableFolder", true);
  if (!folder && !browserFolderArgument.empty()) folder = std::u16string(browserFolderArgument);
  if (folder) {
    if (ContainsIgnoringCase(*folder, u"\\Edge\\Application\\")) {
      choice.verdict = RuntimeVerdict::NotSupported;
      return choice;
    }
    choice.clientDll = ClientDllPath(system.exeDir, *folder);
    choice.runtimeType = 1;
    choice.verdict = RuntimeVerdict::Found;
    return choice;
  }

  std::vector<int32_t> allowed;
  if (auto channels = Override(system, u"WEBVIEW2_RELEASE_CHANNELS", u"ReleaseChannels", true))
    allowed = ParseReleaseChannels(*channels);
  for (const RuntimeChannel& channel : ChannelSearchOrder(LeastStableFirst(system), allowed)) {
    for (RegistryRoot root : {RegistryRoot::Machine, RegistryRoot::User}) {
      auto installed = system.registration ? NonEmpty(system.registration(root, channel.guid)) : std::nullopt;
      if (!installed) continue;
      if (auto dll = UsableInstall(system, *installed)) {
        choice.clientDll = std::move(*dll);
        choice.runtimeType = 0;
        choice.verdict = RuntimeVerdict::Found;
        return choice;
      }
    }
  }
  return choice;
}
