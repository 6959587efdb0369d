#pragma once

#include "platform/uithread.h"
#include "session/session.h"
#include "session/sessioncontroller.h"

#include <QPointer>

// Puts a question to the user on the window thread and waits for the answer; with no question
// view (gone, or never registered) the answer is `none`. The call holds the controller by a
// guarded pointer: a job stopped while it waits leaves the call behind.
template <typename T, typename Ask> T askUser(const Session &s, T none, Ask ask)
{
    return uithread::call<T>([controller = QPointer<SessionController>(s.controller), none, ask]() -> T {
        QuestionView *view = controller ? controller->views().questions : nullptr;
        return view ? ask(*view) : none;
    });
}
