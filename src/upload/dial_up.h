// How the machine reaches the network: the dial-up checks made before an
// upload starts.
#pragma once

namespace kelpo {

// True when the machine's connection to the network is a modem's: the
// default of the dial-up setting.
bool IsModemConnection();

// True when RAS reports a connection in the connected state.
bool IsDialUpConnected();

}  // namespace kelpo
