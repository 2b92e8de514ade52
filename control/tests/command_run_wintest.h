// What the service-layer tests under Wine share: a real control whose events
// reach a real COM sink that answers the version question and whatever a test
// adds, and command code that takes the command's place inside
// ZynInitCommand.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "control_object.h"
#include "fake_command.h"
#include "record.h"
#include "service.h"
#include "wintest_util.h"

namespace rotam::test {

constexpr DISPID kInitCommand = 0x60030000, kGetZynVersion = 224;

// The command's place in the run: shows nothing, runs the command code.
struct CommandCode final : OptionCommand {
    std::function<void()> body;
    void run(Control &) override {
        if (body)
            body();
    }
};

// Replaces the text a by-reference BSTR argument points at.
inline void set_text(VARIANTARG *a, const std::wstring &text) {
    SysFreeString(*a->pbstrVal);
    *a->pbstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
}

class CommandRunUnderWine : public ::testing::Test {
protected:
    using Answer = std::function<void(std::vector<VARIANTARG *> &)>;
    explicit CommandRunUnderWine(std::wstring host_version) : host_version_(std::move(host_version)) {}

    OleThread ole;
    com_ptr<IDispatch> control;
    com_ptr<Sink> sink = Sink::make();
    CommandCode code;
    std::map<DISPID, Answer> answers;  // the host's answers by event

    void SetUp() override {
        ASSERT_EQ(com::create_control(IID_IDispatch, control.put_void()), S_OK);
        ASSERT_NE(advise(control.get(), sink.get()), 0u);
        sink->handler = [this](DISPID id, std::vector<VARIANTARG *> &args) {
            if (id == kGetZynVersion)
                set_text(args[0], host_version_);
            else if (auto a = answers.find(id); a != answers.end())
                a->second(args);
            return S_OK;
        };
        testing::install_command(&code);
    }
    void TearDown() override {
        testing::install_command(nullptr);
        HostVersion().clear();
        DropCurrentRecord();
        PackageRecords().erase();
    }
    // One run of the command with body as its command code.
    void run_code(std::function<void()> body) {
        code.body = std::move(body);
        EXPECT_EQ(call(control.get(), kInitCommand, {}).hr, S_OK);
    }

private:
    std::wstring host_version_;
};

}  // namespace rotam::test
