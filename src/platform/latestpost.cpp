#include "platform/latestpost.h"

#include "platform/uithread.h"

#include <mutex>

struct LatestPost::State {
    std::function<void(const QString &)> deliver;
    std::mutex mutex;
    QString latest;
    bool pending = false;
};

LatestPost::LatestPost(std::function<void(const QString &)> deliver) : state_(std::make_shared<State>())
{
    state_->deliver = std::move(deliver);
}

void LatestPost::set(const QString &text)
{
    {
        std::lock_guard lock(state_->mutex);
        state_->latest = text;
        if (state_->pending)
            return;
        state_->pending = true;
    }
    // The post holds the state, so a call still queued when the owner is gone stays harmless.
    uithread::post([state = state_] {
        QString text;
        {
            std::lock_guard lock(state->mutex);
            text = state->latest;
            state->pending = false;
        }
        if (state->deliver)
            state->deliver(text);
    });
}
