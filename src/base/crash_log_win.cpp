#include "base/crash_log_win.h"

#include <windows.h>

#include <cwchar>

#include "base/log_win.h"

namespace {

// The line is built in a fixed buffer: the heap may be what broke.
struct LineBuffer {
  wchar_t text[2048] = {};
  size_t used = 0;

  template <typename... Args>
  void Append(const wchar_t* format, Args... args) {
    const int written = _snwprintf(text + used, std::size(text) - used - 1, format, args...);
    if (written > 0) used += static_cast<size_t>(written);
  }
};

// "module.dll+1a2b", or the bare address outside any module.
void AppendPlace(LineBuffer& line, DWORD64 address) {
  HMODULE module = nullptr;
  wchar_t path[MAX_PATH] = {};
  const DWORD flags = GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT;
  if (address < 0x10000 || !GetModuleHandleExW(flags, reinterpret_cast<LPCWSTR>(address), &module) ||
      !GetModuleFileNameW(module, path, MAX_PATH)) {
    line.Append(L" %llx", static_cast<unsigned long long>(address));
    return;
  }
  const wchar_t* name = wcsrchr(path, L'\\');
  line.Append(L" %ls+%llx", name ? name + 1 : path,
              static_cast<unsigned long long>(address - reinterpret_cast<DWORD64>(module)));
}

LONG WINAPI LogUnhandled(EXCEPTION_POINTERS* info) {
  CONTEXT context = *info->ContextRecord;
  LineBuffer line;
  line.Append(L"crashed: exception %08lx on thread %lu at", info->ExceptionRecord->ExceptionCode,
              GetCurrentThreadId());
  AppendPlace(line, context.Rip);
  line.Append(L"; called from");
  for (int depth = 0; depth < 24 && context.Rsp; ++depth) {
    DWORD64 base = 0;
    RUNTIME_FUNCTION* function = context.Rip ? RtlLookupFunctionEntry(context.Rip, &base, nullptr) : nullptr;
    if (function) {
      void* handlerData = nullptr;
      DWORD64 frame = 0;
      RtlVirtualUnwind(UNW_FLAG_NHANDLER, base, context.Rip, function, &context, &handlerData, &frame, nullptr);
    } else {
      // A leaf function, or a call through a null pointer that faulted before
      // the callee had a frame: the return address is on top of the stack.
      context.Rip = *reinterpret_cast<DWORD64*>(context.Rsp);
      context.Rsp += 8;
    }
    if (!context.Rip) break;
    AppendPlace(line, context.Rip);
  }
  LogLineFromCrash(line.text, line.used);
  TerminateProcess(GetCurrentProcess(), info->ExceptionRecord->ExceptionCode);
  return EXCEPTION_EXECUTE_HANDLER;
}

}  // namespace

void RecordCrashesInLog() { SetUnhandledExceptionFilter(LogUnhandled); }
