#pragma once

#include <QTimer>
#include <QWidget>
#include <functional>
#include <string>

#include "link/LinkSession.h"
#include "link/LinkSessionHost.h"
#include "link/SerialLinkPort.h"
#include "serial/PortDeviceMap.h"
#include "serial/TSerialPort.h"
#include "store/StoreFolders.h"
#include "tables/TDataSource.h"
#include "tables/TTable.h"

class QAction;
class QEventLoop;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTabWidget;
class QToolButton;

namespace orvel {

class TDBGrid;
class TDBLookupComboBox;

// The Configure IDs window: the grid of the chosen group's ID pairs, the Exit button
// (Cancel while the tester is being talked to) and three pages: Group Name, Company Name
// and Status. It owns the tables, their data sources, the serial port and the timers for
// its whole life; each Start builds a new one.
class TIDForm : public QWidget, private LinkSessionHost {
  Q_OBJECT
 public:
  // startWindow is shown again when this window closes; devices names the serial device
  // of each port number the tester is looked for on.
  TIDForm(StoreFolders folders, QWidget* startWindow, PortDeviceMap devices = SystemPortDevices());
  ~TIDForm() override;

  // Shows the window modally and returns once it has closed.
  void ShowModal();

  // Controls, named as the operator's documentation names them.
  QGroupBox* GroupBox7 = nullptr;
  TDBGrid* IDGrid = nullptr;
  QToolButton* ExitButton = nullptr;
  QTabWidget* PageControl1 = nullptr;
  QWidget* GroupNameTab = nullptr;
  QGroupBox* GroupBox6 = nullptr;
  TDBLookupComboBox* GroupNameComboBox = nullptr;
  QPushButton* NewGroupButton = nullptr;
  QPushButton* DeleteGroupButton = nullptr;
  QPushButton* UploadButton = nullptr;
  QPushButton* DownLoadButton = nullptr;
  QWidget* CompanyIDTab = nullptr;
  QGroupBox* GroupBox5 = nullptr;
  QLineEdit* Edit3 = nullptr;
  QPushButton* ReadIDButton = nullptr;
  QPushButton* SendIDButton = nullptr;
  QWidget* StatusTab = nullptr;
  QGroupBox* GroupBox3 = nullptr;
  QLabel* Label3 = nullptr;
  QLabel* Label4 = nullptr;
  // The grid's own menu: CSV import into the group it shows, and export from it.
  QMenu* IDGridPopupMenu = nullptr;
  QAction* ImportCsvItem = nullptr;
  QAction* ExportCsvItem = nullptr;

  TTable IDGroupTable;
  TDataSource DataSource1{&IDGroupTable};
  TTable IDListTable;
  TDataSource DataSource2{&IDListTable};
  TSerialPort Commune;
  QTimer Timer1;
  QTimer Timer2;

  // The field names of an ID list table; empty until the window's creation set them.
  std::string TrailerFieldName;
  std::string VehicleFieldName;

  // Asks the operator for the CSV file to import from or export to (with a name to
  // suggest); an empty text when they cancel. File dialogs unless a test puts its own
  // answer here.
  enum class CsvFileChoice { Import, Export };
  std::function<QString(CsvFileChoice choice, const QString& suggestedName)> chooseCsvFile;

  // Whether a button handler is running; a close asked for meanwhile waits for it.
  bool HandlerRunning() const { return runningHandlers_ > 0; }

  // Event handlers, public so the window's behaviour can be driven tick by tick.
  void ExitButtonClick();
  void Timer2Timer();
  void GroupNameComboBoxCloseUp();
  void NewGroupButtonClick();
  void DeleteGroupButtonClick();
  // Told of every character typed into the grid, as its 8-bit code (or a larger one for
  // a character outside the 8-bit set); sets it to 0 to discard the key.
  void IDGridKeyPress(int& key);
  // Why an ID cannot take a text that is pasted, dropped or composed, or a changed cell's
  // text; empty when it can.
  std::string IDGridTextRefusal(const QString& text) const;
  void ReadIDButtonClick();
  void SendIDButtonClick();
  void UploadButtonClick();
  void DownLoadButtonClick();
  // Shows the grid's menu at a point of the screen.
  void IDGridContextPopup(const QPoint& globalPosition);
  void ImportCsvItemClick();
  void ExportCsvItemClick();
  // Enables Timer2 without restarting a second already running.
  void EnableTimer2();

