#!/usr/bin/env bash
# The platform seam: under src/ only *_win files include Windows SDK headers and
# only *_av files include libav headers, so everything else builds on Linux.
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
# The foundation sits below everything: base/ includes nothing of ours but base/.
if grep -nE '^\s*#\s*include\s*"' src/base/* | grep -vE '#\s*include\s*"base/'; then
  echo "seam: src/base includes a header from a layer above it"; bad=1
fi
# Dependencies point down: app/ is the top, so nothing outside it includes app/.
if grep -rnE '^\s*#\s*include\s*"app/' src --include='*.cpp' --include='*.h' | grep -v '^src/app/'; then
  echo "seam: a layer below src/app includes a header from app/"; bad=1
fi
if [ $bad -ne 0 ]; then echo "seam check: FAILED"; exit 1; fi
echo "seam check: every platform include sits in a *_win or *_av file; base/ stands alone; nothing includes app/ from below"
