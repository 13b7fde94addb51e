#include <gtest/gtest.h>

#include <memory>

#include "TableTestSupport.h"
#include "tables/TDataSource.h"

namespace orvel {
namespace {

using testing::MakeIdTable;
using Events = std::vector<TDataEvent>;
using E = TDataEvent;

class DataSource : public ::testing::Test {
 protected:
  DataSource() {
    MakeIdTable(temp.Path(), "T", {{"r1", ""}, {"r2", ""}, {"r3", ""}});
    table.SetDatabaseName(temp.Path().string());
    table.SetTableName("T");
  }

  // What the listener heard since the last call.
  Events Heard() { return std::exchange(heard, {}); }

  testing::TempFolder temp;
  TTable table;
  TDataSource source{&table};
  Events heard;
  TDataSubscription subscription = source.Subscribe([this](TDataEvent event) { heard.push_back(event); });
};

TEST_F(DataSource, EachChangeIsReportedOnceWithWhatViewsMustReadAgain) {
  const struct {
    const char* step;
    std::function<void(TTable&)> action;
    Events expected;
  } steps[] = {
      {"open", [](TTable& t) { t.Open(); }, {E::ActiveChanged}},
      {"next", [](TTable& t) { t.Next(); }, {E::CursorMoved}},
      {"edit", [](TTable& t) { t.Edit(); }, {E::StateChanged}},
      {"write", [](TTable& t) { t.Fields(0).SetAsString("x"); }, {E::RecordChanged}},
      {"post", [](TTable& t) { t.Post(); }, {E::StateChanged}},
      {"append", [](TTable& t) { t.Append(); }, {E::DataSetChanged}},
      {"write new", [](TTable& t) { t.Fields(0).SetAsString("r4"); }, {E::RecordChanged}},
      {"next posts, then stays on the last row", [](TTable& t) { t.Next(); }, {E::StateChanged}},
      {"delete", [](TTable& t) { t.Delete(); }, {E::DataSetChanged}},
      {"last, already there", [](TTable& t) { t.Last(); }, {}},
      {"first", [](TTable& t) { t.First(); }, {E::CursorMoved}},
      {"insert, then cancel", [](TTable& t) { t.Insert(), t.Cancel(); }, {E::DataSetChanged, E::DataSetChanged}},
      {"close", [](TTable& t) { t.Close(); }, {E::ActiveChanged}},
  };
  for (const auto& step : steps) {
    step.action(table);
    EXPECT_EQ(Heard(), step.expected) << step.step;
  }
}

TEST_F(DataSource, DisabledDataSourceShowsAnInactiveTableAndHearsNothingOfIt) {
  table.Open();
  Heard();
  source.SetEnabled(false);
  EXPECT_EQ(Heard(), Events{E::ActiveChanged});
  EXPECT_EQ(source.State(), TDataSetState::Inactive);
  table.Next();
  table.Edit();
  EXPECT_EQ(Heard(), Events{});
  source.SetEnabled(true);
  EXPECT_EQ(Heard(), Events{E::ActiveChanged});
  EXPECT_EQ(source.State(), TDataSetState::Edit);
}

TEST_F(DataSource, DisableControlsHoldsEverythingUntilTheLastEnableControls) {
  table.Open();
  Heard();
  table.DisableControls();
  table.DisableControls();
  table.Next();
  table.Edit();
  table.Fields(0).SetAsString("x");
  table.Post();
  table.EnableControls();
  EXPECT_EQ(Heard(), Events{});
  table.EnableControls();
  EXPECT_EQ(Heard(), Events{E::DataSetChanged});

  table.DisableControls();
  table.Close();
  table.EnableControls();
  EXPECT_EQ(Heard(), Events{E::ActiveChanged});
}

TEST_F(DataSource, CancelledSubscriptionHearsNothingWhileOthersStillDo) {
  Events other;
  TDataSubscription second = source.Subscribe([&](TDataEvent event) { other.push_back(event); });
  subscription.Cancel();
  EXPECT_FALSE(subscription.Connected());
  table.Open();
  EXPECT_EQ(Heard(), Events{});
  EXPECT_EQ(other, Events{E::ActiveChanged});
}

TEST_F(DataSource, TableDestroyedFirstLeavesTheDataSourceWithoutOne) {
  auto doomed = std::make_unique<TTable>();
  source.SetDataSet(doomed.get());
  EXPECT_EQ(Heard(), Events{E::ActiveChanged});
  doomed.reset();
  EXPECT_EQ(source.DataSet(), nullptr);
  EXPECT_EQ(source.State(), TDataSetState::Inactive);
  EXPECT_EQ(Heard(), Events{E::ActiveChanged});
  table.Open();
  EXPECT_EQ(Heard(), Events{});
}

TEST_F(DataSource, DataSourceDestroyedFirstLeavesTheTableAndSubscriptionsUsable) {
  auto doomed = std::make_unique<TDataSource>(&table);
  TDataSubscription orphan = doomed->Subscribe([](TDataEvent) { FAIL() << "told after its data source was gone"; });
  doomed.reset();
  EXPECT_FALSE(orphan.Connected());
  table.Open();
  table.Next();
  EXPECT_EQ(table.RecNo(), 2);
}

TEST_F(DataSource, ListenersMayCancelOthersOrDestroyTheirDataSourceWhileBeingTold) {
  TDataSubscription later;
  TDataSubscription canceller = source.Subscribe([&](TDataEvent) { later.Cancel(); });
  int laterCalls = 0;
  later = source.Subscribe([&](TDataEvent) { ++laterCalls; });

  auto doomed = std::make_unique<TDataSource>(&table);
  TDataSubscription destroyer = doomed->Subscribe([&](TDataEvent) { doomed.reset(); });
  table.Open();
  EXPECT_EQ(laterCalls, 0);
  EXPECT_EQ(doomed, nullptr);
  EXPECT_EQ(Heard(), Events{E::ActiveChanged});
}

TEST_F(DataSource, SwitchingTablesMovesViewsToTheNewOne) {
  TTable other;
  other.SetDatabaseName(temp.Path().string());
  other.SetTableName("T");
  source.SetDataSet(&other);
  EXPECT_EQ(Heard(), Events{E::ActiveChanged});
  table.Open();
  EXPECT_EQ(Heard(), Events{});
  other.Open();
  EXPECT_EQ(Heard(), Events{E::ActiveChanged});
  EXPECT_EQ(source.State(), TDataSetState::Browse);
}

}  // namespace
}  // namespace orvel
