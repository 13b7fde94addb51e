#pragma once

#include <memory>

#include "tables/DataSetTypes.h"
#include "tables/TDataSubscription.h"

namespace orvel {

class TTable;

// Binds one table to the views that show it. Views follow the table only through this:
// they subscribe to its events and read the table. Either of the data source and the
// table may be destroyed first; the other forgets it.
class TDataSource {
 public:
  explicit TDataSource(TTable* dataSet = nullptr);
  ~TDataSource();
  TDataSource(const TDataSource&) = delete;
  TDataSource& operator=(const TDataSource&) = delete;

  TTable* DataSet() const { return dataSet_; }
  void SetDataSet(TTable* dataSet);

  // While disabled, views see an inactive table and hear nothing of it; enabling makes
  // them rebuild.
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);

  // The state bound views see: Inactive while disabled or without an open table.
  TDataSetState State() const;

  // Listeners must not throw, and must not destroy the table while being told.
  [[nodiscard]] TDataSubscription Subscribe(TDataListener listener);

 private:
  friend class TTable;
  void DataSetDestroyed();
  void Broadcast(TDataEvent event);

  TTable* dataSet_ = nullptr;
  bool enabled_ = true;
  std::shared_ptr<ListenerRegistry> listeners_ = std::make_shared<ListenerRegistry>();
};

}  // namespace orvel
