#pragma once
// Everything of the transport module in one include: the log, the socket helpers and the URL,
// form-encoding and text helpers.
#include "platform/modDSSockLog.h"
#include "transport/modDSSockSocket.h"
#include "transport/modDSSockUrl.h"
