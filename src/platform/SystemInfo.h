#pragma once

#include <QString>

// Who and where the program runs.
namespace SystemInfo {
// The login name of the current user; empty when it cannot be read.
QString userName();
// The host name of the machine.
QString computerName();
} // namespace SystemInfo
