// The live objects behind handles, in a sorted array: a frame makes and
// deletes dozens of objects, and a hash or tree node each would cost an
// allocation every time.
#pragma once

#include <algorithm>
#include <cstddef>
#include <functional>
#include <vector>

namespace platform::gdi {

template <typename T>
class HandleSet {
 public:
  void Insert(T* item) {
    const auto at = std::lower_bound(items_.begin(), items_.end(), item, std::less<T*>());
    if (at == items_.end() || *at != item) items_.insert(at, item);
  }
  void Erase(T* item) {
    if (item == lastFound_) lastFound_ = nullptr;
    const auto at = std::lower_bound(items_.begin(), items_.end(), item, std::less<T*>());
    if (at != items_.end() && *at == item) items_.erase(at);
  }
  // Calls come in runs on one DC or object: the last one found is asked first.
  bool Contains(T* item) const {
    if (item && item == lastFound_) return true;
    if (!std::binary_search(items_.begin(), items_.end(), item, std::less<T*>())) return false;
    lastFound_ = item;
    return true;
  }
  std::size_t Size() const { return items_.size(); }

 private:
  std::vector<T*> items_;
  mutable T* lastFound_ = nullptr;
};

}  // namespace platform::gdi
