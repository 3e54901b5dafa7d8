// Cache state hung on a cairo surface, freed with it.
#pragma once

#include <cairo.h>

#include <memory>

#include "win32_layer.h"

namespace platform::draw_cache {

template <typename T>
T* Attached(cairo_surface_t* surface, const cairo_user_data_key_t& key) {
  return static_cast<T*>(cairo_surface_get_user_data(surface, &key));
}

// Null only when cairo is out of memory: then nothing is remembered.
template <typename T>
T* AttachedOrNew(cairo_surface_t* surface, const cairo_user_data_key_t& key) {
  if (T* found = Attached<T>(surface, key)) return found;
  auto made = std::make_unique<T>();
  if (cairo_surface_set_user_data(surface, &key, made.get(), [](void* p) { delete static_cast<T*>(p); }) !=
      CAIRO_STATUS_SUCCESS)
    return nullptr;
  return made.release();
}

inline bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

}  // namespace platform::draw_cache
