// The web-view runtime search over whatever the environment and the registry
// hold: override variables, policies and registrations with any text. The
// search always ends with a verdict, a runtime it finds is a client library,
// and an installed one is one it has checked exists.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>

#include "webview/runtime_search.h"

namespace {

void Fail(const char* what) {
  std::fprintf(stderr, "%s\n", what);
  std::abort();
}

std::u16string Text(FuzzedDataProvider& in) {
  static const std::u16string kWords[] = {u"C:\\rt", u"rt", u"\\\\server\\rt", u"120.0.2210.91", u"86.0.616.0",
                                          u"1.2.3", u"0,2, 3", u"1", u"0", u"-1", u"9999999999.0.0.0", u"",
                                          u"C:\\rt\\EBWebView\\x64\\EmbeddedBrowserWebView.dll"};
  if (in.ConsumeBool()) return kWords[in.ConsumeIntegralInRange<size_t>(0, std::size(kWords) - 1)];
  std::u16string text;
  const size_t units = in.ConsumeIntegralInRange<size_t>(0, 24);
  for (size_t i = 0; i < units && in.remaining_bytes() > 0; ++i)
    text += in.ConsumeBool() ? in.ConsumeIntegral<char16_t>() : u"0123456789.,:\\/ Cx"[in.ConsumeIntegralInRange<int>(0, 17)];
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  std::map<std::u16string, std::u16string> variables, policies, registrations;
  std::set<std::u16string> files;
  static const std::u16string kVariables[] = {u"WEBVIEW2_BROWSER_EXECUTABLE_FOLDER", u"WEBVIEW2_USER_DATA_FOLDER",
                                              u"WEBVIEW2_RELEASE_CHANNELS", u"WEBVIEW2_CHANNEL_SEARCH_KIND",
                                              u"WEBVIEW2_RELEASE_CHANNEL_PREFERENCE"};
  static const std::u16string kSettings[] = {u"BrowserExecutableFolder", u"UserDataFolder", u"ReleaseChannels",
                                             u"ChannelSearchKind", u"ReleaseChannelPreference"};
  for (const auto& v : kVariables)
    if (in.ConsumeBool()) variables[v] = Text(in);
  for (const auto& s : kSettings)
    if (in.ConsumeBool()) policies[(in.ConsumeBool() ? u"M" : u"U") + s + u"|" + (in.ConsumeBool() ? u"*" : u"app.exe")] = Text(in);
  const std::vector<RuntimeChannel> channels = ChannelSearchOrder(false, {});
  for (const auto& c : channels)
    if (in.ConsumeBool()) registrations[(in.ConsumeBool() ? u"M" : u"U") + std::u16string(c.guid)] = Text(in);
  const size_t fileCount = in.ConsumeIntegralInRange<size_t>(0, 4);
  for (size_t i = 0; i < fileCount; ++i) files.insert(ClientDllPath(u"C:\\app", Text(in)));

  const auto find = [](const auto& map, const std::u16string& key) -> std::optional<std::u16string> {
    const auto it = map.find(key);
    if (it == map.end() || it->second.empty()) return std::nullopt;
    return it->second;
  };
  RuntimeSystem system;
  system.variable = [&](std::u16string_view name) { return find(variables, std::u16string(name)); };
  system.policy = [&](RegistryRoot root, std::u16string_view setting, std::u16string_view appId) {
    return find(policies, (root == RegistryRoot::Machine ? u"M" : u"U") + std::u16string(setting) + u"|" +
                              std::u16string(appId));
  };
  system.registration = [&](RegistryRoot root, std::u16string_view guid) {
    return find(registrations, (root == RegistryRoot::Machine ? u"M" : u"U") + std::u16string(guid));
  };
  std::set<std::u16string> asked;
  system.fileExists = [&](const std::u16string& path) {
    asked.insert(path);
    return files.count(path) > 0 || path.size() % 5 == 0;
  };
  system.exeDir = u"C:\\app";
  system.appIds = {u"app.exe"};

  const RuntimeChoice choice = FindWebViewRuntime(system, Text(in), Text(in));
  if (choice.verdict == RuntimeVerdict::Found) {
    // A fixed-version folder is taken as named (loading it tells); an installed one is checked first.
    if (choice.runtimeType == 0 && !asked.count(choice.clientDll)) Fail("an installed runtime taken unchecked");
    if (choice.runtimeType != 0 && choice.runtimeType != 1) Fail("runtime type");
    if (!choice.clientDll.ends_with(u"EBWebView\\x64\\EmbeddedBrowserWebView.dll")) Fail("not the client library");
  }

  const std::u16string text = Text(in);
  if (const auto version = ParseRuntimeVersion(text)) {
    size_t dots = 0;
    for (char16_t c : text) {
      if (c == u'.') ++dots;
      else if (c < u'0' || c > u'9') Fail("a version with something other than digits and dots");
    }
    if (dots != 3) Fail("a version without four numbers");
  }
  const std::vector<int32_t> allowed = ParseReleaseChannels(text);
  for (int32_t c : allowed)
    if (c < 0 || c > 3) Fail("a release channel out of range");
  if (ChannelSearchOrder(in.ConsumeBool(), allowed).size() > 4) Fail("more than four channels");
  IsRelativePath(text);
  return 0;
}
