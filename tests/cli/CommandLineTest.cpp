// orvel-ids run as the operator's scripts run it: a program of its own, against the tester
// simulator on a pseudo-terminal and a store in a temporary folder.
#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <sstream>

#include "ChildProcess.h"
#include "TempFolder.h"
#include "link/TesterAddresses.h"
#include "simulator/TesterSimulator.h"
#include "store/IdListCsv.h"
#include "store/StoreFolders.h"
#include "store/StoreLock.h"
#include "tables/FieldText.h"

namespace orvel {
namespace {

using namespace std::chrono_literals;
using testing::ChildProcess;
using testing::ChildResult;

// Statuses a script tells apart.
constexpr int kBadInput = 2;
constexpr int kStoreError = 3;
constexpr int kNotFound = 4;
constexpr int kNoReply = 5;
constexpr int kCancelled = 6;
constexpr int kDeviceUnusable = 7;

// Long enough for a whole transfer at the tester's pace; a hang shows as a timeout.
constexpr auto kTransferTimeout = 60s;

std::string TrimmedRight(std::string text) {
  text.erase(text.find_last_not_of(' ') + 1);
  return text;
}

class CommandLineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (std::size_t slot = 0; slot < SlotCount; ++slot) {
      tester_.SetTrailerId(slot, "OLD-T" + std::to_string(slot));
      tester_.SetVehicleId(slot, "OLD-V" + std::to_string(slot));
    }
    tester_.Start();
  }
  void TearDown() override { tester_.Stop(); }

  std::vector<std::string> Command(std::vector<std::string> words) const {
    words.insert(words.begin(), {ORVEL_IDS_PROGRAM, "--store", store_.Path().string()});
    return words;
  }
  ChildResult Run(std::vector<std::string> words, std::chrono::milliseconds timeout = 20s) const {
    return ChildProcess::Run(Command(std::move(words)), timeout);
  }
  std::vector<std::string> OnTester(std::vector<std::string> words) const {
    words.insert(words.end(), {"--device", tester_.DevicePath()});
    return words;
  }

  IdPairs TesterPairs() const {
    IdPairs pairs;
    for (std::size_t slot = 0; slot < SlotCount; ++slot) {
      pairs.push_back({TrimmedRight(tester_.TrailerId(slot)), TrimmedRight(tester_.VehicleId(slot))});
    }
    return pairs;
  }

  static std::string FileText(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }

  testing::TempFolder store_;
  testing::TempFolder files_;
  sim::TesterSimulator tester_;
};

void ExpectStatus(const ChildResult& result, int status) {
  EXPECT_FALSE(result.timedOut);
  EXPECT_EQ(result.exitStatus, status) << "stdout:\n" << result.out << "\nstderr:\n" << result.err;
}

