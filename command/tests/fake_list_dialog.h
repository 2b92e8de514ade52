// A scripted stand-in for the drawing list dialog: the test says what bret
// each showing leaves behind and what happens while the dialog is open (the
// host calling back into the control, an error, an unload).
#pragma once

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <vector>

#include "user_command.h"

namespace rotam::testing {

class FakeListDialog : public command::ListDialog {
public:
    // bret after the n-th showing (from 0); 0 for showings beyond the list.
    std::vector<std::int16_t> brets;
    // Runs while the n-th showing is open; may throw or unload the dialog.
    std::function<void(int n)> while_open;

    void show_modal() override {
        if (!loaded_) {
            loaded_ = true;
            bret_ = 0;
        }
        const int n = shows_++;
        // A dialog loop that never ends is a fault under test, not a hang.
        if (n >= kMaxShows)
            throw std::logic_error("dialog shown too often");
        open_ = true;
        struct Closing {
            bool &open;
            ~Closing() { open = false; }
        } closing{open_};
        bret_ = static_cast<std::size_t>(n) < brets.size() ? brets[n] : 0;
        if (while_open)
            while_open(n);
    }
    void unload() override {
        ++unloads_;
        open_ = false;
        loaded_ = false;
    }
    std::int16_t bret() const override { return bret_; }

    int shows() const { return shows_; }
    int unloads() const { return unloads_; }
    bool loaded() const { return loaded_; }
    bool open() const { return open_; }

    static constexpr int kMaxShows = 100;

private:
    std::int16_t bret_ = 0;
    int shows_ = 0;
    int unloads_ = 0;
    bool loaded_ = false;
    bool open_ = false;
};

}  // namespace rotam::testing
