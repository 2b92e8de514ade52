// rotamstat: how many records the drawing holds, by kind and by layer.
//
// The command reads every record of the drawing through the entity record
// (packages whole, through LoadPackage), totals them, and shows the totals in
// a modal dialog until the user closes it.  collect_totals and format_totals
// are the portable part; the dialog is the platform's (win32/) or a test's.
#pragma once

#include <map>
#include <string>

#include "control.h"

namespace rotamstat {

using rotam::Long;
using rotam::String;

struct LayerTotal {
    String name;
    Long records = 0;
};

struct Totals {
    Long records = 0;   // counted records; each member of a package counts
    Long packages = 0;  // packages among them
    Long left_out = 0;  // record numbers holding no record (kind 0, 254, 255)
    std::map<Long, Long> by_kind;
    std::map<Long, LayerTotal> by_layer;
    Long current_layer = 0;
    double plot_scale = 0;

    bool operator==(const Totals &) const = default;
};

// Reads records 0 to iendp - 1.  A record whose ndata is above 1 heads a
// package of that many record numbers: the package is read whole and its
// members are counted, the numbers it spans are not read again.
Totals collect_totals(rotam::Control &control);

// The dialog's text, one line per total, kinds and layers in ascending order.
String format_totals(const Totals &totals);

// The window that shows the totals: modal, returns when the user closes it.
class TotalsView {
public:
    virtual ~TotalsView() = default;
    virtual void show_modal(const String &text) = 0;
    virtual void unload() = 0;
};

// Set by the platform layer when the component loads, or by a test.
void set_totals_view(TotalsView *view);

// The oldest host the command runs on: the wait cursor came with it.
inline constexpr char16_t kRequiredVersion[] = u"2, 0, 1, 9";

}  // namespace rotamstat