TEST_F(CommandLineTest, ASampleImportedSentReadAndExportedComesBackUnchanged) {
  const IdPairs sample = ParseIdListCsv(FileText(ORVEL_SAMPLE_CSV), "sample");

  ExpectStatus(Run({"import", "Depot North", ORVEL_SAMPLE_CSV}), 0);
  ExpectStatus(Run(OnTester({"send", "Depot North"}), kTransferTimeout), 0);
  EXPECT_EQ(TesterPairs(), sample);

  ExpectStatus(Run(OnTester({"read", "Copy"}), kTransferTimeout), 0);
  const std::filesystem::path exported = files_ / "copy.csv";
  ExpectStatus(Run({"export", "Copy", exported.string()}), 0);
  EXPECT_EQ(ParseIdListCsv(FileText(exported), "copy.csv"), sample);
  ExpectStatus(Run({"export", "Copy", exported.string()}), kBadInput);
  ExpectStatus(Run({"export", "Copy", exported.string(), "--force"}), 0);
  ExpectStatus(Run(OnTester({"diff", "tester", "Copy"}), kTransferTimeout), 0);

  // Without a group: a file in, the tester's list out, and the slot that changed named.
  std::ofstream(files_ / "one.csv") << "Slot,Trailer ID,Vehicle ID\n2,NEW-T,\n";
  ExpectStatus(Run(OnTester({"send", "--csv", (files_ / "one.csv").string()}), kTransferTimeout), 0);
  const ChildResult read = Run(OnTester({"read", "--csv", "-"}), kTransferTimeout);
  ExpectStatus(read, 0);
  IdPairs expected(SlotCount);
  expected[1].trailer = "NEW-T";
  EXPECT_EQ(ParseIdListCsv(read.out, "read"), expected);
  const ChildResult differ = Run({"diff", "Copy", (files_ / "one.csv").string()});
  ExpectStatus(differ, 1);
  EXPECT_NE(differ.out.find("2     Trailer ID  'TR-1002'"), std::string::npos) << differ.out;

  const ChildResult groups = Run({"groups"});
  ExpectStatus(groups, 0);
  EXPECT_NE(groups.out.find("Depot North"), std::string::npos) << groups.out;
  EXPECT_NE(groups.out.find("Copy"), std::string::npos) << groups.out;

  // IDs of every character the tester can hold, and some a spreadsheet would take for numbers
  // or formulas: export, import and export again give the same bytes, plain or --excel.
  std::string every;
  for (int code = 32; code <= 255; ++code) every += code < 127 || code > 159 ? std::string(1, char(code)) : "";
  const std::vector<std::string> odd = {"AB.12/3#", "=1+1", "-2-3", "@SUM(1)", "00123", "=\"1\""};
  for (std::size_t slot = 0; slot < SlotCount; ++slot) {
    tester_.SetTrailerId(slot, slot < odd.size() ? odd[slot] : every.substr(slot * 16 % every.size(), 16));
    tester_.SetVehicleId(slot, every.substr(slot * 16 % every.size(), 16));
  }
  ExpectStatus(Run(OnTester({"read", "Every"}), kTransferTimeout), 0);
  for (const std::string style : {"--", "--excel"}) {  // "--" only ends the options: a plain export
    const std::filesystem::path first = files_ / ("first" + style), second = files_ / ("second" + style);
    ExpectStatus(Run({"export", "Every", first.string(), style}), 0);
    ExpectStatus(Run({"import", "Again" + style, first.string()}), 0);
    ExpectStatus(Run({"export", "Again" + style, second.string(), style}), 0);
    EXPECT_EQ(FileText(second), FileText(first)) << style;
    EXPECT_EQ(ParseIdListCsv(FileText(first), "first"), TesterPairs()) << style;
  }
  ExpectStatus(Run(OnTester({"company", "Müller & Co"}), kTransferTimeout), 0);
  EXPECT_EQ(TrimmedRight(tester_.CompanyName()), Utf8ToLatin1("Müller & Co"));
  const ChildResult company = Run(OnTester({"company"}), kTransferTimeout);
  ExpectStatus(company, 0);
  EXPECT_EQ(company.out, "Müller & Co\n");
}

TEST_F(CommandLineTest, EachFailureEndsWithItsOwnStatusAndChangesNothing) {
  const IdPairs before = TesterPairs();
  const std::filesystem::path inDoubt = files_ / "in-doubt.csv";
  std::ofstream(inDoubt) << "Trailer,Plate\nT1,V1\n";
  const ChildResult refusedFile = Run({"import", "Big", inDoubt.string()});
  ExpectStatus(refusedFile, kBadInput);
  EXPECT_NE(refusedFile.err.find("line 1: the line names a column, yet it is no header"), std::string::npos)
      << refusedFile.err;
  EXPECT_NE(refusedFile.err.find("Add --header"), std::string::npos) << refusedFile.err;

  ExpectStatus(Run({"import", "Fleet", ORVEL_SAMPLE_CSV}), 0);
  ExpectStatus(Run({"import", "Fleet", ORVEL_SAMPLE_CSV}), kBadInput);
  ExpectStatus(Run(OnTester({"send", "Nobody"})), kBadInput);
  ExpectStatus(Run({"import", "A name longer than thirty chars", ORVEL_SAMPLE_CSV}), kBadInput);

  {
    // The window holds the store: writing commands change nothing, reading ones work.
    const StoreLock window(StoreFoldersUnder(store_.Path()).data);
    const ChildResult held = Run({"import", "Second", ORVEL_SAMPLE_CSV});
    ExpectStatus(held, kStoreError);
    EXPECT_NE(held.err.find("in use by another copy of Orvel IDs"), std::string::npos) << held.err;
    ExpectStatus(Run({"groups"}), 0);
    ExpectStatus(Run({"export", "Fleet"}), 0);
  }
  const ChildResult groups = Run({"groups"});
  EXPECT_EQ(groups.out.find("Second"), std::string::npos) << groups.out;
  EXPECT_EQ(groups.out.find("Big"), std::string::npos) << groups.out;

  ExpectStatus(Run({"send", "Fleet", "--device", (files_ / "no-such-device").string()}), kDeviceUnusable);
  ExpectStatus(Run({"send", "Fleet", "--port", "254", "--search-time", "1"}), kNotFound);
  EXPECT_EQ(TesterPairs(), before);

  tester_.AddFaultRule({sim::FaultKind::NoAnswer, std::nullopt, TrailerAddress(3), 0, {}});
  const ChildResult noReply = Run(OnTester({"send", "Fleet"}), kTransferTimeout);
  ExpectStatus(noReply, kNoReply);
  EXPECT_NE(noReply.err.find("Unable to send data"), std::string::npos) << noReply.err;
  tester_.ClearFaults();

  const std::size_t requestsBefore = tester_.RequestCount();
  ChildProcess reading(Command(OnTester({"read", "Fleet", "--yes"})));
  while (tester_.RequestCount() < requestsBefore + 10) std::this_thread::sleep_for(10ms);
  reading.Signal(SIGINT);
  ExpectStatus(reading.Finish(kTransferTimeout), kCancelled);

  // Reading over an existing group asks first; with no terminal to ask on, the answer is No.
  const ChildResult unasked = Run(OnTester({"read", "Fleet"}), kTransferTimeout);
  ExpectStatus(unasked, kCancelled);
  EXPECT_NE(unasked.err.find("Add --yes"), std::string::npos) << unasked.err;
}

