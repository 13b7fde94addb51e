#include "tables/TDataSubscription.h"

#include <algorithm>

namespace orvel {

std::uint64_t ListenerRegistry::Add(TDataListener listener) {
  const std::uint64_t id = nextId_++;
  listeners_.emplace_back(id, std::make_shared<const TDataListener>(std::move(listener)));
  return id;
}

void ListenerRegistry::Remove(std::uint64_t id) {
  std::erase_if(listeners_, [id](const auto& entry) { return entry.first == id; });
}

bool ListenerRegistry::Contains(std::uint64_t id) const {
  return std::any_of(listeners_.begin(), listeners_.end(), [id](const auto& entry) { return entry.first == id; });
}

void ListenerRegistry::Broadcast(TDataEvent event) const {
  const auto snapshot = listeners_;
  for (const auto& [id, listener] : snapshot) {
    if (Contains(id)) (*listener)(event);
  }
}

TDataSubscription& TDataSubscription::operator=(TDataSubscription&& other) noexcept {
  if (this != &other) {
    Cancel();
    registry_ = std::move(other.registry_);
    id_ = std::exchange(other.id_, 0);
  }
  return *this;
}

void TDataSubscription::Cancel() noexcept {
  if (const std::shared_ptr<ListenerRegistry> registry = registry_.lock()) registry->Remove(id_);
  registry_.reset();
  id_ = 0;
}

bool TDataSubscription::Connected() const {
  const std::shared_ptr<ListenerRegistry> registry = registry_.lock();
  return registry && registry->Contains(id_);
}

}  // namespace orvel
