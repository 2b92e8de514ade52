// The lifecycle of ZynOptCmd120 as the host drives it.
//
// No method here traps anything: a RuntimeError ends the method and reaches
// the host as a failed call, with whatever was already copied left in place.
// Methods that hand over to the command touch nothing of the control once the
// command returns: ending a run drops the command's reference, which may be
// the last one.
#include "control.h"

#include <limits>

#include "core_events.h"
#include "option_command.h"
#include "record.h"

namespace rotam {

String &HostVersion() {
    static String version;
    return version;
}

Control::Control(ControlOwner &owner) : owner_(owner) {}

void Control::ZynInitCommand() {
    ZynGetZynVersion(HostVersion());
    StartCommand(*this);
}

void Control::ZynSelectEnd(std::int16_t &sw, Long &nSelect) {
    option_command().on_select_end(sw, nSelect);
}

// The 17 arguments of a finished cursor input or drag frame go into the
// properties of the same name; the host's variables are only read.
static void copy_cursor_input(InputState &s, Long mcx, Long mcy, Long mcxUp, Long mcyUp,
                              Double gcx, Double gcy, Double gcxUp, Double gcyUp, Double dcx,
                              Double dcy, Double dcxUp, Double dcyUp, Long sw, Long nFlags,
                              Long nFlagsUp, Long key, const String &str) {
    s.mcx = mcx;
    s.mcy = mcy;
    s.mcxUp = mcxUp;
    s.mcyUp = mcyUp;
    s.gcx = gcx;
    s.gcy = gcy;
    s.gcxUp = gcxUp;
    s.gcyUp = gcyUp;
    s.dcx = dcx;
    s.dcy = dcy;
    s.dcxUp = dcxUp;
    s.dcyUp = dcyUp;
    s.sw = sw;
    s.nFlags = nFlags;
    s.nFlagsUp = nFlagsUp;
    s.key = key;
    s.str = str;
}

void Control::ZynGCINEnd(Long &pmcx, Long &pmcy, Long &pmcxUp, Long &pmcyUp, Double &pgcx,
                         Double &pgcy, Double &pgcxUp, Double &pgcyUp, Double &pdcx, Double &pdcy,
                         Double &pdcxUp, Double &pdcyUp, Long &psw, Long &pnFlags,
                         Long &pnFlagsUp, Long &pkey, String &pstr) {
    InputState &s = state_;
    copy_cursor_input(s, pmcx, pmcy, pmcxUp, pmcyUp, pgcx, pgcy, pgcxUp, pgcyUp, pdcx, pdcy,
                      pdcxUp, pdcyUp, psw, pnFlags, pnFlagsUp, pkey, pstr);

    // The host may answer through result; nothing here needs it.
    std::int16_t result = 0;
    events::ZynGetActiveZoririTitle(host(), s.ZoririDocName, s.ZoririViewName, result);
    events::ZynGetRestGCIN(host(), s.vcx, s.vcy, s.vcxUp, s.vcyUp, s.dcz, s.dczUp, s.gcz,
                           s.gczUp, s.scx, s.scy, s.scz, s.scxUp, s.scyUp, s.sczUp);
    option_command().on_gcin_end();
}

void Control::ZynTransDrag(Long &pmcx, Long &pmcy, Long &pmcxUp, Long &pmcyUp, Double &pgcx,
                           Double &pgcy, Double &pgcxUp, Double &pgcyUp, Double &pdcx,
                           Double &pdcy, Double &pdcxUp, Double &pdcyUp, Long &psw,
                           Long &pnFlags, Long &pnFlagsUp, Long &pkey, String &pstr) {
    copy_cursor_input(state_, pmcx, pmcy, pmcxUp, pmcyUp, pgcx, pgcy, pgcxUp, pgcyUp, pdcx,
                      pdcy, pdcxUp, pdcyUp, psw, pnFlags, pnFlagsUp, pkey, pstr);
    option_command().on_trans_drag();
}

void Control::ZynEscape() {}

void Control::ZynFromDrawingEnd(Long &psw, Long &pFDmcx0, Long &pFDmcy0, Long &pFDmcx1,
                                Long &pFDmcy1, Long &pFDmcx2, Long &pFDmcy2, Double &pFDgcx0,
                                Double &pFDgcy0, Double &pFDgcx1, Double &pFDgcy1,
                                Double &pFDgcx2, Double &pFDgcy2) {
    InputState &s = state_;
    s.FDmcx0 = pFDmcx0;
    s.FDmcy0 = pFDmcy0;
    s.FDmcx1 = pFDmcx1;
    s.FDmcy1 = pFDmcy1;
    s.FDmcx2 = pFDmcx2;
    s.FDmcy2 = pFDmcy2;
    s.FDgcx0 = pFDgcx0;
    s.FDgcy0 = pFDgcy0;
    s.FDgcx1 = pFDgcx1;
    s.FDgcy1 = pFDgcy1;
    s.FDgcx2 = pFDgcx2;
    s.FDgcy2 = pFDgcy2;

    // The handler takes a 16-bit switch; the host's own psw stays as it was.
    if (psw < std::numeric_limits<std::int16_t>::min() ||
        psw > std::numeric_limits<std::int16_t>::max())
        throw RuntimeError(6, "Overflow");
    auto sw = static_cast<std::int16_t>(psw);
    option_command().on_from_drawing_end(sw);
}

// Only the run of this control is ended.  With no run of its own (before
// ZynInitCommand, after the run has ended, or while another control runs)
// there is nothing to end: the call succeeds and raises nothing, so the host
// still sees ZynExitCommand once per run and once at teardown.
void Control::ZynUrgentExit() {
    if (CommandControl() == this)
        EndCommand();
}

void Control::ZynOnMouse(Long &, Long &, Long &, Long &cont) { cont = 0; }

void Control::ZynOnMouseWheel(Long &, std::int16_t &, Long &, Long &, Long &cont) { cont = 0; }

void Control::ZynOnKey(Long &, Long &, Long &, Long &cont) { cont = 0; }

void Control::ZynRestartCommand(Long &) {}

// The host may hear of the end a second time here; it must accept that.  The
// host is going away, so a failing handler changes nothing.
void Control::teardown() noexcept {
    try {
        ZynExitCommand();
    } catch (...) {
    }
    // The handler may have loaded a package meanwhile; none outlives the end.
    PackageRecords().redim(0);
}

void Control::ZynGetZynVersion(String &ver) { events::ZynGetZynVersion(host(), ver); }

// A package never outlives the command that read it.
void Control::ZynExitCommand() {
    PackageRecords().redim(0);
    events::ZynExitCommand(host());
}

}  // namespace rotam
