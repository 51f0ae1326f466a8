#include "render_support.h"

#include <wincodec.h>
#include <wrl/client.h>

#include <cstdio>
#include <cstring>

#include "app/app_state_win.h"
#include "base/files_win.h"
#include "base/text.h"
#include "base/wide_win.h"
#include "render/graphics_win.h"

using Microsoft::WRL::ComPtr;

bool gFailNextPresent = false;

// Linked in place of the product's PresentFrame (present_win.cpp), which the
// linker then leaves out of this test program.
void PresentFrame(IDXGISwapChain1* swapChain) {
  HRESULT hr = swapChain->Present(0, 0);
  if (gFailNextPresent) {
    gFailNextPresent = false;
    hr = DXGI_ERROR_DEVICE_REMOVED;
  }
  NoteDeviceLoss(hr);
}

namespace render_test {

const Scratch& ScratchDir() {
  static const Scratch scratch = [] {
    char base[1024] = {};
    if (!GetEnvironmentVariableA("LH_BUILD", base, sizeof base)) strcpy(base, "/tmp");
    Scratch s;
    // Wine gives the first process of a fresh prefix the same id every run.
    s.unixDir = std::string(base) + "/render-wine-" + std::to_string(GetCurrentProcessId()) + "-" +
                std::to_string(GetTickCount64());
    std::string windows = "Z:" + s.unixDir;
    for (char& c : windows)
      if (c == '/') c = '\\';
    s.windowsDir = Utf8ToUtf16(windows);
    CreateDirectoryW(W(s.windowsDir), nullptr);
    return s;
  }();
  return scratch;
}

void Pump(DWORD ms) {
  const ULONGLONG end = GetTickCount64() + ms;
  do {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    Sleep(10);
  } while (GetTickCount64() < end);
}

bool Shot::Take(const RECT& area) {
  static int counter = 0;
  const std::string name = "shot" + std::to_string(++counter);
  const std::string unixPath = ScratchDir().unixDir + "/" + name;
  const std::u16string donePath = ScratchDir().windowsDir + u"\\" + Utf8ToUtf16(name) + u".ppm";
  char command[2048];
  // The whole root window, cut to the area here. Wine starts Linux programs
  // directly; the finished file appears by rename, so a half-written one is
  // never read, and the name is removed first so an old one never is either.
  snprintf(command, sizeof command,
           "/bin/sh -c \"import -window root -depth 8 ppm:%s.tmp && mv %s.tmp %s.ppm\"", unixPath.c_str(),
           unixPath.c_str(), unixPath.c_str());
  DeleteFileW(W(donePath));
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  const ULONGLONG deadline = GetTickCount64() + 20000;
  std::string bytes;
  while (!ReadWholeFile(donePath, bytes)) {
    if (GetTickCount64() > deadline) return false;
    Pump(20);
  }
  int screenW = 0, screenH = 0, maxValue = 0, consumed = 0;
  if (sscanf(bytes.c_str(), "P6 %d %d %d%n", &screenW, &screenH, &maxValue, &consumed) != 3 || maxValue != 255)
    return false;
  const size_t offset = static_cast<size_t>(consumed) + 1;  // one whitespace byte after the header
  if (bytes.size() < offset + size_t(screenW) * screenH * 3 || area.left < 0 || area.top < 0 ||
      area.right > screenW || area.bottom > screenH)
    return false;
  width = area.right - area.left;
  height = area.bottom - area.top;
  rgb_.resize(size_t(width) * height * 3);
  for (int y = 0; y < height; ++y)
    memcpy(&rgb_[size_t(y) * width * 3], &bytes[offset + (size_t(area.top + y) * screenW + area.left) * 3],
           size_t(width) * 3);
  return true;
}

Rgb Shot::At(int x, int y) const {
  if (x < 0 || y < 0 || x >= width || y >= height) return {-1, -1, -1};
  const size_t i = (size_t(y) * width + x) * 3;
  return {rgb_[i], rgb_[i + 1], rgb_[i + 2]};
}

bool Near(const Rgb& got, int r, int g, int b, int tolerance) {
  return abs(got.r - r) <= tolerance && abs(got.g - g) <= tolerance && abs(got.b - b) <= tolerance;
}

std::string Describe(const Rgb& c) {
  char text[48];
  snprintf(text, sizeof text, "(%d, %d, %d)", c.r, c.g, c.b);
  return text;
}

void WriteWicPicture(const std::u16string& path, const GUID& container, uint32_t width, uint32_t height,
                     const std::vector<std::vector<uint32_t>>& pages) {
  IWICImagingFactory* wic = gApp.imagingFactory.Get();
  ComPtr<IWICStream> stream;
  ComPtr<IWICBitmapEncoder> encoder;
  if (FAILED(wic->CreateStream(&stream)) || FAILED(stream->InitializeFromFilename(W(path), GENERIC_WRITE)) ||
      FAILED(wic->CreateEncoder(container, nullptr, &encoder)) ||
      FAILED(encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache)))
    return;
  for (const auto& page : pages) {
    ComPtr<IWICBitmapFrameEncode> frame;
    ComPtr<IPropertyBag2> options;
    if (FAILED(encoder->CreateNewFrame(&frame, &options)) || FAILED(frame->Initialize(options.Get()))) return;
    frame->SetSize(width, height);
    WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGRA;
    frame->SetPixelFormat(&format);
    frame->WritePixels(height, width * 4, width * height * 4,
                       reinterpret_cast<BYTE*>(const_cast<uint32_t*>(page.data())));
    frame->Commit();
  }
  encoder->Commit();
}

