#pragma once
// The web-view runtime's COM interfaces that the program (and the test
// runtime) use, declared here because MinGW ships no header for them. Interface
// IDs and the order of every vtable slot follow the platform's published
// interface definitions (SDK 1.0.3351.48). Slots nobody here calls are declared
// by name and answer E_NOTIMPL, so each interface keeps its documented shape;
// a comment gives the slot number of the first and last method of each block.
#include <windows.h>
#include <objbase.h>

struct EventRegistrationToken {
  __int64 value;
};

struct COREWEBVIEW2_COLOR {
  BYTE A, R, G, B;
};

enum COREWEBVIEW2_MOVE_FOCUS_REASON {
  COREWEBVIEW2_MOVE_FOCUS_REASON_PROGRAMMATIC = 0,
  COREWEBVIEW2_MOVE_FOCUS_REASON_NEXT = 1,
  COREWEBVIEW2_MOVE_FOCUS_REASON_PREVIOUS = 2,
};

enum COREWEBVIEW2_PERMISSION_KIND {
  COREWEBVIEW2_PERMISSION_KIND_UNKNOWN_PERMISSION = 0,
  COREWEBVIEW2_PERMISSION_KIND_MICROPHONE = 1,
  COREWEBVIEW2_PERMISSION_KIND_CAMERA = 2,
  COREWEBVIEW2_PERMISSION_KIND_GEOLOCATION = 3,
  COREWEBVIEW2_PERMISSION_KIND_NOTIFICATIONS = 4,
};

enum COREWEBVIEW2_PERMISSION_STATE {
  COREWEBVIEW2_PERMISSION_STATE_DEFAULT = 0,
  COREWEBVIEW2_PERMISSION_STATE_ALLOW = 1,
  COREWEBVIEW2_PERMISSION_STATE_DENY = 2,
};

// A documented method we never call: keeps its slot, does nothing.
#define LH_WV_SLOT(name) \
  virtual HRESULT STDMETHODCALLTYPE name() { return E_NOTIMPL; }

struct ICoreWebView2;
struct ICoreWebView2Controller;
struct ICoreWebView2Environment;
struct ICoreWebView2Settings;
struct ICoreWebView2WebMessageReceivedEventArgs;
struct ICoreWebView2ObjectCollectionView;
struct ICoreWebView2NewWindowRequestedEventArgs;
struct ICoreWebView2PermissionRequestedEventArgs;
struct ICoreWebView2DownloadStartingEventArgs;

// ---- Completion and event handlers (implemented by the host) ----

struct ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Invoke(HRESULT errorCode, ICoreWebView2Environment* environment) = 0;  // 3
};

struct ICoreWebView2CreateCoreWebView2ControllerCompletedHandler : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Invoke(HRESULT errorCode, ICoreWebView2Controller* controller) = 0;  // 3
};

struct ICoreWebView2WebMessageReceivedEventHandler : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2* sender,
                                           ICoreWebView2WebMessageReceivedEventArgs* args) = 0;  // 3
};

struct ICoreWebView2TrySuspendCompletedHandler : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Invoke(HRESULT errorCode, BOOL isSuccessful) = 0;  // 3
};

struct ICoreWebView2NewWindowRequestedEventHandler : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2* sender,
                                           ICoreWebView2NewWindowRequestedEventArgs* args) = 0;  // 3
};

struct ICoreWebView2PermissionRequestedEventHandler : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2* sender,
                                           ICoreWebView2PermissionRequestedEventArgs* args) = 0;  // 3
};

struct ICoreWebView2DownloadStartingEventHandler : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2* sender,
                                           ICoreWebView2DownloadStartingEventArgs* args) = 0;  // 3
};

// ---- Environment options (implemented by the host) ----

