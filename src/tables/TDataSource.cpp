#include "tables/TDataSource.h"

#include "tables/TTable.h"

namespace orvel {

TDataSource::TDataSource(TTable* dataSet) { SetDataSet(dataSet); }

TDataSource::~TDataSource() {
  if (dataSet_ != nullptr) dataSet_->DetachDataSource(this);
}

void TDataSource::SetDataSet(TTable* dataSet) {
  if (dataSet == dataSet_) return;
  if (dataSet_ != nullptr) dataSet_->DetachDataSource(this);
  dataSet_ = dataSet;
  if (dataSet_ != nullptr) dataSet_->AttachDataSource(this);
  Broadcast(TDataEvent::ActiveChanged);
}

void TDataSource::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  // Told even while disabled, so that views drop what they show.
  listeners_->Broadcast(TDataEvent::ActiveChanged);
}

TDataSetState TDataSource::State() const {
  return enabled_ && dataSet_ != nullptr ? dataSet_->State() : TDataSetState::Inactive;
}

TDataSubscription TDataSource::Subscribe(TDataListener listener) {
  return TDataSubscription(listeners_, listeners_->Add(std::move(listener)));
}

void TDataSource::DataSetDestroyed() {
  dataSet_ = nullptr;
  Broadcast(TDataEvent::ActiveChanged);
}

void TDataSource::Broadcast(TDataEvent event) {
  if (!enabled_) return;
  // A listener may destroy this data source; the registry stays until the broadcast ends.
  const std::shared_ptr<const ListenerRegistry> registry = listeners_;
  registry->Broadcast(event);
}

}  // namespace orvel
