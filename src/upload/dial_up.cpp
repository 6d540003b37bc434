#include "upload/dial_up.h"

#include "common/win32.h"

#include <wininet.h>

namespace kelpo {

bool IsModemConnection() {
  DWORD connection = 0;
  return ::InternetGetConnectedState(&connection, 0) != FALSE &&
         (connection & INTERNET_CONNECTION_MODEM) != 0;
}

}  // namespace kelpo
