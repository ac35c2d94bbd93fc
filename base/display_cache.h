// What the displays keep between drawings of one window: the samples of the
// curve drawn last, basis tables, projection buffers. Each display family
// defines its own small struct of what it keeps, and the window's cache
// holds one object of each such type, made (value-initialised) the first
// time a display asks for it and kept until the window goes. Nothing a
// display keeps lives below the window, so two windows never see each
// other's samples.
#pragma once

#include <memory>
#include <typeindex>
#include <typeinfo>
#include <unordered_map>

namespace tambra {

class DisplayCache {
 public:
  DisplayCache() = default;
  // The kept objects belong to one window.
  DisplayCache(const DisplayCache&) = delete;
  DisplayCache& operator=(const DisplayCache&) = delete;

  // The object of type T, made on the first call. The reference stays valid
  // while the cache lives, whatever other types are asked for later.
  template <typename T>
  T& Get() {
    std::shared_ptr<void>& slot = slots_[std::type_index(typeid(T))];
    if (!slot) slot = std::make_shared<T>();
    return *static_cast<T*>(slot.get());
  }

 private:
  std::unordered_map<std::type_index, std::shared_ptr<void>> slots_;
};

}  // namespace tambra
