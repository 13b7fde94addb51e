#pragma once

#include <QPointer>
#include <QWidget>
#include <filesystem>
#include <optional>

#include "serial/PortDeviceMap.h"
#include "store/StoreLock.h"
#include "tables/TTable.h"

class QLabel;
class QPushButton;
class QTextEdit;

namespace orvel {

class TIDForm;

// The start window: a picture, the program's name and version, Start (when the ID
// store is usable) or a notice that the program files can't be created, and Exit.
// While it lives it holds the store's writer lock, so one store has one such window.
class TIntroForm : public QWidget {
  Q_OBJECT
 public:
  // devices names the serial device of each port number for the Configure IDs windows
  // that Start opens. Throws EStoreInUse, having changed nothing, when another program
  // holds the store.
  explicit TIntroForm(std::filesystem::path topLevelFolder, PortDeviceMap devices = SystemPortDevices(),
                      QWidget* parent = nullptr);

  QLabel* Image1 = nullptr;
  QLabel* Panel2 = nullptr;
  QWidget* Panel1 = nullptr;
  QPushButton* StartButton = nullptr;
  QPushButton* ExitButton = nullptr;
  QTextEdit* NoFilesMemo = nullptr;

  // The Configure IDs window of the latest Start; it releases itself when it closes.
  QPointer<TIDForm> IDForm;

 private:
  void BuildControls();
  void FormCreate();
  void StartButtonClick();
  void ExitButtonClick();

  std::filesystem::path topLevelFolder_;
  PortDeviceMap devices_;
  // Used only to create the group table when the store is first set up.
  TTable IDGroupTable;
  std::optional<StoreLock> storeLock_;
};

}  // namespace orvel
