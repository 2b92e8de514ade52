// The test programs' option_command(): whatever the running test installed.
#include "fake_command.h"

#include "runtime_error.h"

namespace rotam {
namespace {

OptionCommand *g_installed = nullptr;

struct Missing final : OptionCommand {
    void run(Control &) override {
        throw RuntimeError(91, "Object variable or With block variable not set");
    }
};

}  // namespace

void testing::install_command(OptionCommand *command) { g_installed = command; }

OptionCommand &option_command() {
    static Missing missing;
    return g_installed ? *g_installed : missing;
}

}  // namespace rotam
