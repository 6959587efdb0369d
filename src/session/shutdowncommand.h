#pragma once

#include <QString>
#include <QStringList>

// Shuts the computer down after a transfer run, through a command that tests replace.
namespace shutdowncommand
{

// "systemctl poweroff" unless a test set another.
[[nodiscard]] QStringList command();
void setForTest(const QStringList &command);
void resetForTest();

// Runs the command and waits for it (bounded; a stop request ends the wait). An empty text when
// it succeeded, else what went wrong.
[[nodiscard]] QString run();

} // namespace shutdowncommand
