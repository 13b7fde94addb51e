#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "tables/DataSetTypes.h"

namespace orvel {

using TDataListener = std::function<void(TDataEvent)>;

// The listeners of one data source. Listeners may subscribe or cancel while being told:
// one cancelled during a broadcast is not called after its cancellation.
class ListenerRegistry {
 public:
  std::uint64_t Add(TDataListener listener);
  void Remove(std::uint64_t id);
  bool Contains(std::uint64_t id) const;
  void Broadcast(TDataEvent event) const;

 private:
  std::uint64_t nextId_ = 1;
  std::vector<std::pair<std::uint64_t, std::shared_ptr<const TDataListener>>> listeners_;
};

// A listener's place on a data source; dropping it (or Cancel) ends the notifications.
// It may outlive the data source.
class TDataSubscription {
 public:
  TDataSubscription() = default;
  ~TDataSubscription() { Cancel(); }
  TDataSubscription(TDataSubscription&& other) noexcept
      : registry_(std::move(other.registry_)), id_(std::exchange(other.id_, 0)) {}
  TDataSubscription& operator=(TDataSubscription&& other) noexcept;
  TDataSubscription(const TDataSubscription&) = delete;
  TDataSubscription& operator=(const TDataSubscription&) = delete;

  void Cancel() noexcept;
  bool Connected() const;

 private:
  friend class TDataSource;
  TDataSubscription(std::weak_ptr<ListenerRegistry> registry, std::uint64_t id)
      : registry_(std::move(registry)), id_(id) {}

  std::weak_ptr<ListenerRegistry> registry_;
  std::uint64_t id_ = 0;
};

}  // namespace orvel
