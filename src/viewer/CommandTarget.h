#pragma once
// A link in the command route (focused pane, photo view, document, main
// frame, application): it may handle a command and say whether the command is
// enabled and checked.

struct CommandState {
    bool enabled = true;
    bool checked = false;
};

class CommandTarget {
public:
    virtual ~CommandTarget() = default;
    // True when this target took the command.
    virtual bool OnCommand(int id) { return false; }
    // True when this target decides the command's state (it then fills `state`).
    virtual bool OnUpdateCommand(int id, CommandState& state) { return false; }
};
