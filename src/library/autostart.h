#pragma once
// The start-with-Windows switch belongs to app/ (the tray shows it too); the
// library page reaches it through this interface, which app/ registers at
// start-up. Main thread only.
class Autostart {
 public:
  virtual ~Autostart() = default;
  virtual bool On() = 0;  // read afresh each time
  virtual void Set(bool on) = 0;
};

// Until something is registered (and after nullptr) it reads off and ignores Set.
void SetLibraryAutostart(Autostart* autostart);
