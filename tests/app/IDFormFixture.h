#pragma once

#include <gtest/gtest.h>

#include <QPointer>
#include <QWidget>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "TempFolder.h"
#include "app/WS_IDS.h"
#include "serial/PortDeviceMap.h"
#include "store/StoreFolders.h"

namespace orvel::testing {

// A ready ID store in a temporary folder and a Configure IDs window on it, shown
// normally so that tests can drive it without a modal loop of its own.
class IDFormFixture : public ::testing::Test {
 protected:
  IDFormFixture();
  ~IDFormFixture() override;

  // The window's port search sees the ports devices names; the default is the host's.
  TIDForm& OpenForm(PortDeviceMap devices = SystemPortDevices());

  // The group table's rows as stored on disk: group name and ID list table name.
  std::vector<std::pair<std::string, std::string>> StoredGroups() const;
  // The row count of an ID list table on disk, or -1 when it does not exist.
  int StoredIdListRows(const std::string& tableName) const;
  // Creates a group through the window's New button, answering the input box.
  void CreateGroupThroughWindow(const QString& name);
  // Chooses the index-th name of the group list through its drop-down.
  void ChooseGroupByDropDown(int index);
  // Brings a page forward by clicking its tab, as the operator does.
  void ClickPage(QWidget* page);
  // Types text key by key into the grid's current cell, opening its editor.
  void TypeIntoGrid(const QString& text);
  // Presses a key in the grid, or in its cell editor when one is open.
  void PressInGrid(int key);
  // The path of an ID list table's file on disk.
  std::filesystem::path IdListFile(const std::string& tableName) const;

  TempFolder temp;
  StoreFolders folders;
  QWidget startWindow;
  QPointer<TIDForm> form;
};

}  // namespace orvel::testing
