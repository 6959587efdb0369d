#pragma once

// A pane that takes the commands the frame does not handle itself. The frame offers each such
// command to the active pane first; a command no pane takes stays disabled.
class CommandTarget
{
public:
    virtual ~CommandTarget() = default;
    [[nodiscard]] virtual bool handlesCommand(int id) const = 0;
    [[nodiscard]] virtual bool isCommandEnabled(int id) const { return handlesCommand(id); }
    virtual void runCommand(int id) = 0;
};
