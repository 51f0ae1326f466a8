// The bridge channel: relays a web view's page messages over a TCP connection
// to 127.0.0.1:<port>, where tools/library-bridge/bridge.js shows the page in Chromium
// with a chrome.webview stand-in.
//
// Framing: one JSON object per line, UTF-8, each line ended by "\n"; a line
// holds no raw line break because every value is a JSON string literal.
//   runtime -> page  {"navigate":"<url>"}   a web view navigated (every web view;
//                                           the page side picks the page it shows)
//                    {"post":"<json text>"} PostWebMessageAsJson's JSON, or
//                                           PostWebMessageAsString's text as a JSON
//                                           string literal; the page gets it parsed
//   page -> runtime  {"json":"<json text>"[,"string":"<text>"][,"files":["<path>",...]]}
//                    a postMessage: the JSON of the posted value, the text itself
//                    when the value was a string, and for
//                    postMessageWithAdditionalObjects the full Windows paths of
//                    the dropped files, in order
// Lines that do not parse are skipped. The connection closing ends the channel
// quietly; the host's web views then hear nothing more from the page.
#include "page_channel.h"
// After page_channel.h: winsock2.h must come before windows.h.
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <thread>

#include "bridge_lines.h"

namespace {

std::wstring Wide(const std::string& utf8) {
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring out(n > 0 ? n : 0, L'\0');
  if (n > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
  return out;
}

class BridgeChannel final : public PageChannel {
 public:
  BridgeChannel(SOCKET socket, PageSink& sink) : socket_(socket), sink_(sink), reader_([this] { Read(); }) {}

  // Shutting the socket down wakes the reader out of recv; only then is it closed.
  ~BridgeChannel() override {
    shutdown(socket_, SD_BOTH);
    reader_.join();
    closesocket(socket_);
    WSACleanup();
  }

  void SendToPage(const std::string& utf8Json) override { Send(PostLine(utf8Json)); }
  void Navigated(const std::string& utf8Url) override { Send(NavigateLine(utf8Url)); }

 private:
  // Host thread only. A loopback write of a few kilobytes does not block for long;
  // a write that fails means the page side is gone and is dropped like the page.
  void Send(const std::string& line) {
    size_t sent = 0;
    while (sent < line.size()) {
      const int n = send(socket_, line.data() + sent, static_cast<int>(line.size() - sent), 0);
      if (n <= 0) return;
      sent += static_cast<size_t>(n);
    }
  }

  void Read() {
    std::string pending;
    char chunk[16384];
    for (;;) {
      const int n = recv(socket_, chunk, sizeof chunk, 0);
      if (n <= 0) return;
      pending.append(chunk, static_cast<size_t>(n));
      size_t start = 0, end;
      while ((end = pending.find('\n', start)) != std::string::npos) {
        Deliver(std::string_view(pending).substr(start, end - start));
        start = end + 1;
      }
      pending.erase(0, start);
    }
  }

  void Deliver(std::string_view line) {
    std::optional<PageLine> parsed = ParsePageLine(line);
    if (!parsed) return;
    PageMessage message;
    message.isString = parsed->isString;
    message.utf8 = std::move(parsed->utf8);
    for (const std::string& f : parsed->files) message.files.push_back(Wide(f));
    sink_.Deliver(std::move(message));
  }

  SOCKET socket_;
  PageSink& sink_;
  std::thread reader_;
};

}  // namespace

std::unique_ptr<PageChannel> MakeBridgeChannel(int port, PageSink& sink) {
  if (port <= 0 || port > 65535) return nullptr;
  WSADATA wsa;
  if (WSAStartup(MAKEWORD(2, 2), &wsa) != 0) return nullptr;
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in addr = {};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(static_cast<u_short>(port));
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (s == INVALID_SOCKET || connect(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    if (s != INVALID_SOCKET) closesocket(s);
    WSACleanup();
    return nullptr;
  }
  // Messages are small and each one is awaited by the other side.
  BOOL noDelay = TRUE;
  setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay), sizeof noDelay);
  return std::make_unique<BridgeChannel>(s, sink);
}
