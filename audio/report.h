#pragma once

#include <functional>
#include <string>

// Failures that the user must see (a missing recording, a refusing sound
// device) go through one hook: the application shows them in a message box,
// command-line tools print them, tests record them.
using ReportHook = std::function<void(const std::string& message)>;

// Installs the hook and returns the previous one. An empty hook restores the
// default, which writes the message to standard error.
ReportHook SetReportHook(ReportHook hook);

void ReportFailure(const std::string& message);
