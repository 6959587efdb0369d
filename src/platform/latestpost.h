#pragma once

#include "platform/uithread.h"

#include <QCoreApplication>
#include <QTimer>

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>

// Hands a value that changes quickly (a progress read-out) to the window thread without letting
// the sender wait for the screen: at most one delivery is pending, it carries the latest value,
// and deliveries are at least `interval` apart. A transfer that updates the value a hundred
// thousand times wakes the window thread only a few times a second; the last value always
// arrives. Pass raw values and format them in `deliver`, so that the sender does not pay for
// texts nobody sees.
template <typename T> class LatestPost
{
public:
    // `deliver` runs on the window thread with the latest value.
    explicit LatestPost(std::function<void(const T &)> deliver,
                        std::chrono::milliseconds interval = std::chrono::milliseconds(50))
        : state_(std::make_shared<State>())
    {
        state_->deliver = std::move(deliver);
        state_->interval = interval;
    }
    // A delivery still queued finds nobody to deliver to: `deliver` may hold its owner. Destroy a
    // post on the window thread, where the deliveries run.
    ~LatestPost()
    {
        std::lock_guard lock(state_->mutex);
        state_->deliver = nullptr;
    }
    LatestPost(const LatestPost &) = delete;
    LatestPost &operator=(const LatestPost &) = delete;

    // Any thread; never blocks on the window thread.
    void set(T value)
    {
        {
            std::lock_guard lock(state_->mutex);
            state_->latest = std::move(value);
            if (state_->pending)
                return;
            state_->pending = true;
        }
        // The post holds the state, so a call still queued when the owner is gone stays harmless.
        uithread::post([state = state_] {
            const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(
                state->lastDelivery + state->interval - std::chrono::steady_clock::now());
            if (wait.count() <= 0)
                deliverLatest(state);
            else
                QTimer::singleShot(wait, QCoreApplication::instance(), [state] { deliverLatest(state); });
        });
    }

private:
    struct State {
        std::function<void(const T &)> deliver;
        std::chrono::milliseconds interval{0};
        std::chrono::steady_clock::time_point lastDelivery{}; // window thread only
        std::mutex mutex;
        T latest{};
        bool pending = false;
    };
    std::shared_ptr<State> state_;

    static void deliverLatest(const std::shared_ptr<State> &state)
    {
        T value;
        std::function<void(const T &)> deliver;
        {
            std::lock_guard lock(state->mutex);
            value = state->latest;
            state->pending = false;
            deliver = state->deliver;
        }
        state->lastDelivery = std::chrono::steady_clock::now();
        if (deliver)
            deliver(value);
    }
};
