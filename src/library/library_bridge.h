#pragma once
// The conversation with the library page: the library list, the messages sent
// to the page and the commands received from it. Reaches the rest of the
// program only through a LibraryHost, a FileProbe (for the paths the user
// just picked or dropped) and a LibrarySource. Main thread only.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "base/file_probe.h"
#include "library/library_host.h"
#include "library/library_lister.h"
#include "library/media.h"
#include "library/state_message.h"

// Asked only by the "drop" command: the paths of the files dropped on the page.
using DroppedFiles = std::function<std::vector<std::u16string>()>;

class LibraryBridge {
 public:
  // Asks `source` for the list; without one, the probe is asked on this thread.
  LibraryBridge(LibraryHost& host, const FileProbe& probe, LibrarySource* source = nullptr)
      : host_(host), probe_(probe), ownSource_(probe), source_(source ? *source : ownSource_) {}

  // Asks for the library list anew, from the wallpapers folder and the user list.
  void ScanLibrary();
  // Empties the library list and frees it; the next "state" scans again.
  void ReleaseLibraryList();
  // The list as of the last snapshot.
  const std::vector<LibraryItem>& Items() const;

  // Posts "state" while the library view exists (asking for the list first when there is none).
  void SendState();
  // The source has a new view: "state" again, then what waited for that list.
  void TakeNewView() { SendState(); }
  // The snapshot "state" is built from, with the newest facts of the files;
  // its texts stay valid until the next snapshot.
  StateSnapshot TakeSnapshot();
  // Adds the usable paths to the user list, saves, rescans, sends "state", then "added".
  void AddUserWallpapers(const std::vector<std::u16string>& paths);
  void PostBakeMessage(int32_t kind, int32_t preset, int32_t pct, const std::u16string& path);
  // One record of a bake job, for the page; a finished bake (kind 2) also puts
  // its video in the user list once, saves, rescans and sends "state" first.
  void TakeBakeRecord(int32_t kind, int32_t preset, int32_t pct, const std::u16string& path);

  // One message of the page; `dropped` is asked only by "drop".
  void HandleLibraryCommand(std::u16string_view text, const DroppedFiles& dropped = {});
  // Index -1 (any negative) is every screen; an empty path clears.
  void ApplyToScreens(int32_t index, const std::u16string& path);
  void ApplySpan(const std::u16string& path);

 private:
  using Fields = std::vector<std::u16string_view>;
  struct Command {
    std::u16string_view name;
    void (LibraryBridge::*run)(const Fields&, const DroppedFiles&);
  };
  static const Command kCommands[];

  void Ready(const Fields&, const DroppedFiles&);
  void Apply(const Fields&, const DroppedFiles&);
  void Clear(const Fields&, const DroppedFiles&);
  void Span(const Fields&, const DroppedFiles&);
  void Mode(const Fields&, const DroppedFiles&);
  void Add(const Fields&, const DroppedFiles&);
  void AddFolder(const Fields&, const DroppedFiles&);
  void Remove(const Fields&, const DroppedFiles&);
  void Pause(const Fields&, const DroppedFiles&);
  void Identify(const Fields&, const DroppedFiles&);
  void Previews(const Fields&, const DroppedFiles&);
  void Bake(const Fields&, const DroppedFiles&);
  void BakeCancel(const Fields&, const DroppedFiles&);
  void Saver(const Fields&, const DroppedFiles&);
  void SetFrame(const Fields&, const DroppedFiles&);
  void Set(const Fields&, const DroppedFiles&);
  void Drop(const Fields&, const DroppedFiles&);
  void SetRotation(const Fields&, const DroppedFiles&);
  void Next(const Fields&, const DroppedFiles&);
  void SetRules(const Fields&, const DroppedFiles&);

  void Post(const std::u16string& json);
  // Posts once the page has had the list of the last ScanLibrary.
  void PostAfterScan(std::u16string json);
  void PostWaiting();
  std::u16string BakeMessage(int32_t kind, int32_t preset, int32_t pct, const std::u16string& path);
  // The non-spanning records, in list order: the page's screen indexes.
  std::vector<Screen*> PageScreens();

  LibraryHost& host_;
  const FileProbe& probe_;
  LibraryLister ownSource_;
  LibrarySource& source_;
  std::shared_ptr<const LibraryView> view_;
  uint64_t scanAsked_ = 0;  // 0: no list asked for since the last release
  std::vector<std::u16string> waiting_;
};

// The page's separator-delimited text as fields (U+001F); empty fields count.
std::vector<std::u16string_view> SplitCommand(std::u16string_view text);
// A decimal number as the page writes it: leading blanks, a sign, digits, a
// fraction and an exponent, up to the first other character; 0 when nothing
// reads. "inf", "infinity" and "nan" (any case) read as what they name.
double ParseLeadingDouble(std::u16string_view text);
