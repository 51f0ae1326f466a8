#pragma once
// The library list and what is known of its files, handed out as immutable
// views: whoever reads one never asks the file system anything.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/file_probe.h"
#include "library/library_facts.h"
#include "library/media.h"

// One item's answers, as the "state" message shows them.
struct ItemFacts {
  bool usable = false;
  bool usableWithGpu = false;
  std::u16string thumb;
  std::u16string url;  // empty unless the item is a video
  bool operator==(const ItemFacts&) const = default;
};

struct LibraryView {
  uint64_t scan = 0;  // the Scan it answers
  std::vector<LibraryItem> items;
  std::vector<ItemFacts> facts;  // one per item
};

// Where the library bridge gets its list.
class LibrarySource {
 public:
  virtual ~LibrarySource() = default;
  // Asks for the list anew; returns the number the answering view carries.
  virtual uint64_t Scan(const std::u16string& exeDir, const std::vector<std::u16string>& userList) = 0;
  // Forgets the list and stops watching its folders.
  virtual void Release() = 0;
  // The newest view, null when there is no list.
  virtual std::shared_ptr<const LibraryView> Latest() = 0;
};

// Asks on the caller's thread: Scan answers at once and Latest asks again
// about whatever may have changed, so each view is what asking now would say.
class LibraryLister final : public LibrarySource {
 public:
  explicit LibraryLister(const FileProbe& probe) : probe_(probe) {}
  LibraryLister(const LibraryLister&) = delete;
  LibraryLister& operator=(const LibraryLister&) = delete;
  ~LibraryLister() override { Release(); }

  uint64_t Scan(const std::u16string& exeDir, const std::vector<std::u16string>& userList) override {
    ScanAs(scans_ + 1, exeDir, userList);
    return scans_;
  }
  void Release() override;
  std::shared_ptr<const LibraryView> Latest() override {
    Renew(true);
    return view_;
  }

  // Scan, answering as number `scan`.
  void ScanAs(uint64_t scan, const std::u16string& exeDir, const std::vector<std::u16string>& userList);
  // LibraryFacts::Renew over the current list; true when that made a new view.
  bool Renew(bool recheck);
  const std::shared_ptr<const LibraryView>& View() const { return view_; }

 private:
  std::vector<ItemFacts> Answers(size_t count) const;

  const FileProbe& probe_;
  uint64_t scans_ = 0;
  LibraryFacts facts_;
  std::shared_ptr<const LibraryView> view_;
};
