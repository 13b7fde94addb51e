// The window's side of the link session: what the engine shows and waits on, and the
// handlers of the transfers.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>

#include "app/MessageBoxes.h"
#include "app/TDBGrid.h"
#include "app/TDBLookupComboBox.h"
#include "app/QtText.h"
#include "app/WS_IDS.h"
#include "link/CompanyNameTransfer.h"
#include "link/IdListTransfer.h"
#include "link/TesterAddresses.h"
#include "store/IdListRows.h"

namespace orvel {
namespace {

void SetTextColour(QWidget* widget, QPalette::ColorRole role, const QColor& colour) {
  QPalette palette = widget->palette();
  palette.setColor(role, colour);
  widget->setPalette(palette);
}

QColor WindowTextColour() { return QApplication::palette().color(QPalette::WindowText); }

}  // namespace

template <typename Transfer>
void TIDForm::RunLinkTransfer(Transfer&& transfer) {
  SetSessionCommandsEnabled(false);
  try {
    transfer();
  } catch (...) {
    SetSessionCommandsEnabled(true);
    throw;
  }
  SetSessionCommandsEnabled(true);
}

void TIDForm::SetSessionCommandsEnabled(bool enabled) {
  for (QWidget* command :
       std::initializer_list<QWidget*>{GroupNameComboBox, NewGroupButton, DeleteGroupButton, UploadButton,
                                       DownLoadButton, ReadIDButton, SendIDButton, Edit3, IDGrid}) {
    command->setEnabled(enabled);
  }
}

void TIDForm::ReadIDButtonClick() {
  lastTransfer_ = TransferKind::CompanyName;
  RunLinkTransfer([this] {
    if (const auto name = ReadCompanyName(link_)) {
      Edit3->setText(QString::fromLatin1(*name));
      // A full 16-character name is wider than the box: show its beginning.
      Edit3->setCursorPosition(0);
    }
  });
}

void TIDForm::SendIDButtonClick() {
  const QString companyName = Edit3->text();
  if (const std::optional<UnfitCharacter> unfit = FirstUnfitCharacter(CodePoints(companyName))) {
    ShowInformation(UnfitCharacterRefusal("The company name", *unfit));
    return;
  }
  lastTransfer_ = TransferKind::CompanyName;
  RunLinkTransfer([this, &companyName] { SendCompanyName(link_, companyName.toLatin1().toStdString()); });
}

bool TIDForm::ShownGroupReady(const std::string& noGroupMessage) {
  if (!IDListTable.Active()) {
    ShowInformation(noGroupMessage);
    return false;
  }
  if (const auto problem = IdListProblem(IDListTable)) {
    ShowInformation(*problem);
    return false;
  }
  return true;
}

void TIDForm::UploadButtonClick() {
  // The row being edited is stored first, so that the rows a Read keeps (after the 32nd)
  // keep it too.
  if (!ShownGroupReady("Please select a group to write to") || !IDGrid->StoreCurrentRow()) return;
  if (!Confirm("Overwrite all current IDs?")) return;
  lastTransfer_ = TransferKind::IdList;
  RunLinkTransfer([this] {
    std::size_t idsRead = 0;
    const std::optional<IdPairs> pairs = ReadIdList(link_, [&idsRead](std::size_t, const std::string&) { ++idsRead; });
    if (pairs) {
      RewriteShownGroup([&](const std::string& tableName) {
        StoreReadPairs(folders_.idLists, tableName, {TrailerFieldName, VehicleFieldName}, *pairs);
      });
    } else {
      PlaceGridAfterTransfer(idsRead % SlotCount);
    }
  });
}

void TIDForm::DownLoadButtonClick() {
  if (!ShownGroupReady("Please select a group to read from") || !IDGrid->StoreCurrentRow()) return;
  const IdPairs rows = ReadIdListRows(folders_.idLists, IDListTable.TableName(), {TrailerFieldName, VehicleFieldName});
  lastTransfer_ = TransferKind::IdList;
  RunLinkTransfer([this, &rows] {
    std::size_t idsSent = 0;
    SendIdList(link_, rows, [&idsSent](std::size_t, const std::string&) { ++idsSent; });
    PlaceGridAfterTransfer(idsSent / 2);
  });
}

void TIDForm::PlaceGridAfterTransfer(std::size_t slotsDone) {
  if (link_.LastEnd() == SessionEnd::Failed && static_cast<int>(slotsDone) < IDListTable.RecordCount()) {
    // After a failure the grid stays on the row whose ID failed, so the operator sees
    // where the transfer stopped.
    IDListTable.SetRecNo(static_cast<int>(slotsDone) + 1);
  } else {
    IDListTable.First();
  }
}

void TIDForm::ShowStatusPage() { PageControl1->setCurrentWidget(StatusTab); }

void TIDForm::ShowSessionRunning() {
  ExitButton->setText(QStringLiteral("Cancel"));
  SetTextColour(ExitButton, QPalette::ButtonText, QColor(255, 0, 0));
  SetTextColour(Label3, QPalette::WindowText, WindowTextColour());
}

void TIDForm::ShowSessionCancelled() { ExitButton->setText(QStringLiteral("Exit")); }

void TIDForm::ShowSessionEnded() {
  SetTextColour(Label3, QPalette::WindowText, WindowTextColour());
  ExitButton->setText(QStringLiteral("Exit"));
  SetTextColour(ExitButton, QPalette::ButtonText, WindowTextColour());
}

void TIDForm::SetStatusText(const std::string& text) { Label3->setText(QString::fromLatin1(text)); }

void TIDForm::SetIdentityText(const std::string& text) { Label4->setText(QString::fromLatin1(text)); }

void TIDForm::SetPollTimerEnabled(bool enabled) {
  if (!enabled) {
    Timer1.stop();
  } else if (!Timer1.isActive()) {
    Timer1.start();
  }
}

void TIDForm::StartPageReturnTimer() { EnableTimer2(); }

void TIDForm::ProcessEvents() { QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents); }

void TIDForm::ProcessPendingEvents() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

void TIDForm::Beep() { MessageBeep(); }

void TIDForm::ShowInformation(const std::string& text) { orvel::ShowInformation(text); }

bool TIDForm::Confirm(const std::string& question) {
  return AskConfirmation(question, ConfirmButtons::YesNoCancel) == BoxResult::Yes;
}

void TIDForm::NotifyPortSkipped(const std::string& advice) { ShowNotice(advice); }

}  // namespace orvel
