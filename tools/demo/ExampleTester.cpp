#include "demo/ExampleTester.h"

#include "simulator/TesterSimulator.h"

namespace orvel::demo {

const std::vector<ExamplePair>& ExamplePairs() {
  static const std::vector<ExamplePair> pairs{
      {"TRL-2041", "KX19 BHD"},    {"TRL-2042", "LK68 ZRT"},      {"TRL-2057", "YN70 WFA"},
      {"CURTAIN 114", "BD21 OPU"}, {"CURTAIN 121", "MX20 HGE"},   {"REEFER 07", "SN69 TCV"},
      {"REEFER 09", "PO18 KLM"},   {"FLAT 310", "FJ71 DRX"},      {"FLAT 318", "GU19 NWS"},
      {"TIPPER 45", "WR68 AYB"},   {"TANKER 802", "OU20 CZK"},    {"TANKER 815", "DA21 FEE"},
      {"BOX 5520", "NX70 JPT"},    {"BOX 5527", "VK19 RMO"},      {"LOWLOADER 3", "YJ68 EHL"},
      {"TRL-2113", "AE71 SBD"},    {"TRL-2118", "HF20 UWX"},      {"CURTAIN 133", "LB69 NNC"},
      {"REEFER 12", "CP21 GTA"},   {"FLAT 327", "RX18 VDZ"},      {"SKELETAL 61", "EY70 KOB"},
      {"SKELETAL 64", "WN19 PLS"}, {"DOUBLE DECK 2", "BV68 HJU"}, {"TRL-2140", "ML21 ZZE"},
  };
  return pairs;
}

void LoadExampleContent(sim::TesterSimulator& tester) {
  const std::vector<ExamplePair>& pairs = ExamplePairs();
  for (std::size_t slot = 0; slot < pairs.size(); ++slot) {
    tester.SetTrailerId(slot, pairs[slot].trailerId);
    tester.SetVehicleId(slot, pairs[slot].vehicleId);
  }
  tester.SetCompanyName(kExampleCompanyName);
  sim::TesterIdentity identity;
  identity.serial = "4127";
  identity.secondPair = "R3";
  identity.details = "RBT 3000 roller brake tester (simulated)";
  tester.SetIdentity(identity);
}

}  // namespace orvel::demo