// Refused before anything is touched: the empty store folder stays empty.
TEST_F(CommandLineTest, RefusedCommandsLeaveAnEmptyStoreFolderEmpty) {
  const std::filesystem::path plainFile = files_ / "plain";
  std::ofstream(plainFile) << "not a serial device\n";
  const std::vector<std::pair<std::vector<std::string>, int>> refused{
      {{"read", std::string(31, 'N')}, kBadInput},
      {{"import", "Fleet", ORVEL_SAMPLE_CSV, "--replace"}, kStoreError},
      {{"read", "Fleet", "--device", (files_ / "gone").string()}, kDeviceUnusable},
      {{"read", "Fleet", "--device", plainFile.string()}, kDeviceUnusable},
      {{"company", "", "--device", tester_.DevicePath()}, kBadInput},
      {{"groups", "--store", ""}, kBadInput}};
  for (const auto& [words, status] : refused) ExpectStatus(Run(words), status);
  EXPECT_TRUE(std::filesystem::is_empty(store_.Path()));
}

// Output goes where the operator points it, or the command fails: a full disk, standard
// input, a symbolic link, a folder, $HOME.
TEST_F(CommandLineTest, OutputsAndInputsGoWhereTheyArePointed) {
  const std::string program = ORVEL_IDS_PROGRAM, store = store_.Path().string();
  ExpectStatus(ChildProcess::Run({"/bin/sh", "-c", "exec \"$@\" < \"$0\"", ORVEL_SAMPLE_CSV, program, "--store",
                                  store, "import", "Fleet", "-"},
                                 20s),
               0);
  ExpectStatus(ChildProcess::Run({"/bin/sh", "-c", "exec \"$@\" > /dev/full", "sh", program, "--store", store, "groups"}, 20s), 1);
  const std::filesystem::path target = files_ / "target.csv", link = files_ / "link.csv";
  std::ofstream(target) << "old\n";
  const auto perms = std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                     std::filesystem::perms::group_read;
  std::filesystem::permissions(target, perms);
  std::filesystem::create_symlink(target, link);
  ExpectStatus(Run({"export", "Fleet", link.string(), "--force"}), 0);
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(FileText(target), Run({"export", "Fleet"}).out);
  EXPECT_EQ(std::filesystem::status(target).permissions(), perms);
  ExpectStatus(Run({"export", "Fleet", files_.Path().string(), "--force"}), kBadInput);
  const ChildResult home =
      ChildProcess::Run({"/usr/bin/env", "HOME=" + files_.Path().string(), program, "groups"}, 20s);
  ExpectStatus(home, kStoreError);
  EXPECT_NE(home.err.find((files_.Path() / "Kestrin").string()), std::string::npos) << home.err;
}

}  // namespace
}  // namespace orvel
