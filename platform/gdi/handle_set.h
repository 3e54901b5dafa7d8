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
    const auto at = std::lower_bound(items_.begin(), items_.end(), item, std::less<T*>());
    if (at != items_.end() && *at == item) items_.erase(at);
  }
  bool Contains(T* item) const { return std::binary_search(items_.begin(), items_.end(), item, std::less<T*>()); }
  std::size_t Size() const { return items_.size(); }

 private:
  std::vector<T*> items_;
};

}  // namespace platform::gdi
