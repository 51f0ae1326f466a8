// Where the web-view runtime is found, and what the file picker's buffer holds.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <tuple>

#include "base/text.h"
#include "library/picker_result.h"
#include "webview/runtime_search.h"

namespace {

constexpr char16_t kStable[] = u"{F3017226-FE2A-4295-8BDF-00C3A9A7E4C5}";
constexpr char16_t kBeta[] = u"{2CD8A007-E189-409D-A2C8-9AF4EF3C72AA}";
constexpr char16_t kCanary[] = u"{65C35B14-6C1D-4122-AC46-7148CC9D6497}";
constexpr char16_t kDll[] = u"\\EBWebView\\x64\\EmbeddedBrowserWebView.dll";

// A machine described by tables; every installed client library exists
// unless listed as missing.
struct FakeSystem {
  std::map<std::u16string, std::u16string> variables;
  std::map<std::tuple<RegistryRoot, std::u16string, std::u16string>, std::u16string> policies;
  std::map<std::pair<RegistryRoot, std::u16string>, std::u16string> registrations;
  std::set<std::u16string> missing;
  std::vector<std::u16string> asked;  // registrations looked at, in order

  RuntimeSystem View() {
    RuntimeSystem s;
    s.variable = [this](std::u16string_view name) -> std::optional<std::u16string> {
      auto it = variables.find(std::u16string(name));
      if (it == variables.end()) return std::nullopt;
      return it->second;
    };
    s.policy = [this](RegistryRoot root, std::u16string_view setting,
                      std::u16string_view appId) -> std::optional<std::u16string> {
      auto it = policies.find({root, std::u16string(setting), std::u16string(appId)});
      if (it == policies.end()) return std::nullopt;
      return it->second;
    };
    s.registration = [this](RegistryRoot root, std::u16string_view guid) -> std::optional<std::u16string> {
      asked.push_back((root == RegistryRoot::Machine ? u"HKLM " : u"HKCU ") + std::u16string(guid));
      auto it = registrations.find({root, std::u16string(guid)});
      if (it == registrations.end()) return std::nullopt;
      return it->second;
    };
    s.fileExists = [this](const std::u16string& path) { return !missing.count(path); };
    s.exeDir = u"C:\\Apps\\Lumenhollow";
    s.appIds = {u"lumenhollow.exe"};
    return s;
  }
};

constexpr auto M = RegistryRoot::Machine;
constexpr auto U = RegistryRoot::User;

TEST(WebViewRuntime, BrowserFolderComesFromTheVariableThenThePolicyThenTheArgument) {
  struct Case {
    const char* what;
    std::map<std::u16string, std::u16string> variables;
    std::map<std::tuple<RegistryRoot, std::u16string, std::u16string>, std::u16string> policies;
    std::u16string argument;
    std::u16string dll;  // empty: the installed stable runtime was used
  } cases[] = {
      {"variable over everything",
       {{u"WEBVIEW2_BROWSER_EXECUTABLE_FOLDER", u"D:\\Var"}},
       {{{M, u"BrowserExecutableFolder", u"*"}, u"D:\\Policy"}},
       u"D:\\Arg",
       u"D:\\Var"},
      {"machine policy over user policy and argument",
       {},
       {{{U, u"BrowserExecutableFolder", u"lumenhollow.exe"}, u"D:\\UserPolicy"},
        {{M, u"BrowserExecutableFolder", u"*"}, u"D:\\MachineStar"}},
       u"D:\\Arg",
       u"D:\\MachineStar"},
      {"the exe's own policy over the wildcard",
       {},
       {{{M, u"BrowserExecutableFolder", u"lumenhollow.exe"}, u"D:\\Mine"},
        {{M, u"BrowserExecutableFolder", u"*"}, u"D:\\Star"}},
       u"",
       u"D:\\Mine"},
      {"user policy when the machine has none", {}, {{{U, u"BrowserExecutableFolder", u"*"}, u"D:\\User"}}, u"",
       u"D:\\User"},
      {"argument when nothing overrides it", {}, {}, u"D:\\Arg", u"D:\\Arg"},
      {"an empty variable counts as unset", {{u"WEBVIEW2_BROWSER_EXECUTABLE_FOLDER", u""}}, {}, u"D:\\Arg",
       u"D:\\Arg"},
      {"relative folder from the exe's folder", {{u"WEBVIEW2_BROWSER_EXECUTABLE_FOLDER", u"runtime\\fixed"}}, {},
       u"", u"C:\\Apps\\Lumenhollow\\runtime\\fixed"},
      {"dot-relative folder", {{u"WEBVIEW2_BROWSER_EXECUTABLE_FOLDER", u".\\rt\\"}}, {}, u"",
       u"C:\\Apps\\Lumenhollow\\.\\rt"},
      {"UNC folder is absolute", {{u"WEBVIEW2_BROWSER_EXECUTABLE_FOLDER", u"\\\\server\\rt"}}, {}, u"",
       u"\\\\server\\rt"},
      {"nothing: the installed runtime", {}, {}, u"", u""},
  };
  for (const Case& c : cases) {
    FakeSystem fake;
    fake.variables = c.variables;
    fake.policies = c.policies;
    const std::u16string kInstalled = u"C:\\RT\\120.0.2210.91";
    fake.registrations[{M, kStable}] = kInstalled;
    const RuntimeChoice choice = FindWebViewRuntime(fake.View(), c.argument, u"");
    const bool fixed = !c.dll.empty();
    EXPECT_EQ(std::tuple(choice.verdict, choice.runtimeType, choice.clientDll),
              std::tuple(RuntimeVerdict::Found, fixed ? 1 : 0, (fixed ? c.dll : kInstalled) + kDll))
        << c.what;
    EXPECT_EQ(fake.asked.empty(), fixed) << c.what << ": a fixed folder never searches the channels";
  }
}

TEST(WebViewRuntime, UserDataFolderOverridesNeverUseTheWildcardPolicy) {
  struct Case {
    const char* what;
    std::map<std::u16string, std::u16string> variables;
    std::map<std::tuple<RegistryRoot, std::u16string, std::u16string>, std::u16string> policies;
    std::u16string folder;
  } cases[] = {
      {"argument", {}, {}, u"C:\\Data\\ui"},
      {"variable", {{u"WEBVIEW2_USER_DATA_FOLDER", u"C:\\Var"}}, {{{M, u"UserDataFolder", u"lumenhollow.exe"}, u"P"}},
       u"C:\\Var"},
      {"policy for this exe", {}, {{{U, u"UserDataFolder", u"lumenhollow.exe"}, u"C:\\Pol"}}, u"C:\\Pol"},
      {"wildcard ignored", {}, {{{M, u"UserDataFolder", u"*"}, u"C:\\Star"}}, u"C:\\Data\\ui"},
  };
  for (const Case& c : cases) {
    FakeSystem fake;
    fake.variables = c.variables;
    fake.policies = c.policies;
    fake.variables[u"WEBVIEW2_BROWSER_EXECUTABLE_FOLDER"] = u"D:\\Fixed";
    EXPECT_EQ(FindWebViewRuntime(fake.View(), u"", u"C:\\Data\\ui").userDataFolder, c.folder) << c.what;
  }
}

TEST(WebViewRuntime, InstalledRuntimesAreSearchedByChannelMachineBeforeUser) {
  struct Case {
    const char* what;
    std::map<std::pair<RegistryRoot, std::u16string>, std::u16string> registrations;
    std::map<std::u16string, std::u16string> variables;
    std::u16string folder;  // empty: not found
  } cases[] = {
      {"per machine", {{{M, kStable}, u"C:\\M\\120.0.2210.91"}}, {}, u"C:\\M\\120.0.2210.91"},
      {"per user", {{{U, kStable}, u"C:\\U\\120.0.2210.91"}}, {}, u"C:\\U\\120.0.2210.91"},
      {"machine before user",
       {{{U, kStable}, u"C:\\U\\121.0.1.0"}, {{M, kStable}, u"C:\\M\\120.0.2210.91"}},
       {},
       u"C:\\M\\120.0.2210.91"},
      {"stable before beta before canary",
       {{{U, kCanary}, u"C:\\C\\125.0.1.0"}, {{U, kBeta}, u"C:\\B\\124.0.1.0"}},
       {},
       u"C:\\B\\124.0.1.0"},
      {"channel preference reverses the order",
       {{{M, kStable}, u"C:\\S\\120.0.1.0"}, {{U, kCanary}, u"C:\\C\\125.0.1.0"}},
       {{u"WEBVIEW2_RELEASE_CHANNEL_PREFERENCE", u"1"}},
       u"C:\\C\\125.0.1.0"},
      {"newer search kind variable reverses too",
       {{{M, kStable}, u"C:\\S\\120.0.1.0"}, {{U, kCanary}, u"C:\\C\\125.0.1.0"}},
       {{u"WEBVIEW2_CHANNEL_SEARCH_KIND", u"1"}},
       u"C:\\C\\125.0.1.0"},
      {"preference 0 keeps stable first",
       {{{M, kStable}, u"C:\\S\\120.0.1.0"}, {{U, kCanary}, u"C:\\C\\125.0.1.0"}},
       {{u"WEBVIEW2_RELEASE_CHANNEL_PREFERENCE", u"0"}},
       u"C:\\S\\120.0.1.0"},
      {"release channels leave stable out",
       {{{M, kStable}, u"C:\\S\\120.0.1.0"}, {{U, kCanary}, u"C:\\C\\125.0.1.0"}},
       {{u"WEBVIEW2_RELEASE_CHANNELS", u"3, 1"}},
       u"C:\\C\\125.0.1.0"},
      {"below the minimum is skipped",
       {{{M, kStable}, u"C:\\Old\\86.0.615.99"}, {{U, kStable}, u"C:\\New\\86.0.616.0"}},
       {},
       u"C:\\New\\86.0.616.0"},
      {"unreadable version is skipped",
       {{{M, kStable}, u"C:\\RT\\Application"}, {{M, kBeta}, u"C:\\B\\121.0.1.0\\"}},
       {},
       u"C:\\B\\121.0.1.0"},
      {"only old runtimes: none", {{{M, kStable}, u"C:\\Old\\80.0.361.111"}}, {}, u""},
      {"nothing registered: none", {}, {}, u""},
  };
  for (const Case& c : cases) {
    FakeSystem fake;
    fake.registrations = c.registrations;
    fake.variables = c.variables;
    const RuntimeChoice choice = FindWebViewRuntime(fake.View(), u"", u"C:\\Data\\web");
    if (c.folder.empty()) {
      EXPECT_EQ(choice.verdict, RuntimeVerdict::NotFound) << c.what;
      continue;
    }
    EXPECT_EQ(std::tuple(choice.verdict, choice.clientDll, choice.runtimeType, choice.userDataFolder),
              std::tuple(RuntimeVerdict::Found, c.folder + kDll, 0, std::u16string(u"C:\\Data\\web")))
        << c.what;
  }
}

TEST(WebViewRuntime, ARegistrationWithoutItsClientLibraryIsPassedOver) {
  FakeSystem fake;
  fake.registrations[{M, kStable}] = u"C:\\Gone\\120.0.1.0";
  fake.registrations[{U, kStable}] = u"C:\\Here\\119.0.1.0";
  fake.missing.insert(std::u16string(u"C:\\Gone\\120.0.1.0") + kDll);
  const RuntimeChoice choice = FindWebViewRuntime(fake.View(), u"", u"");
  EXPECT_EQ(choice.clientDll, std::u16string(u"C:\\Here\\119.0.1.0") + kDll);
  EXPECT_EQ(fake.asked, (std::vector<std::u16string>{std::u16string(u"HKLM ") + kStable,
                                                     std::u16string(u"HKCU ") + kStable}));
}

TEST(WebViewRuntime, AFolderInsideTheEdgeBrowserIsNotSupported) {
  for (const auto& [folder, verdict] :
       {std::pair{u"C:\\Program Files\\Microsoft\\edge\\application\\1.0", RuntimeVerdict::NotSupported},
        std::pair{u"C:/Program Files/Microsoft/Edge/Application/1.0", RuntimeVerdict::NotSupported},
        std::pair{u"D:\\Runtimes\\WebView2\\Fixed\\120.0.2210.91", RuntimeVerdict::Found}}) {
    FakeSystem fake;
    fake.variables[u"WEBVIEW2_BROWSER_EXECUTABLE_FOLDER"] = folder;
    EXPECT_EQ(FindWebViewRuntime(fake.View(), u"", u"").verdict, verdict) << Utf16ToUtf8(folder);
  }
}

TEST(WebViewRuntime, VersionsAreFourDecimalNumbers) {
  EXPECT_EQ(ParseRuntimeVersion(u"120.0.2210.91"), (RuntimeVersion{120, 0, 2210, 91}));
  EXPECT_EQ(ParseRuntimeVersion(u"0.0.0.0"), (RuntimeVersion{0, 0, 0, 0}));
  for (const char16_t* bad : {u"", u"120", u"120.0.2210", u"120.0.2210.91.1", u"120..2210.91", u".1.2.3",
                              u"1.2.3.", u"1.2.3.x", u"v1.2.3.4", u"1.2.3.4 ", u"99999999999.0.0.0"})
    EXPECT_FALSE(ParseRuntimeVersion(bad)) << std::string(bad, bad + std::char_traits<char16_t>::length(bad));
  // Numbers compare as numbers, field by field.
  EXPECT_LT(*ParseRuntimeVersion(u"86.0.615.99"), kMinimumRuntimeVersion);
  EXPECT_GE(*ParseRuntimeVersion(u"100.0.0.0"), kMinimumRuntimeVersion);
  EXPECT_LT(*ParseRuntimeVersion(u"9.9.9.9"), *ParseRuntimeVersion(u"10.0.0.0"));
}

TEST(WebViewRuntime, ChannelListsAndOrder) {
  EXPECT_EQ(ParseReleaseChannels(u"0,2, 3"), (std::vector<int32_t>{0, 2, 3}));
  EXPECT_EQ(ParseReleaseChannels(u"4,x,,1"), (std::vector<int32_t>{1}));
  std::vector<std::u16string_view> names;
  for (const auto& c : ChannelSearchOrder(true, {})) names.push_back(c.name);
  EXPECT_EQ(names, (std::vector<std::u16string_view>{u"canary", u"dev", u"beta", u"stable"}));
  // The search-kind policy may be set for every program at once.
  FakeSystem fake;
  fake.registrations = {{{M, kStable}, u"C:\\S\\120.0.1.0"}, {{U, kCanary}, u"C:\\C\\125.0.1.0"}};
  fake.policies[{M, u"ChannelSearchKind", u"*"}] = u"1";
  EXPECT_EQ(FindWebViewRuntime(fake.View(), u"", u"").clientDll, std::u16string(u"C:\\C\\125.0.1.0") + kDll);
}

TEST(PickedFiles, OneFileOrSeveralInAFolder) {
  using namespace std::string_view_literals;
  struct Case {
    std::u16string_view buffer;
    std::vector<std::u16string> paths;
  } cases[] = {
      {u"C:\\Videos\\sea.mp4\0\0"sv, {u"C:\\Videos\\sea.mp4"}},
      {u"C:\\Videos\0a.mp4\0b.png\0c d.html\0\0"sv,
       {u"C:\\Videos\\a.mp4", u"C:\\Videos\\b.png", u"C:\\Videos\\c d.html"}},
      {u"D:\\\0x.mp4\0y.mp4\0\0"sv, {u"D:\\x.mp4", u"D:\\y.mp4"}},  // a drive root ends in "\" already
      {u"\0\0"sv, {}},
      {u""sv, {}},
      {u"C:\\Full\0a.mp4\0b.mp"sv, {u"C:\\Full\\a.mp4", u"C:\\Full\\b.mp"}},  // no closing zeros
  };
  for (const Case& c : cases) EXPECT_EQ(ParsePickedFiles(c.buffer), c.paths);
}

}  // namespace