struct ICoreWebView2EnvironmentOptions : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE get_AdditionalBrowserArguments(LPWSTR* value) = 0;  // 3
  virtual HRESULT STDMETHODCALLTYPE put_AdditionalBrowserArguments(LPCWSTR value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Language(LPWSTR* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_Language(LPCWSTR value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_TargetCompatibleBrowserVersion(LPWSTR* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_TargetCompatibleBrowserVersion(LPCWSTR value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_AllowSingleSignOnUsingOSPrimaryAccount(BOOL* allow) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_AllowSingleSignOnUsingOSPrimaryAccount(BOOL allow) = 0;  // 10
};

// ---- Runtime objects (implemented by the runtime) ----

struct ICoreWebView2Environment : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE CreateCoreWebView2Controller(
      HWND parentWindow, ICoreWebView2CreateCoreWebView2ControllerCompletedHandler* handler) = 0;  // 3
  LH_WV_SLOT(CreateWebResourceResponse)
  LH_WV_SLOT(get_BrowserVersionString)
  LH_WV_SLOT(add_NewBrowserVersionAvailable)
  LH_WV_SLOT(remove_NewBrowserVersionAvailable)  // 7
};

struct ICoreWebView2Controller : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE get_IsVisible(BOOL* isVisible) = 0;  // 3
  virtual HRESULT STDMETHODCALLTYPE put_IsVisible(BOOL isVisible) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Bounds(RECT* bounds) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_Bounds(RECT bounds) = 0;
  LH_WV_SLOT(get_ZoomFactor)  // 7
  LH_WV_SLOT(put_ZoomFactor)
  LH_WV_SLOT(add_ZoomFactorChanged)
  LH_WV_SLOT(remove_ZoomFactorChanged)
  LH_WV_SLOT(SetBoundsAndZoomFactor)
  virtual HRESULT STDMETHODCALLTYPE MoveFocus(COREWEBVIEW2_MOVE_FOCUS_REASON reason) = 0;  // 12
  LH_WV_SLOT(add_MoveFocusRequested)
  LH_WV_SLOT(remove_MoveFocusRequested)
  LH_WV_SLOT(add_GotFocus)
  LH_WV_SLOT(remove_GotFocus)
  LH_WV_SLOT(add_LostFocus)
  LH_WV_SLOT(remove_LostFocus)
  LH_WV_SLOT(add_AcceleratorKeyPressed)
  LH_WV_SLOT(remove_AcceleratorKeyPressed)  // 20
  virtual HRESULT STDMETHODCALLTYPE get_ParentWindow(HWND* parentWindow) = 0;  // 21
  LH_WV_SLOT(put_ParentWindow)
  virtual HRESULT STDMETHODCALLTYPE NotifyParentWindowPositionChanged() = 0;  // 23
  virtual HRESULT STDMETHODCALLTYPE Close() = 0;                                  // 24
  virtual HRESULT STDMETHODCALLTYPE get_CoreWebView2(ICoreWebView2** webView) = 0;  // 25
};

struct ICoreWebView2Controller2 : ICoreWebView2Controller {
  virtual HRESULT STDMETHODCALLTYPE get_DefaultBackgroundColor(COREWEBVIEW2_COLOR* color) = 0;  // 26
  virtual HRESULT STDMETHODCALLTYPE put_DefaultBackgroundColor(COREWEBVIEW2_COLOR color) = 0;   // 27
};

struct ICoreWebView2Settings : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE get_IsScriptEnabled(BOOL* value) = 0;  // 3
  virtual HRESULT STDMETHODCALLTYPE put_IsScriptEnabled(BOOL value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_IsWebMessageEnabled(BOOL* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_IsWebMessageEnabled(BOOL value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_AreDefaultScriptDialogsEnabled(BOOL* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_AreDefaultScriptDialogsEnabled(BOOL value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_IsStatusBarEnabled(BOOL* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_IsStatusBarEnabled(BOOL value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_AreDevToolsEnabled(BOOL* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_AreDevToolsEnabled(BOOL value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_AreDefaultContextMenusEnabled(BOOL* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_AreDefaultContextMenusEnabled(BOOL value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_AreHostObjectsAllowed(BOOL* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_AreHostObjectsAllowed(BOOL value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_IsZoomControlEnabled(BOOL* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_IsZoomControlEnabled(BOOL value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_IsBuiltInErrorPageEnabled(BOOL* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_IsBuiltInErrorPageEnabled(BOOL value) = 0;  // 20
};

struct ICoreWebView2Settings2 : ICoreWebView2Settings {
  LH_WV_SLOT(get_UserAgent)  // 21
  LH_WV_SLOT(put_UserAgent)  // 22
};

struct ICoreWebView2Settings3 : ICoreWebView2Settings2 {
  virtual HRESULT STDMETHODCALLTYPE get_AreBrowserAcceleratorKeysEnabled(BOOL* value) = 0;  // 23
  virtual HRESULT STDMETHODCALLTYPE put_AreBrowserAcceleratorKeysEnabled(BOOL value) = 0;   // 24
};

struct ICoreWebView2 : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE get_Settings(ICoreWebView2Settings** settings) = 0;  // 3
  virtual HRESULT STDMETHODCALLTYPE get_Source(LPWSTR* uri) = 0;
  virtual HRESULT STDMETHODCALLTYPE Navigate(LPCWSTR uri) = 0;  // 5
  LH_WV_SLOT(NavigateToString)
  LH_WV_SLOT(add_NavigationStarting)
  LH_WV_SLOT(remove_NavigationStarting)
  LH_WV_SLOT(add_ContentLoading)
  LH_WV_SLOT(remove_ContentLoading)
  LH_WV_SLOT(add_SourceChanged)
  LH_WV_SLOT(remove_SourceChanged)
  LH_WV_SLOT(add_HistoryChanged)
  LH_WV_SLOT(remove_HistoryChanged)
  LH_WV_SLOT(add_NavigationCompleted)
  LH_WV_SLOT(remove_NavigationCompleted)
  LH_WV_SLOT(add_FrameNavigationStarting)
  LH_WV_SLOT(remove_FrameNavigationStarting)
  LH_WV_SLOT(add_FrameNavigationCompleted)
  LH_WV_SLOT(remove_FrameNavigationCompleted)
  LH_WV_SLOT(add_ScriptDialogOpening)
  LH_WV_SLOT(remove_ScriptDialogOpening)
  virtual HRESULT STDMETHODCALLTYPE add_PermissionRequested(ICoreWebView2PermissionRequestedEventHandler* handler,
                                                            EventRegistrationToken* token) = 0;  // 23
  virtual HRESULT STDMETHODCALLTYPE remove_PermissionRequested(EventRegistrationToken token) = 0;
  LH_WV_SLOT(add_ProcessFailed)
  LH_WV_SLOT(remove_ProcessFailed)
  LH_WV_SLOT(AddScriptToExecuteOnDocumentCreated)
  LH_WV_SLOT(RemoveScriptToExecuteOnDocumentCreated)
  LH_WV_SLOT(ExecuteScript)
  LH_WV_SLOT(CapturePreview)
  LH_WV_SLOT(Reload)  // 31
  virtual HRESULT STDMETHODCALLTYPE PostWebMessageAsJson(LPCWSTR webMessageAsJson) = 0;      // 32
  virtual HRESULT STDMETHODCALLTYPE PostWebMessageAsString(LPCWSTR webMessageAsString) = 0;  // 33
  virtual HRESULT STDMETHODCALLTYPE add_WebMessageReceived(ICoreWebView2WebMessageReceivedEventHandler* handler,
                                                           EventRegistrationToken* token) = 0;  // 34
  virtual HRESULT STDMETHODCALLTYPE remove_WebMessageReceived(EventRegistrationToken token) = 0;  // 35
  LH_WV_SLOT(CallDevToolsProtocolMethod)
  LH_WV_SLOT(get_BrowserProcessId)
  LH_WV_SLOT(get_CanGoBack)
  LH_WV_SLOT(get_CanGoForward)
  LH_WV_SLOT(GoBack)
  LH_WV_SLOT(GoForward)
  LH_WV_SLOT(GetDevToolsProtocolEventReceiver)
  LH_WV_SLOT(Stop)
  virtual HRESULT STDMETHODCALLTYPE add_NewWindowRequested(ICoreWebView2NewWindowRequestedEventHandler* handler,
                                                           EventRegistrationToken* token) = 0;  // 44
  virtual HRESULT STDMETHODCALLTYPE remove_NewWindowRequested(EventRegistrationToken token) = 0;
  LH_WV_SLOT(add_DocumentTitleChanged)
  LH_WV_SLOT(remove_DocumentTitleChanged)
  LH_WV_SLOT(get_DocumentTitle)
  LH_WV_SLOT(AddHostObjectToScript)
  LH_WV_SLOT(RemoveHostObjectFromScript)
  LH_WV_SLOT(OpenDevToolsWindow)
  LH_WV_SLOT(add_ContainsFullScreenElementChanged)
  LH_WV_SLOT(remove_ContainsFullScreenElementChanged)
  LH_WV_SLOT(get_ContainsFullScreenElement)
  LH_WV_SLOT(add_WebResourceRequested)
  LH_WV_SLOT(remove_WebResourceRequested)
  LH_WV_SLOT(AddWebResourceRequestedFilter)
  LH_WV_SLOT(RemoveWebResourceRequestedFilter)
  LH_WV_SLOT(add_WindowCloseRequested)
  LH_WV_SLOT(remove_WindowCloseRequested)  // 60
};

struct ICoreWebView2_2 : ICoreWebView2 {
  LH_WV_SLOT(add_WebResourceResponseReceived)  // 61
  LH_WV_SLOT(remove_WebResourceResponseReceived)
  LH_WV_SLOT(NavigateWithWebResourceRequest)
  LH_WV_SLOT(add_DOMContentLoaded)
  LH_WV_SLOT(remove_DOMContentLoaded)
  LH_WV_SLOT(get_CookieManager)
  LH_WV_SLOT(get_Environment)  // 67
};

struct ICoreWebView2_3 : ICoreWebView2_2 {
  virtual HRESULT STDMETHODCALLTYPE TrySuspend(ICoreWebView2TrySuspendCompletedHandler* handler) = 0;  // 68
  virtual HRESULT STDMETHODCALLTYPE Resume() = 0;
  virtual HRESULT STDMETHODCALLTYPE get_IsSuspended(BOOL* isSuspended) = 0;
  LH_WV_SLOT(SetVirtualHostNameToFolderMapping)
  LH_WV_SLOT(ClearVirtualHostNameToFolderMapping)  // 72
};

struct ICoreWebView2_4 : ICoreWebView2_3 {
  LH_WV_SLOT(add_FrameCreated)  // 73
  LH_WV_SLOT(remove_FrameCreated)
  virtual HRESULT STDMETHODCALLTYPE add_DownloadStarting(ICoreWebView2DownloadStartingEventHandler* handler,
                                                         EventRegistrationToken* token) = 0;  // 75
  virtual HRESULT STDMETHODCALLTYPE remove_DownloadStarting(EventRegistrationToken token) = 0;  // 76
};

struct ICoreWebView2_5 : ICoreWebView2_4 {
  LH_WV_SLOT(add_ClientCertificateRequested)     // 77
  LH_WV_SLOT(remove_ClientCertificateRequested)  // 78
};

struct ICoreWebView2_6 : ICoreWebView2_5 {
  LH_WV_SLOT(OpenTaskManagerWindow)  // 79
};

struct ICoreWebView2_7 : ICoreWebView2_6 {
  LH_WV_SLOT(PrintToPdf)  // 80
};

struct ICoreWebView2_8 : ICoreWebView2_7 {
  LH_WV_SLOT(add_IsMutedChanged)  // 81
  LH_WV_SLOT(remove_IsMutedChanged)
  virtual HRESULT STDMETHODCALLTYPE get_IsMuted(BOOL* value) = 0;  // 83
  virtual HRESULT STDMETHODCALLTYPE put_IsMuted(BOOL value) = 0;   // 84
  LH_WV_SLOT(add_IsDocumentPlayingAudioChanged)
  LH_WV_SLOT(remove_IsDocumentPlayingAudioChanged)
  LH_WV_SLOT(get_IsDocumentPlayingAudio)  // 87
};

struct ICoreWebView2NewWindowRequestedEventArgs : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE get_Uri(LPWSTR* uri) = 0;  // 3
  virtual HRESULT STDMETHODCALLTYPE put_NewWindow(ICoreWebView2* newWindow) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_NewWindow(ICoreWebView2** newWindow) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_Handled(BOOL handled) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Handled(BOOL* handled) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_IsUserInitiated(BOOL* isUserInitiated) = 0;  // 8
  LH_WV_SLOT(GetDeferral)
  LH_WV_SLOT(get_WindowFeatures)  // 10
};

struct ICoreWebView2PermissionRequestedEventArgs : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE get_Uri(LPWSTR* uri) = 0;  // 3
  virtual HRESULT STDMETHODCALLTYPE get_PermissionKind(COREWEBVIEW2_PERMISSION_KIND* kind) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_IsUserInitiated(BOOL* isUserInitiated) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_State(COREWEBVIEW2_PERMISSION_STATE* state) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_State(COREWEBVIEW2_PERMISSION_STATE state) = 0;  // 7
  LH_WV_SLOT(GetDeferral)                                                                  // 8
};

struct ICoreWebView2DownloadStartingEventArgs : IUnknown {
  LH_WV_SLOT(get_DownloadOperation)  // 3
  virtual HRESULT STDMETHODCALLTYPE get_Cancel(BOOL* cancel) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_Cancel(BOOL cancel) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_ResultFilePath(LPWSTR* path) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_ResultFilePath(LPCWSTR path) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Handled(BOOL* handled) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_Handled(BOOL handled) = 0;  // 9
  LH_WV_SLOT(GetDeferral)                                             // 10
};

struct ICoreWebView2WebMessageReceivedEventArgs : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE get_Source(LPWSTR* source) = 0;                    // 3
  virtual HRESULT STDMETHODCALLTYPE get_WebMessageAsJson(LPWSTR* webMessageAsJson) = 0;  // 4
  virtual HRESULT STDMETHODCALLTYPE TryGetWebMessageAsString(LPWSTR* webMessageAsString) = 0;  // 5
};

struct ICoreWebView2WebMessageReceivedEventArgs2 : ICoreWebView2WebMessageReceivedEventArgs {
  virtual HRESULT STDMETHODCALLTYPE get_AdditionalObjects(ICoreWebView2ObjectCollectionView** value) = 0;  // 6
};

struct ICoreWebView2ObjectCollectionView : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE get_Count(UINT32* value) = 0;                        // 3
  virtual HRESULT STDMETHODCALLTYPE GetValueAtIndex(UINT32 index, IUnknown** value) = 0;  // 4
};

struct ICoreWebView2File : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE get_Path(LPWSTR* path) = 0;  // 3
};

#undef LH_WV_SLOT

// Interface IDs, so __uuidof, IID_PPV_ARGS and ComPtr::As work with these.
__CRT_UUID_DECL(ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler, 0x4e8a3389, 0xc9d8, 0x4bd2, 0xb6, 0xb5,
                0x12, 0x4f, 0xee, 0x6c, 0xc1, 0x4d)
__CRT_UUID_DECL(ICoreWebView2CreateCoreWebView2ControllerCompletedHandler, 0x6c4819f3, 0xc9b7, 0x4260, 0x81, 0x27,
                0xc9, 0xf5, 0xbd, 0xe7, 0xf6, 0x8c)
__CRT_UUID_DECL(ICoreWebView2WebMessageReceivedEventHandler, 0x57213f19, 0x00e6, 0x49fa, 0x8e, 0x07, 0x89, 0x8e, 0xa0,
                0x1e, 0xcb, 0xd2)
__CRT_UUID_DECL(ICoreWebView2TrySuspendCompletedHandler, 0x00f206a7, 0x9d17, 0x4605, 0x91, 0xf6, 0x4e, 0x8e, 0x4d,
                0xe1, 0x92, 0xe3)
__CRT_UUID_DECL(ICoreWebView2EnvironmentOptions, 0x2fde08a8, 0x1e9a, 0x4766, 0x8c, 0x05, 0x95, 0xa9, 0xce, 0xb9, 0xd1,
                0xc5)
__CRT_UUID_DECL(ICoreWebView2Environment, 0xb96d755e, 0x0319, 0x4e92, 0xa2, 0x96, 0x23, 0x43, 0x6f, 0x46, 0xa1, 0xfc)
__CRT_UUID_DECL(ICoreWebView2Controller, 0x4d00c0d1, 0x9434, 0x4eb6, 0x80, 0x78, 0x86, 0x97, 0xa5, 0x60, 0x33, 0x4f)
__CRT_UUID_DECL(ICoreWebView2Controller2, 0xc979903e, 0xd4ca, 0x4228, 0x92, 0xeb, 0x47, 0xee, 0x3f, 0xa9, 0x6e, 0xab)
__CRT_UUID_DECL(ICoreWebView2Settings, 0xe562e4f0, 0xd7fa, 0x43ac, 0x8d, 0x71, 0xc0, 0x51, 0x50, 0x49, 0x9f, 0x00)
__CRT_UUID_DECL(ICoreWebView2Settings3, 0xfdb5ab74, 0xaf33, 0x4854, 0x84, 0xf0, 0x0a, 0x63, 0x1d, 0xeb, 0x5e, 0xba)
__CRT_UUID_DECL(ICoreWebView2, 0x76eceacb, 0x0462, 0x4d94, 0xac, 0x83, 0x42, 0x3a, 0x67, 0x93, 0x77, 0x5e)
__CRT_UUID_DECL(ICoreWebView2_3, 0xa0d6df20, 0x3b92, 0x416d, 0xaa, 0x0c, 0x43, 0x7a, 0x9c, 0x72, 0x78, 0x57)
__CRT_UUID_DECL(ICoreWebView2_4, 0x20d02d59, 0x6df2, 0x42dc, 0xbd, 0x06, 0xf9, 0x8a, 0x69, 0x4b, 0x13, 0x02)
__CRT_UUID_DECL(ICoreWebView2NewWindowRequestedEventHandler, 0xd4c185fe, 0xc81c, 0x4989, 0x97, 0xaf, 0x2d, 0x3f, 0xa7,
                0xab, 0x56, 0x51)
__CRT_UUID_DECL(ICoreWebView2NewWindowRequestedEventArgs, 0x34acb11c, 0xfc37, 0x4418, 0x91, 0x32, 0xf9, 0xc2, 0x1d,
                0x1e, 0xaf, 0xb9)
__CRT_UUID_DECL(ICoreWebView2PermissionRequestedEventHandler, 0x15e1c6a3, 0xc72a, 0x4df3, 0x91, 0xd7, 0xd0, 0x97,
                0xfb, 0xec, 0x6b, 0xfd)
__CRT_UUID_DECL(ICoreWebView2PermissionRequestedEventArgs, 0x973ae2ef, 0xff18, 0x4894, 0x8f, 0xb2, 0x3c, 0x75, 0x8f,
                0x04, 0x68, 0x10)
__CRT_UUID_DECL(ICoreWebView2DownloadStartingEventHandler, 0xefedc989, 0xc396, 0x41ca, 0x83, 0xf7, 0x07, 0xf8, 0x45,
                0xa5, 0x57, 0x24)
__CRT_UUID_DECL(ICoreWebView2DownloadStartingEventArgs, 0xe99bbe21, 0x43e9, 0x4544, 0xa7, 0x32, 0x28, 0x27, 0x64,
                0xea, 0xfa, 0x60)
__CRT_UUID_DECL(ICoreWebView2_8, 0xe9632730, 0x6e1e, 0x43ab, 0xb7, 0xb8, 0x7b, 0x2c, 0x9e, 0x62, 0xe0, 0x94)
__CRT_UUID_DECL(ICoreWebView2WebMessageReceivedEventArgs, 0x0f99a40c, 0xe962, 0x4207, 0x9e, 0x92, 0xe3, 0xd5, 0x42,
                0xef, 0xf8, 0x49)
__CRT_UUID_DECL(ICoreWebView2WebMessageReceivedEventArgs2, 0x06fc7ab7, 0xc90c, 0x4297, 0x93, 0x89, 0x33, 0xca, 0x01,
                0xcf, 0x6d, 0x5e)
__CRT_UUID_DECL(ICoreWebView2ObjectCollectionView, 0x0f36fd87, 0x4f69, 0x4415, 0x98, 0xda, 0x88, 0x8f, 0x89, 0xfb,
                0x9a, 0x33)
__CRT_UUID_DECL(ICoreWebView2File, 0xf2c19559, 0x6bc1, 0x4583, 0xa7, 0x57, 0x90, 0x02, 0x1b, 0xe9, 0xaf, 0xec)

// The documented loader entry point, provided by runtime_loader_win.cpp: finds
// the runtime (the override variables and policies, a fixed-version folder,
// else the installed channels), loads it and starts creating an environment.
// The handler is called later on this thread, through its message loop.
// Returns HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) when no runtime is found.
HRESULT CreateCoreWebView2EnvironmentWithOptions(PCWSTR browserExecutableFolder, PCWSTR userDataFolder,
                                                 ICoreWebView2EnvironmentOptions* environmentOptions,
                                                 ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* handler);

// The runtime DLL's undocumented entry point, as the loader calls it.
using CreateWebViewEnvironmentWithOptionsInternalFn = HRESULT(STDMETHODCALLTYPE*)(
    bool reserved, int runtimeType, PCWSTR userDataFolder, IUnknown* environmentOptions,
    ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* handler);
