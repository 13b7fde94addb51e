#include <memory>

#include "app/ErrorReport.h"
#include "app/Identities.h"
#include "app/OrvelApplication.h"
#include "store/StoreFolders.h"

int main(int argc, char** argv) {
  orvel::OrvelApplication application(argc, argv);
  std::unique_ptr<orvel::TIntroForm> introForm;
  const bool created = orvel::RunReportingErrors(
      [&] { introForm = std::make_unique<orvel::TIntroForm>(orvel::DefaultTopLevelFolder()); });
  if (!created) return 1;
  introForm->show();
  return application.exec();
}
