// The rotamstat command on the template: the template starts the run, calls
// run(), and ends the run after it (the end routine unloads the dialog and
// tells the host).
#include "drawing_stats.h"

#include <cmath>
#include <cstdlib>
#include <string>

#include "option_command.h"
#include "record.h"
#include "runtime_error.h"
#include "service.h"
#include "wrappers.h"

namespace rotamstat {
namespace {

using namespace rotam::wrappers;

TotalsView *g_view = nullptr;

bool left_out(Long kind) { return kind == 0 || kind == 254 || kind == 255; }

void count(rotam::Control &control, Totals &totals, const rotam::QVZ_Class &record) {
    ++totals.records;
    ++totals.by_kind[record.id];
    auto [at, added] = totals.by_layer.try_emplace(record.layer);
    if (added) {
        Long no = record.layer;
        at->second.name = ZynGetLayerName(control, no);
    }
    ++at->second.records;
}

String text(long long n) {
    const std::string digits = std::to_string(n);
    return String(digits.begin(), digits.end());
}

String decimal(double d) {
    // Plot scales are whole numbers but for rare reductions: two decimals.
    const long long hundredths = std::llround(d * 100);
    String out = text(hundredths / 100);
    if (const long long frac = std::llabs(hundredths % 100); frac != 0) {
        out += u'.';
        out += static_cast<char16_t>(u'0' + frac / 10);
        if (frac % 10)
            out += static_cast<char16_t>(u'0' + frac % 10);
    }
    return out;
}

class StatCommand final : public rotam::OptionCommand {
public:
    void run(rotam::Control &control) override {
        if (!ZynCheckVersion(kRequiredVersion))
            return;
        if (!g_view)
            throw rotam::RuntimeError(91, "Object variable or With block variable not set");
        ZynWaitCursor(control, -1);
        Totals totals;
        try {
            totals = collect_totals(control);
        } catch (...) {
            ZynWaitCursor(control, 0);
            throw;
        }
        ZynWaitCursor(control, 0);
        g_view->show_modal(format_totals(totals));
    }
    void unload() override {
        if (g_view)
            g_view->unload();
    }
};

}  // namespace

void set_totals_view(TotalsView *view) { g_view = view; }

Totals collect_totals(rotam::Control &control) {
    Totals totals;
    totals.current_layer = ZynGetCLayer(control);
    totals.plot_scale = ZynGetPlotScale(control);
    const Long end = ZynGetiendp(control);
    for (Long n = 0; n < end;) {
        Long at = n;
        GetRecord(control, at);
        const rotam::QVZ_Class head = *rotam::CurrentRecord();
        if (left_out(head.id)) {
            ++totals.left_out;
            ++n;
            continue;
        }
        if (head.ndata <= 1) {
            count(control, totals, head);
            ++n;
            continue;
        }
        at = n;
        const Long members = rotam::LoadPackage(control, at);
        ++totals.packages;
        totals.left_out += head.ndata - members;
        // The package reader leaves out kinds 254 and 255 only; numbers with
        // no record come back as kind 0.
        for (Long i = 0; i < members; ++i) {
            const rotam::QVZ_Class &member = *rotam::PackageRecords().at(i);
            if (left_out(member.id))
                ++totals.left_out;
            else
                count(control, totals, member);
        }
        // A package reaching past the end is cut off there.
        n = head.ndata >= end - n ? end : n + head.ndata;
    }
    return totals;
}

String format_totals(const Totals &totals) {
    String out = u"Records: " + text(totals.records) + u"\r\nPackages: " + text(totals.packages) +
                 u"\r\nLeft out: " + text(totals.left_out) + u"\r\n\r\nBy kind:";
    for (const auto &[kind, n] : totals.by_kind)
        out += u"\r\n  kind " + text(kind) + u": " + text(n);
    out += u"\r\n\r\nBy layer:";
    for (const auto &[layer, t] : totals.by_layer) {
        out += u"\r\n  " + text(layer) + u" " + t.name + u": " + text(t.records);
        if (layer == totals.current_layer)
            out += u" (current)";
    }
    out += u"\r\n\r\nPlot scale: 1:" + decimal(totals.plot_scale);
    return out;
}

}  // namespace rotamstat

rotam::OptionCommand &rotam::option_command() {
    static rotamstat::StatCommand command;
    return command;
}
