#include "platform/durations.h"

#include <array>
#include <atomic>

namespace durations {
namespace {

using namespace std::chrono_literals;

constexpr std::array<std::chrono::milliseconds, 7> defaults{500s, 3500ms, 60s, 30s, 1s, 60s, 60s};
std::array<std::atomic<long long>, 7> overrides{-1, -1, -1, -1, -1, -1, -1};

} // namespace

std::chrono::milliseconds get(Kind kind)
{
    const auto index = static_cast<size_t>(kind);
    const long long value = overrides[index].load();
    return value >= 0 ? std::chrono::milliseconds(value) : defaults[index];
}

void setForTest(Kind kind, std::chrono::milliseconds value)
{
    overrides[static_cast<size_t>(kind)] = value.count();
}

void resetForTest()
{
    for (auto &value : overrides)
        value = -1;
}

} // namespace durations
