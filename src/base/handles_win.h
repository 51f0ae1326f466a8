#pragma once
// Owning types for the handles that are not COM objects: each closes its
// handle with the one call the platform pairs with its creation.
#include <windows.h>

#include <memory>
#include <type_traits>

template <auto Release>
struct ReleaseWith {
  template <typename H>
  void operator()(H handle) const {
    Release(handle);
  }
};

template <typename H, auto Release>
using UniqueOf = std::unique_ptr<std::remove_pointer_t<H>, ReleaseWith<Release>>;

using UniqueHandle = UniqueOf<HANDLE, CloseHandle>;
using UniqueBrush = UniqueOf<HBRUSH, DeleteObject>;
using UniqueFont = UniqueOf<HFONT, DeleteObject>;
using UniqueIcon = UniqueOf<HICON, DestroyIcon>;
using UniqueWinEventHook = UniqueOf<HWINEVENTHOOK, UnhookWinEvent>;
using UniquePowerNotify = UniqueOf<HPOWERNOTIFY, UnregisterPowerSettingNotification>;

// CreateFileW reports failure as INVALID_HANDLE_VALUE, not null.
inline UniqueHandle OwnFile(HANDLE file) { return UniqueHandle(file == INVALID_HANDLE_VALUE ? nullptr : file); }
