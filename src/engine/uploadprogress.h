#pragma once

#include <QtGlobal>

#include <functional>

// The upload loop's progress read-out, reached from SendAll after every piece it sends while an
// upload file is open. The loop installs its reporter for the length of one upload, for its own
// thread only: several connections upload at once, each on its own thread, and none may report
// into another's read-out.
namespace uploadprogress
{

// Receives the bytes done so far, the resume offset included.
using Reporter = std::function<void(qint64 bytesDone)>;

void install(Reporter reporter);
void clear();
void report(qint64 bytesDone);

// Installs a reporter for the lifetime of the scope.
class Scope
{
public:
    explicit Scope(Reporter reporter) { install(std::move(reporter)); }
    ~Scope() { clear(); }
    Scope(const Scope &) = delete;
    Scope &operator=(const Scope &) = delete;
};

} // namespace uploadprogress
