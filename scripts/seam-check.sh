#!/usr/bin/env bash
# The platform seam: under src/ only *_win files include Windows SDK headers and
# only *_av files include libav headers, so everything else builds on Linux; and
# the layering: includes point down, and only app/ calls across subsystems.
set -euo pipefail
cd "$(dirname "$0")/.."

windows='windows|winuser|winbase|wincodec|d3d11|d3d11_1|d3dcompiler|dxgi[0-9_]*|mfapi|mfidl|mfreadwrite|mfmediaengine|mferror|shlobj|shellapi|shlwapi|shobjidl|dwmapi|wtsapi32|commctrl|commdlg|objbase|ole2|oleauto|combaseapi|unknwn|powrprof|wrl/client|wrl|initguid|propvarutil|winreg|WebView2|webview2'
bad=0
while IFS= read -r file; do
  case "$file" in *_win.cpp|*_win.h) continue ;; esac
  if grep -nE "^\s*#\s*include\s*[<\"]($windows)\.h[>\"]" "$file"; then
    echo "seam: $file includes a Windows header but is not a *_win file"; bad=1
  fi
done < <(find src -type f \( -name '*.cpp' -o -name '*.h' \))
while IFS= read -r file; do
  case "$file" in *_av.cpp|*_av.h) continue ;; esac
  if grep -nE '^\s*#\s*include\s*[<"]lib(avcodec|avformat|avutil|swscale|swresample)/' "$file"; then
    echo "seam: $file includes a libav header but is not an *_av file"; bad=1
  fi
done < <(find src -type f \( -name '*.cpp' -o -name '*.h' \))
# The web-view runtime's interfaces are Windows COM types: they are declared
# and used in *_win files only, like the SDK headers they stand in for.
while IFS= read -r file; do
  case "$file" in *_win.cpp|*_win.h) continue ;; esac
  if grep -nE '\b(ICoreWebView2[A-Za-z0-9_]*|CreateCoreWebView2[A-Za-z]*)\b' "$file"; then
    echo "seam: $file names the web-view runtime's interfaces but is not a *_win file"; bad=1
  fi
done < <(find src -type f \( -name '*.cpp' -o -name '*.h' \))
# Dependencies point down, in this order (README, "How the pieces fit"): a
# folder includes its own headers and those of the folders before it.
layers=(base webview desktop render pause bake library app)
rank() { local i; for i in "${!layers[@]}"; do [ "${layers[$i]}" = "$1" ] && echo "$i" && return; done; echo -1; }
while IFS=: read -r file line text; do
  from=${file#src/}; from=${from%%/*}
  to=$(sed -nE 's/^\s*#\s*include\s*"([a-z]+)\/.*/\1/p' <<<"$text")
  [ -z "$to" ] || [ "$to" = "$from" ] && continue
  if [ "$(rank "$to")" -gt "$(rank "$from")" ] || [ "$(rank "$to")" -lt 0 ]; then
    echo "$file:$line:$text"
    echo "seam: src/$from includes a header from $to/, a layer above it"; bad=1
  fi
  # Only app/ orchestrates: a subsystem uses the platform side of no other
  # subsystem, only that of the foundation and of the web-view runtime.
  if [[ "$text" =~ _win\.h\" ]] && [ "$from" != app ] && [ "$to" != base ] && [ "$to" != webview ]; then
    echo "$file:$line:$text"
    echo "seam: src/$from includes the platform side of $to/; only app/ calls across subsystems"; bad=1
  fi
done < <(grep -rnE '^\s*#\s*include\s*"[a-z]+/' src --include='*.cpp' --include='*.h')
# One list of the program's window messages, and one way to arm the main
# window's timers (MainTimers, whose only implementation is the main window's).
if grep -rnE '\bWM_APP\s*\+' src | grep -v '^src/base/app_facts_win.h:'; then
  echo "seam: a window message id defined outside base/app_facts_win.h"; bad=1
fi
if grep -rnE '\b(SetTimer|KillTimer)\s*\(' src | grep -v '^src/app/main_window_win.cpp:'; then
  echo "seam: a main-window timer armed outside MainTimers (use Timers().Arm)"; bad=1
fi
if [ $bad -ne 0 ]; then echo "seam check: FAILED"; exit 1; fi
echo "seam check: every platform include sits in a *_win or *_av file; includes point down ${layers[*]}; only app/ crosses subsystems"
