// How the machine reaches the network: by modem or not.
#pragma once

namespace kelpo {

// True when the machine's connection to the network is a modem's.
bool IsModemConnection();

}  // namespace kelpo
