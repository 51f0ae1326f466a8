#pragma once
// The page side of the test runtime: where the messages a host posts to its
// page go, and where messages "from the page" come from. The default channel
// records and replays a script; the bridge channel relays to a real page in a
// browser over a local socket.
#include <memory>
#include <string>
#include <vector>

// One message from the page to the host, as chrome.webview.postMessage sends it.
struct PageMessage {
  // True when the page posted a string (TryGetWebMessageAsString succeeds);
  // false when it posted any other JSON value.
  bool isString = true;
  std::string utf8;                // the string itself, or the JSON text of the value
  std::vector<std::wstring> files;  // full paths of dropped files (the message's additional objects)
};

// Implemented by the runtime. Deliver may be called from any thread: the
// message is queued and raised as WebMessageReceived on the host's thread,
// through its message loop, on every web view whose page is the library page
// (or, when none navigated there yet, on every web view with a handler).
class PageSink {
 public:
  virtual ~PageSink() = default;
  virtual void Deliver(PageMessage message) = 0;
};

// Implemented by a channel. Called on the host's thread only.
class PageChannel {
 public:
  virtual ~PageChannel() = default;
  // PostWebMessageAsJson gives its JSON unchanged; PostWebMessageAsString
  // gives its text as a JSON string literal, so the page side always parses.
  virtual void SendToPage(const std::string& utf8Json) = 0;
  // A web view navigated to `utf8Url` (a file: URL for the library page).
  virtual void Navigated(const std::string& utf8Url) { (void)utf8Url; }
};

// The bridge channel, built when LH_FAKEWEBVIEW_BRIDGE holds a TCP port on
// 127.0.0.1. `sink` outlives the channel. Returns null when it cannot start;
// the runtime then falls back to the scripted channel.
std::unique_ptr<PageChannel> MakeBridgeChannel(int port, PageSink& sink);
