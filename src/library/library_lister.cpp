#include "library/library_lister.h"

void LibraryLister::ScanAs(uint64_t scan, const std::u16string& exeDir,
                           const std::vector<std::u16string>& userList) {
  scans_ = scan;
  auto view = std::make_shared<LibraryView>();
  view->scan = scan;
  view->items = ScanLibrary(probe_, exeDir, userList);
  facts_.Gather(probe_, exeDir, view->items);
  view->facts = Answers(view->items.size());
  view_ = std::move(view);
}

void LibraryLister::Release() {
  facts_.Clear(probe_);
  view_.reset();
}

bool LibraryLister::Renew(bool recheck) {
  if (!view_ || !facts_.Renew(probe_, view_->items, recheck)) return false;
  std::vector<ItemFacts> facts = Answers(view_->items.size());
  if (facts == view_->facts) return false;
  auto view = std::make_shared<LibraryView>(LibraryView{view_->scan, view_->items, std::move(facts)});
  view_ = std::move(view);
  return true;
}

std::vector<ItemFacts> LibraryLister::Answers(size_t count) const {
  std::vector<ItemFacts> facts;
  facts.reserve(count);
  for (size_t i = 0; i < count; ++i)
    facts.push_back({facts_.Usable(i, false), facts_.Usable(i, true), std::u16string(facts_.Thumbnail(i)),
                     std::u16string(facts_.VideoUrl(i))});
  return facts;
}
