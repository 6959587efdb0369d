#pragma once

#include <QString>

#include <functional>
#include <memory>

// Hands a text that changes quickly (a progress read-out) to the window thread without letting
// the sender wait for the screen: at most one post is pending, and it delivers the latest text.
// A transfer that updates the text a hundred thousand times queues only as many calls as the
// window thread manages to run meanwhile.
class LatestPost {
public:
    // `deliver` runs on the window thread with the latest text.
    explicit LatestPost(std::function<void(const QString &)> deliver);

    // Any thread; never blocks on the window thread.
    void set(const QString &text);

private:
    struct State;
    std::shared_ptr<State> state_;
};
