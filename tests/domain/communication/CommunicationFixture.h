#pragma once

// The window tests' name for the demo settled as its windows do it (support/DemoDocumentTest.h).

#include "domain/communication/PeriodicCommunication.h"
#include "suite/Messages.h"
#include "support/DemoDocumentTest.h"

namespace liqiva::test {
using CommunicationTest = DemoDocumentTest;
} // namespace liqiva::test