  // The link session engine with its state.
  LinkSession& Link() { return link_; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  friend class HandlerScope;

  void BuildControls();
  void BuildGroupNamePage();
  void BuildCompanyNamePage();
  void BuildStatusPage();
  void BuildGridMenu();
  // Connects a button to a handler that runs under a handler scope.
  void OnClick(QPushButton* button, void (TIDForm::*handler)());

  void FormCreate();
  void FormClose();
  void HandlerFinished();
  // Enter's move in the grid; true when it wrapped to the top of the other column.
  bool EnterWrapped();
  // Keeps the commands that would start another exchange or change the group off
  // while a link session runs; Cancel, the pages and closing stay live.
  void SetSessionCommandsEnabled(bool enabled);
  template <typename Transfer>
  void RunLinkTransfer(Transfer&& transfer);
  // Whether the grid shows a group whose table can take part in a transfer; tells the
  // operator why not (noGroupMessage when no group is chosen).
  bool ShownGroupReady(const std::string& noGroupMessage);
  // After an ID list transfer that did not store the group's rows: the grid on the row
  // whose ID failed, else on the first row.
  void PlaceGridAfterTransfer(std::size_t slotsDone);
  // Replaces the shown group's rows through write, given the table's name, with the table
  // closed meanwhile; the grid then shows the group again, from its first row.
  void RewriteShownGroup(const std::function<void(const std::string& tableName)>& write);
  // The name of the group whose rows the grid shows.
  std::string ShownGroupName();
  QString ChooseCsvFileWithDialog(CsvFileChoice choice, const QString& suggestedName);

  void ShowStatusPage() override;
  void ShowSessionRunning() override;
  void ShowSessionCancelled() override;
  void ShowSessionEnded() override;
  void SetStatusText(const std::string& text) override;
  void SetIdentityText(const std::string& text) override;
  void SetPollTimerEnabled(bool enabled) override;
  void StartPageReturnTimer() override;
  void ProcessEvents() override;
  void ProcessPendingEvents() override;
  void Beep() override;
  void ShowInformation(const std::string& text) override;
  bool Confirm(const std::string& question) override;
  void NotifyPortSkipped(const std::string& advice) override;

  StoreFolders folders_;
  QWidget* startWindow_;
  SerialLinkPort communePort_;
  LinkSession link_;
  QEventLoop* modalLoop_ = nullptr;
  int runningHandlers_ = 0;
  bool closePending_ = false;
  // A drop-down close switched to a group since the last New or Delete, whether or not
  // its ID list table could be opened; Delete refuses until then.
  bool groupSwitchedIn_ = false;
  // Which page a session's success returns to.
  enum class TransferKind { IdList, CompanyName };
  TransferKind lastTransfer_ = TransferKind::IdList;
  // Where the file dialogs open: the folder of the last CSV file chosen.
  QString csvFolder_;
};

// Marks a button handler as running for as long as it lives, so a close requested
// meanwhile (for instance from inside a wait that pumps events) is carried out only
// when the handler has returned.
class HandlerScope {
 public:
  explicit HandlerScope(TIDForm& form) : form_(form) { ++form_.runningHandlers_; }
  ~HandlerScope() { form_.HandlerFinished(); }
  HandlerScope(const HandlerScope&) = delete;
  HandlerScope& operator=(const HandlerScope&) = delete;

 private:
  TIDForm& form_;
};

}  // namespace orvel
