#include "app/MessageBoxes.h"

#include <QApplication>

#include "app/ApplicationTitle.h"
#include "app/ModalBox.h"

namespace orvel {

void ShowInformation(const std::string& text) {
  ModalBox box(QStringLiteral("Information"), QStyle::SP_MessageBoxInformation, QString::fromLatin1(text),
               {BoxResult::Ok});
  box.Run();
}

void ShowNotice(const std::string& text) {
  // A box without a parent is blocked by the modal window that is open (the Configure IDs
  // window during a port search) and could not be closed; as that window's child it can.
  auto* box = new ModalBox(QStringLiteral("Information"), QStyle::SP_MessageBoxInformation, QString::fromLatin1(text),
                           {BoxResult::Ok}, QApplication::activeModalWidget());
  box->setModal(false);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->ShowCentred();
}

BoxResult AskConfirmation(const std::string& text, ConfirmButtons buttons) {
  std::vector<BoxResult> results = buttons == ConfirmButtons::YesNoCancel
                                       ? std::vector<BoxResult>{BoxResult::Yes, BoxResult::No, BoxResult::Cancel}
                                       : std::vector<BoxResult>{BoxResult::Ok, BoxResult::Cancel};
  ModalBox box(QStringLiteral("Confirm"), QStyle::SP_MessageBoxQuestion, QString::fromLatin1(text), std::move(results));
  return box.Run();
}

void ShowError(const std::string& text) {
  ModalBox box(QString::fromLatin1(ApplicationTitle()), QStyle::SP_MessageBoxCritical, QString::fromLatin1(text),
               {BoxResult::Ok});
  box.Run();
}

}  // namespace orvel
