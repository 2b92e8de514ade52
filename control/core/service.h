// What every service wrapper shares: the host-version gate with its refusal
// message, and the translation between the command's booleans (true = -1)
// and the host's flags (1 / 0).
//
// Wrappers are free functions taking the control, in namespace
// rotam::wrappers; they are not on the automation interface, so only code
// inside the component reaches them.
#pragma once

#include <cstdint>
#include <string>

#include "control.h"

namespace rotam {

// Message boxes go through this seam: the Windows build shows the platform's
// box with the wide-character texts; native tests record what was asked.
class MessageBoxUi {
public:
    virtual ~MessageBoxUi() = default;
    // style: the platform's MB_* bits (MB_OK = 0, MB_YESNO = 4,
    // MB_ICONEXCLAMATION = 0x30).  Returns the button pressed (IDOK = 1,
    // IDYES = 6, IDNO = 7).
    virtual int show(const std::u16string &text, const std::u16string &title, std::uint32_t style) = 0;
};
constexpr std::uint32_t kMbOk = 0;
constexpr std::uint32_t kMbYesNo = 4;
constexpr std::uint32_t kMbIconExclamation = 0x30;
constexpr int kIdOk = 1;
constexpr int kIdYes = 6;
constexpr int kIdNo = 7;

// nullptr restores the platform's box (on POSIX a headless one that answers
// OK without showing anything).
void set_message_box(MessageBoxUi *ui);
MessageBoxUi &message_box();
// The box of this platform (message_box_win32.cpp / message_box_posix.cpp).
MessageBoxUi &platform_message_box();

// The title of the component's own messages: its library name, set by the
// component when it loads ("rotamcmd" until then).
const std::u16string &component_name();
void set_component_name(std::u16string name);

// The control a wrapper is called on: the running control (CommandControl).
// With no run holding one, a call would go to no control at all, which
// raises 91 "Object variable or With block variable not set" and fires
// nothing.  Every wrapper's first step.
Control &service_control();

namespace wrappers {

// Version number of "a, b, c, d": a*1000000 + b*10000 + c*100 + d.
Long ZynVersionNumber(const String &text);
// True (-1) when HostVersion is at least required; else shows the refusal
// message and returns false (0).
Flag ZynCheckVersion(const String &required);

}  // namespace wrappers

// Argument rules C and D.
inline std::int16_t flag_strict(Flag b) { return b == -1 ? 1 : 0; }
inline std::int16_t flag_loose(Flag b) { return b != 0 ? 1 : 0; }
inline Flag bool_strict(std::int32_t v) { return v == 1 ? -1 : 0; }
inline Flag bool_loose(std::int32_t v) { return v != 0 ? -1 : 0; }

}  // namespace rotam
