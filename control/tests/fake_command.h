// A scripted command for the template's tests: one showing of a window that
// runs what the test says while it is open (the host calling back into the
// control, an error, an urgent exit).
#pragma once

#include <functional>

#include "option_command.h"

namespace rotam::testing {

// The command option_command() answers with; with none installed, running
// raises 91 as a command whose window is missing would.
void install_command(OptionCommand *command);

class FakeCommand : public OptionCommand {
public:
    std::function<void(int n)> while_open;

    void run(Control &) override {
        loaded_ = true;
        const int n = shows_++;
        if (while_open)
            while_open(n);
    }
    void unload() override {
        ++unloads_;
        loaded_ = false;
    }

    int shows() const { return shows_; }
    int unloads() const { return unloads_; }
    bool loaded() const { return loaded_; }

private:
    int shows_ = 0;
    int unloads_ = 0;
    bool loaded_ = false;
};

}  // namespace rotam::testing
