#include "platform/beep.h"

#include "platform/uithread.h"
#include "platform/appsettings.h"

#include <memory>
#include <mutex>

namespace
{

std::mutex soundMutex;
std::shared_ptr<std::function<void()>> currentSound;

} // namespace

void setBeepSound(std::function<void()> sound)
{
    std::lock_guard lock(soundMutex);
    currentSound = sound ? std::make_shared<std::function<void()>>(std::move(sound)) : nullptr;
}

void Beep()
{
    uithread::post([] {
        std::shared_ptr<std::function<void()>> sound;
        {
            std::lock_guard lock(soundMutex);
            sound = currentSound;
        }
        if (sound)
            (*sound)();
    });
}

void BeepIfEnabled()
{
    if (appSettings().soundEffects)
        Beep();
}
