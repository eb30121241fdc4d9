#pragma once
// The add-in's own saves, told from the user's: the write and add events raised while the add-in
// saves an item are its own, and only those. A save the user makes meanwhile (in another window,
// while a box of the add-in is up) is the user's.

#include "host/host.h"
#include "host/scope_exit.h"

namespace fenmark::links {

class OwnSaves {
 public:
  void Save(host::Item& item) {
    Own([&] { item.Save(); });
  }
  // Closes the item's window, saving it.
  void CloseSaving(host::Item& item) {
    Own([&] { item.Close(host::kOlSave); });
  }
  // Whether the event now raised comes from one of these saves.
  bool Underway() const noexcept { return depth_ > 0; }

 private:
  template <class Work>
  void Own(Work&& work) {
    ++depth_;
    const auto done = host::scope_exit([this] { --depth_; });
    work();
  }
  int depth_ = 0;
};

}  // namespace fenmark::links
