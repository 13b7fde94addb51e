#include "tables/TSession.h"

namespace orvel {

TSession& Session() {
  static TSession session;
  return session;
}

}  // namespace orvel