namespace {

void Put16(std::string& out, uint16_t v) {
  out += static_cast<char>(v & 0xFF);
  out += static_cast<char>(v >> 8);
}

// LZW with a clear code every few literals, so codes stay 4 bits wide: big,
// but every decoder reads it.
std::string LzwLiterals(const std::vector<uint8_t>& indices) {
  constexpr unsigned kClear = 8, kEnd = 9, kWidth = 4;
  std::string bytes;
  uint32_t bits = 0;
  unsigned count = 0;
  const auto emit = [&](unsigned code) {
    bits |= code << count;
    count += kWidth;
    while (count >= 8) {
      bytes += static_cast<char>(bits & 0xFF);
      bits >>= 8;
      count -= 8;
    }
  };
  for (size_t i = 0; i < indices.size(); ++i) {
    if (i % 4 == 0) emit(kClear);
    emit(indices[i]);
  }
  emit(kEnd);
  if (count) bytes += static_cast<char>(bits & 0xFF);
  std::string blocks;
  blocks += static_cast<char>(3);  // minimum code size
  for (size_t i = 0; i < bytes.size(); i += 255) {
    const size_t n = std::min<size_t>(255, bytes.size() - i);
    blocks += static_cast<char>(n);
    blocks += bytes.substr(i, n);
  }
  blocks += '\0';
  return blocks;
}

}  // namespace

std::string MakeGif(uint16_t screenWidth, uint16_t screenHeight, const std::vector<GifFrame>& frames) {
  std::string out = "GIF89a";
  Put16(out, screenWidth);
  Put16(out, screenHeight);
  out += static_cast<char>(0xA2);  // global palette of 8 entries
  out += '\0';
  out += '\0';
  const uint8_t palette[8][3] = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}, {0, 0, 0},
                                 {0, 0, 0}, {0, 0, 0}};
  for (const auto& c : palette) out.append(reinterpret_cast<const char*>(c), 3);
  for (const GifFrame& f : frames) {
    if (f.writeControl) {
      out += "\x21\xF9\x04";
      out += static_cast<char>(f.disposal << 2);
      Put16(out, f.delay);
      out += '\0';
      out += '\0';
    }
    out += '\x2C';
    Put16(out, f.left);
    Put16(out, f.top);
    Put16(out, f.width);
    Put16(out, f.height);
    out += '\0';
    out += LzwLiterals(f.indices);
  }
  out += '\x3B';
  return out;
}

GifFrame SolidGifFrame(uint16_t left, uint16_t top, uint16_t width, uint16_t height, uint8_t index, uint16_t delay,
                       uint8_t disposal) {
  GifFrame f;
  f.left = left;
  f.top = top;
  f.width = width;
  f.height = height;
  f.delay = delay;
  f.disposal = disposal;
  f.indices.assign(size_t(width) * height, index);
  return f;
}

std::string ReadLog() {
  std::string bytes;
  ReadWholeFile(gApp.dataDir + u"\\log.txt", bytes);
  return bytes;
}

}  // namespace render_test
