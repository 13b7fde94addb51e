// What is checked after every step: the boxes shown, the store on disk, the grid and the
// list, and the tester.
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <filesystem>
#include <set>
#include <sstream>

#include "OperatorSequence.h"
#include "app/DataSourceTableModel.h"
#include "app/TDBGrid.h"
#include "app/TDBLookupComboBox.h"
#include "tables/TableFileName.h"

namespace orvel::testing {

void OperatorSequence::Expect(bool holds, const std::string& what) {
  if (!holds) problems_.push_back(what);
}

void OperatorSequence::ExpectBoxes(const std::vector<ExpectedBox>& expected) {
  if (!stepBoxes_) return;
  const auto& seen = stepBoxes_->Seen();
  boxesSeen_ += static_cast<int>(seen.size());
  std::ostringstream shown;
  for (const auto& box : seen) shown << " [" << Printable(box.title) << ": " << Printable(box.text) << "]";
  bool matches = seen.size() == expected.size();
  for (std::size_t at = 0; matches && at < seen.size(); ++at) {
    matches = seen[at].title == expected[at].title && (!expected[at].text || seen[at].text == *expected[at].text);
  }
  std::ostringstream wanted;
  for (const auto& box : expected) {
    wanted << " [" << Printable(box.title) << ": " << (box.text ? Printable(*box.text) : "any text") << "]";
  }
  Expect(matches, "boxes shown:" + shown.str() + "; expected:" + wanted.str());
  stepBoxes_.reset();
}

void OperatorSequence::ExpectInformationBoxes(std::size_t count) {
  ExpectBoxes(std::vector<ExpectedBox>(count, Information()));
}

bool OperatorSequence::GridShowsNothing() const { return form->IDGrid->Model().rowCount() == 0; }

void OperatorSequence::CheckStore() {
  const auto stored = StoredGroups();
  std::ostringstream names;
  for (const auto& [name, table] : stored) names << " \"" << Printable(name) << "\"";
  std::ostringstream expectedNames;
  for (const ModelGroup& group : model_.groups) expectedNames << " \"" << Printable(group.name) << "\"";
  if (stored.size() != model_.groups.size()) {
    Expect(false, "stored groups:" + names.str() + "; expected:" + expectedNames.str());
    return;
  }
  std::set<std::string> files;
  for (std::size_t at = 0; at < stored.size(); ++at) {
    const ModelGroup& group = model_.groups[at];
    if (stored[at].first != group.name || stored[at].second != group.table) {
      Expect(false, "stored groups:" + names.str() + "; expected:" + expectedNames.str() + " (group " +
                        std::to_string(at + 1) + " names table " + stored[at].second + ", expected " + group.table +
                        ")");
      return;
    }
    files.insert(TableFileName(group.table));
    const std::vector<IdPair> rows = StoredIdList(group.table);
    if (rows != group.rows) {
      std::ostringstream difference;
      for (std::size_t row = 0; row < std::max(rows.size(), group.rows.size()); ++row) {
        const IdPair got = row < rows.size() ? rows[row] : IdPair{"<none>", "<none>"};
        const IdPair want = row < group.rows.size() ? group.rows[row] : IdPair{"<none>", "<none>"};
        if (got != want) {
          difference << " row " << row + 1 << " holds \"" << Printable(got.trailer) << "\"/\"" << Printable(got.vehicle)
                     << "\", expected \"" << Printable(want.trailer) << "\"/\"" << Printable(want.vehicle) << "\";";
        }
      }
      Expect(false, "group " + std::to_string(at + 1) + " (" + Printable(group.name) + "):" + difference.str());
    }
  }
  std::set<std::string> present;
  for (const auto& entry : std::filesystem::directory_iterator(folders.idLists)) {
    const std::string file = entry.path().filename().string();
    if (!file.ends_with("-journal") && !file.ends_with("-wal") && !file.ends_with("-shm")) present.insert(file);
  }
  for (const std::string& file : present) {
    Expect(files.contains(file), "the ID list folder holds " + file + ", which no group names");
  }
}

void OperatorSequence::CheckGridAndList() {
  TDBLookupComboBox* list = form->GroupNameComboBox;
  std::vector<std::string> items;
  for (int at = 0; at < list->count(); ++at) items.push_back(EightBit(list->itemText(at)));
  std::vector<std::string> names;
  for (const ModelGroup& group : model_.groups) names.push_back(group.name);
  Expect(items == names, "the list holds " + std::to_string(items.size()) + " names, not the groups' names");
  const std::string listText = model_.listEntry ? model_.groups[*model_.listEntry].name : std::string();
  Expect(EightBit(list->currentText()) == listText,
         "the list shows \"" + Printable(list->currentText()) + "\", expected \"" + Printable(listText) + "\"");
  if (model_.listEntry) {
    Expect(list->currentIndex() == static_cast<int>(*model_.listEntry),
           "the list shows entry " + std::to_string(list->currentIndex() + 1) + ", expected " +
               std::to_string(*model_.listEntry + 1));
  }
  if (!model_.shown) {
    Expect(GridShowsNothing(), "the grid shows " + form->IDListTable.TableName() + ", expected nothing");
    return;
  }
  const ModelGroup& group = model_.groups[*model_.shown];
  if (!form->IDListTable.Active() || form->IDListTable.TableName() != group.table) {
    Expect(false, "the grid shows " + (form->IDListTable.Active() ? form->IDListTable.TableName() : "nothing") +
                      ", expected " + Printable(group.name) + " (" + Printable(group.table) + ")");
    return;
  }
  const DataSourceTableModel& grid = form->IDGrid->Model();
  Expect(grid.rowCount() == kSlots, "the grid shows " + std::to_string(grid.rowCount()) + " rows");
  for (int row = 0; row < std::min(grid.rowCount(), kSlots); ++row) {
    for (int column = 0; column < 2; ++column) {
      if (model_.pending && model_.pending->row == row) continue;
      const IdPair& pair = group.rows[static_cast<std::size_t>(row)];
      const std::string want = column == 0 ? pair.trailer : pair.vehicle;
      const std::string got = EightBit(grid.index(row, column).data().toString());
      Expect(got == want, "the grid's row " + std::to_string(row + 1) + " column " + std::to_string(column + 1) +
                              " shows \"" + Printable(got) + "\", expected \"" + Printable(want) + "\"");
    }
  }
}

void OperatorSequence::CheckTester() {
  for (std::size_t slot = 0; slot < kModelSlots; ++slot) {
    Expect(
        tester.TrailerId(slot) == model_.tester[slot].trailer && tester.VehicleId(slot) == model_.tester[slot].vehicle,
        "the tester's slot " + std::to_string(slot + 1) + " holds \"" + Printable(tester.TrailerId(slot)) + "\"/\"" +
            Printable(tester.VehicleId(slot)) + "\", expected \"" + Printable(model_.tester[slot].trailer) + "\"/\"" +
            Printable(model_.tester[slot].vehicle) + "\"");
  }
  Expect(tester.CompanyName() == model_.testerCompany, "the tester's company name is \"" +
                                                           Printable(tester.CompanyName()) + "\", expected \"" +
                                                           Printable(model_.testerCompany) + "\"");
}

void OperatorSequence::CheckAgainstModel() {
  Expect(form->ExitButton->text() == QStringLiteral("Exit") && !form->Timer1.isActive(),
         "a link session is still running");
  Expect(form->Edit3->text() == model_.companyEdit, "the company name box reads \"" +
                                                        form->Edit3->text().toStdString() + "\", expected \"" +
                                                        model_.companyEdit.toStdString() + "\"");
  CheckStore();
  CheckGridAndList();
  CheckTester();
}

}  // namespace orvel::testing
