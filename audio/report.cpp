#include "report.h"

#include <cstdio>
#include <utility>

namespace {

ReportHook& CurrentHook()
{
    static ReportHook hook;
    return hook;
}

}  // namespace

ReportHook SetReportHook(ReportHook hook)
{
    return std::exchange(CurrentHook(), std::move(hook));
}

void ReportFailure(const std::string& message)
{
    if (const ReportHook& hook = CurrentHook())
        hook(message);
    else
        std::fprintf(stderr, "%s\n", message.c_str());
}
