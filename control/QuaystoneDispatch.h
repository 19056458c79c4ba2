#pragma once
// The control behind its dispatch interface: members by dispatch id
// (QuaystoneIds.h), the OnError event, and the saved properties.
#include "dispatch/Dispatch.h"

#include <memory>

class WordAutomation;

// A control served by dispatch id, working with `automation`.
std::unique_ptr<DispatchTarget> MakeQuaystoneDispatchTarget(std::shared_ptr<WordAutomation> automation);
