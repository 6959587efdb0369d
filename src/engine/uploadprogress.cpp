#include "engine/uploadprogress.h"

namespace uploadprogress
{
namespace
{
Reporter &current()
{
    thread_local Reporter reporter;
    return reporter;
}
} // namespace

void install(Reporter reporter)
{
    current() = std::move(reporter);
}

void clear()
{
    current() = nullptr;
}

void report(qint64 bytesDone)
{
    if (const Reporter &reporter = current())
        reporter(bytesDone);
}

} // namespace uploadprogress
