// The portable core of ZynOptCmd120: the input state, the lifecycle methods
// and the core wrappers.  The COM adapter (control/com) owns one Control per
// COM object and forwards property access and method calls to it; native
// tests drive it directly with a fake host.
//
// Every lifecycle method may throw RuntimeError; none traps anything.
#pragma once

#include <cstdint>
#include <string>

#include "host_events.h"
#include "runtime_error.h"

namespace rotam {

using Long = std::int32_t;
using Double = double;
using String = std::u16string;
using Flag = std::int16_t;  // true = -1, false = 0

struct InputState {
#define ROTAM_PROPERTY(name, Type) Type name{};
#include "properties.inc"
#undef ROTAM_PROPERTY
};

// What the core needs from whoever owns it: the events go to the host, and
// the command keeps the control alive while it holds it in CommandControl.
class ControlOwner {
public:
    virtual ~ControlOwner() = default;
    virtual HostEvents &host() = 0;
    virtual void add_ref() = 0;
    virtual void release() = 0;
};

class Control {
public:
    explicit Control(ControlOwner &owner);
    Control(const Control &) = delete;
    Control &operator=(const Control &) = delete;

    InputState &state() { return state_; }
    const InputState &state() const { return state_; }
    HostEvents &host() { return owner_.host(); }
    void add_ref() { owner_.add_ref(); }
    void release() { owner_.release(); }

    // Lifecycle methods, in interface order (DISPID 0x60030000 + index).
    void ZynInitCommand();
    void ZynSelectEnd(std::int16_t &sw, Long &nSelect);
    void ZynGCINEnd(Long &pmcx, Long &pmcy, Long &pmcxUp, Long &pmcyUp,
                    Double &pgcx, Double &pgcy, Double &pgcxUp, Double &pgcyUp,
                    Double &pdcx, Double &pdcy, Double &pdcxUp, Double &pdcyUp,
                    Long &psw, Long &pnFlags, Long &pnFlagsUp, Long &pkey, String &pstr);
    void ZynTransDrag(Long &pmcx, Long &pmcy, Long &pmcxUp, Long &pmcyUp,
                      Double &pgcx, Double &pgcy, Double &pgcxUp, Double &pgcyUp,
                      Double &pdcx, Double &pdcy, Double &pdcxUp, Double &pdcyUp,
                      Long &psw, Long &pnFlags, Long &pnFlagsUp, Long &pkey, String &pstr);
    void ZynEscape();
    void ZynFromDrawingEnd(Long &psw, Long &pFDmcx0, Long &pFDmcy0, Long &pFDmcx1, Long &pFDmcy1,
                           Long &pFDmcx2, Long &pFDmcy2, Double &pFDgcx0, Double &pFDgcy0,
                           Double &pFDgcx1, Double &pFDgcy1, Double &pFDgcx2, Double &pFDgcy2);
    void ZynUrgentExit();
    // The ten mouse methods and the five key methods only set cont to 0.
    void ZynOnMouse(Long &nFlags, Long &pointX, Long &pointY, Long &cont);
    void ZynOnMouseWheel(Long &nFlags, std::int16_t &zDelta, Long &pointX, Long &pointY, Long &cont);
    void ZynOnKey(Long &nChar, Long &nRepCnt, Long &nFlags, Long &cont);
    void ZynRestartCommand(Long &Mode);

    // Called by the COM adapter when the host releases its last reference.
    // Never throws.
    void teardown() noexcept;

    // Core wrappers (not on the automation interface).
    void ZynGetZynVersion(String &ver);
    void ZynExitCommand();

    // True while the command's end routine tells the host that this
    // control's run has ended.  It belongs to the control, not the module:
    // a host that answers the notice by starting another control's run must
    // hear that run's own end.
    bool ending_run() const { return ending_run_; }
    void set_ending_run(bool ending) { ending_run_ = ending; }

private:
    ControlOwner &owner_;
    InputState state_;
    bool ending_run_ = false;
};

// HostVersion: module-wide, kept for as long as the component is loaded.
String &HostVersion();

}  // namespace rotam
