#include "upload/dial_up.h"

#include "common/win32.h"

#include <wininet.h>
#include <ras.h>
#include <raserror.h>

#include <type_traits>
#include <vector>

namespace kelpo {

bool IsModemConnection() {
  DWORD connection = 0;
  return ::InternetGetConnectedState(&connection, 0) != FALSE &&
         (connection & INTERNET_CONNECTION_MODEM) != 0;
}

bool IsDialUpConnected() {
  // RASCONNW is a macro naming the structure, so it gets a proper type name.
  using RasConnection = std::remove_pointer_t<LPRASCONNW>;
  std::vector<RasConnection> connections(1);
  connections[0].dwSize = sizeof(RasConnection);
  DWORD bytes = sizeof(RasConnection);
  DWORD count = 0;
  DWORD answer = ::RasEnumConnectionsW(connections.data(), &bytes, &count);
  if (answer == ERROR_BUFFER_TOO_SMALL) {
    connections.assign((bytes + sizeof(RasConnection) - 1) / sizeof(RasConnection),
                       RasConnection{});
    connections[0].dwSize = sizeof(RasConnection);
    bytes = static_cast<DWORD>(connections.size() * sizeof(RasConnection));
    count = 0;
    answer = ::RasEnumConnectionsW(connections.data(), &bytes, &count);
  }
  if (answer != ERROR_SUCCESS) return false;

  if (count > connections.size()) count = static_cast<DWORD>(connections.size());
  for (DWORD i = 0; i < count; ++i) {
    RASCONNSTATUSW status{};
    status.dwSize = sizeof(status);
    if (::RasGetConnectStatusW(connections[i].hrasconn, &status) == ERROR_SUCCESS &&
        status.rasconnstate == RASCS_Connected) {
      return true;
    }
  }
  return false;
}

}  // namespace kelpo
