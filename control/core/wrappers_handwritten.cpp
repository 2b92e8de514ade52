// The wrappers that do more than fire one event with rule-based arguments:
// the cursor-input starters, the read-modify-write table setters, the
// wrappers that go through CurrentRecord, the entity creators and the
// composite work-buffer operations.
//
// Where a wrapper hands one of its own variables to several events (the
// position of a new entity, the end position before an add), it passes the
// variable itself each time, so that what the host writes into it in one
// event is what the next event sees.
#include <cstdint>

#include "record.h"
#include "refresh_pump.h"
#include "wrappers.h"

namespace rotam::wrappers {
namespace {

using Integer = std::int16_t;

// ---- Cursor input -----------------------------------------------------------

// ZynGCINStart and ZynGCIN2 share their parameter list: the input state.
using GcinEvent = void (*)(HostEvents &, String &, Integer &, Integer &, Long &, Long &, Long &, Long &,
                           Long &, Long &, Long &, Long &, Long &, Long &, Long &, Long &, Double &,
                           Double &, Double &, Double &, Double &, Double &, Integer &, Integer &,
                           Integer &);

void fire_cursor_input(Control &c, GcinEvent fire) {
    InputState &s = c.state();
    Integer snap = flag_strict(s.Snap), button_up = flag_strict(s.ButtonUp),
            ignore_strict_snap = flag_strict(s.bCTRLIgnoreStrictSnap), stream = flag_strict(s.bStream),
            auto_drag = flag_strict(s.bAutoDrag);
    fire(c.host(), s.msg, snap, button_up, s.Cursor, s.Rubber, s.nDrag, s.CursorColor, s.CursorStyle,
         s.CursorWidth, s.RubberColor, s.RubberStyle, s.RubberWidth, s.DragColor, s.DragStyle, s.DragWidth,
         s.sizeX, s.sizeY, s.x0, s.y0, s.x1, s.y1, ignore_strict_snap, stream, auto_drag);
}

// ---- Attribute tables -------------------------------------------------------

struct LayerStr {
    Long id = 0, flag = 0, Priority = 0, ColorNo = 0, LTypeNo = 0;
    Double Height = 0, Thickness = 0;
    String Name;
};

struct ColorStr {
    Long id = 0, flag = 0, PenWidth = 0, rgb = 0, rgbOutput = 0;
    String Name;
    void get(Control &c, Long &no) {
        events::ZynGetColorStr(c.host(), no, id, flag, PenWidth, rgb, rgbOutput, Name);
    }
};

struct LtypeStr {
    Long id = 0, flag = 0, PenStyle = 0;
    Long pen[14] = {};
    String Name;
    void get(Control &c, Long &no) {
        events::ZynGetLtypeStr(c.host(), no, id, flag, PenStyle, pen[0], pen[1], pen[2], pen[3], pen[4],
                               pen[5], pen[6], pen[7], pen[8], pen[9], pen[10], pen[11], pen[12], pen[13],
                               Name);
    }
    void set(Control &c, Long &no, Long &pen_style) {
        events::ZynSetLtypeStr(c.host(), no, id, flag, pen_style, pen[0], pen[1], pen[2], pen[3], pen[4],
                               pen[5], pen[6], pen[7], pen[8], pen[9], pen[10], pen[11], pen[12], pen[13],
                               Name);
    }
};

struct WidthStr {
    Long id = 0, flag = 0, PenWidth = 0, PenWidthDot = 0;
    String Name;
    void get(Control &c, Long &no) {
        events::ZynGetWidthStr(c.host(), no, id, flag, PenWidth, PenWidthDot, Name);
    }
};

constexpr Flag kTrue = -1;

// ---- CurrentRecord ----------------------------------------------------------

// The text attribute list, as temporaries: what the host writes goes nowhere
// until it is stored into the record.
struct TextAtr {
    Integer style = 0;
    Double ts_takasa = 0, ts_haba = 0, ts_kankaku = 0, ts_katamuki = 0, ts_pitch = 0;
    Integer ts_fonttype = 0, ts_rectflag = 0, ts_pitchflag = 0, ts_pointflag = 0, ts_scaleflag = 0,
            ts_tateflag = 0, ts_charset = 0, ts_family = 0, ts_italic = 0, ts_bold = 0, ts_underline = 0,
            ts_strikeout = 0, ts_unit = 0, ts_unitdisp = 0, ts_item = 0, ts_hi5 = 0, ts_textflag = 0,
            ts_dgsymbol = 0, ts_decsymbol = 0, ts_nodg = 0, ts_nodec = 0;
    String ts_Fontname;

#define ROTAM_TS_FIELDS(X)                                                                                 \
    X(ts_takasa) X(ts_haba) X(ts_kankaku) X(ts_katamuki) X(ts_pitch) X(ts_fonttype) X(ts_rectflag)          \
    X(ts_pitchflag) X(ts_pointflag) X(ts_scaleflag) X(ts_tateflag) X(ts_charset) X(ts_family) X(ts_italic) \
    X(ts_bold) X(ts_underline) X(ts_strikeout) X(ts_unit) X(ts_unitdisp) X(ts_item) X(ts_hi5)              \
    X(ts_textflag) X(ts_dgsymbol) X(ts_decsymbol) X(ts_nodg) X(ts_nodec) X(ts_Fontname)

    void load_settings(const QVZ_Class &r) {
#define ROTAM_LOAD(f) f = r.f;
        ROTAM_TS_FIELDS(ROTAM_LOAD)
#undef ROTAM_LOAD
    }
    // As the host's current text attributes: a text record with no text,
    // anchor or placement of its own.
    void store(QVZ_Class &r) const {
        r.id = 5;
        r.text.clear();
        r.style = style;
        r.genten = 0;
        r.cx1 = r.cy1 = r.cx2 = r.cy2 = r.kaiten = 0.0;
#define ROTAM_STORE(f) r.f = f;
        ROTAM_TS_FIELDS(ROTAM_STORE)
#undef ROTAM_STORE
    }

    // The 28 arguments in the host's order, then any trailing ones.
    template <class Fire, class... Rest> void fire(Control &c, Fire event, Rest &...rest) {
        event(c.host(), style, ts_takasa, ts_haba, ts_kankaku, ts_katamuki, ts_pitch, ts_fonttype, ts_rectflag,
             ts_pitchflag, ts_pointflag, ts_scaleflag, ts_tateflag, ts_charset, ts_family, ts_italic, ts_bold,
             ts_underline, ts_strikeout, ts_unit, ts_unitdisp, ts_item, ts_hi5, ts_textflag, ts_dgsymbol,
             ts_decsymbol, ts_nodg, ts_nodec, ts_Fontname, rest...);
    }
#undef ROTAM_TS_FIELDS
};

// The twelve attributes of the Attribute/Atribute events, as temporaries.
struct Attributes {
    Long id = 0, flag = 0, layer = 0, segment = 0, color = 0, ltype = 0, width = 0, page = 0, ndata = 0,
         group = 0, undo = 0, dimension = 0;

#define ROTAM_ATTRIBUTE_FIELDS(X) \
    X(id) X(flag) X(layer) X(segment) X(color) X(ltype) X(width) X(page) X(ndata) X(group) X(undo) X(dimension)
    void load(const QVZ_Class &r) {
#define ROTAM_LOAD(f) f = r.f;
        ROTAM_ATTRIBUTE_FIELDS(ROTAM_LOAD)
#undef ROTAM_LOAD
    }
    void store(QVZ_Class &r) const {
#define ROTAM_STORE(f) r.f = f;
        ROTAM_ATTRIBUTE_FIELDS(ROTAM_STORE)
#undef ROTAM_STORE
    }
#undef ROTAM_ATTRIBUTE_FIELDS

    template <class Fire> void fire(Control &c, Fire event, Long &n) {
        event(c.host(), n, id, flag, layer, segment, color, ltype, width, page, ndata, group, undo, dimension);
    }
};

template <class Fire> void get_attributes(Control &c, Need need, Fire fire, Long &n) {
    if (!host_is_at_least(need))
        return;
    Attributes a;
    a.fire(c, fire, n);
    a.store(*CurrentRecord());
}

template <class Fire> void set_attributes(Control &c, Need need, Fire fire, Long &n) {
    if (!host_is_at_least(need))
        return;
    Attributes a;
    a.load(*CurrentRecord());
    a.fire(c, fire, n);
}

// The seven active attributes, as temporaries.
struct ActiveAtr {
    Long layer = 0, segment = 0, color = 0, ltype = 0, width = 0, page = 0, group = 0;
    template <class Fire> void fire(Control &c, Fire event) {
        event(c.host(), layer, segment, color, ltype, width, page, group);
    }
};

// ---- Entity creation --------------------------------------------------------

// A new entity of the drawing is dated and drawn; a negative position means
// the host created nothing.
Long date_and_draw(Control &c, Long position) {
    if (position < 0)
        return position;
    Long mdate = 1;
    events::ZynSetCreateDate(c.host(), position, mdate);
    Integer draw = 1;
    events::ZynDrawObject(c.host(), position, draw);
    return position;
}

}  // namespace

// ---- Command flow and cursor input ------------------------------------------

void ZynBeginGCIN(Control &c) {
    InputState &s = c.state();
    Integer no_doc = flag_strict(s.bNoDoc), no_view = flag_strict(s.bNoView),
            auto_rotate = flag_strict(s.bAutoRotate);
    events::ZynPreGCINStart(c.host(), s.x3, s.y3, s.z3, s.x4, s.y4, s.z4, no_doc, no_view, auto_rotate);
    fire_cursor_input(c, &events::ZynGCINStart);
}

void ZynRunGCIN2(Control &c) {
    fire_cursor_input(c, &events::ZynGCIN2);
    InputState &s = c.state();
    events::ZynGetGCIN2Value(c.host(), s.mcx, s.mcy, s.mcxUp, s.mcyUp, s.gcx, s.gcy, s.gcxUp, s.gcyUp, s.dcx,
                             s.dcy, s.dcxUp, s.dcyUp, s.sw, s.nFlags, s.nFlagsUp, s.key, s.str);
    Integer result = 0;  // answered, and not needed
    events::ZynGetActiveZoririTitle(c.host(), s.ZoririDocName, s.ZoririViewName, result);
    events::ZynGetRestGCIN(c.host(), s.vcx, s.vcy, s.vcxUp, s.vcyUp, s.dcz, s.dczUp, s.gcz, s.gczUp, s.scx,
                           s.scy, s.scz, s.scxUp, s.scyUp, s.sczUp);
}

void ZynResetInputState(Control &c) {
    events::ZynInitGCINVal(c.host());
    Long cursor_color = 0;
    events::ZynGetCursorColor(c.host(), cursor_color);

    // Every property gets a value: those not named here are 0, 0.0 or false.
    InputState d{};
    const String blanks(27, u' ');
    d.str = d.ZoririViewName = d.ZoririDocName = d.msg = blanks;
    d.Cursor = 1;
    d.CursorColor = d.RubberColor = cursor_color;
    d.DragColor = d.DragStyle = d.DragWidth = -1;
    d.bNoDoc = d.bNoView = d.bAutoDrag = d.bAutoRotate = kTrue;
    c.state() = d;
}

// ---- Host environment settings ----------------------------------------------

void ZynChangeIconSize(Control &c, Long &IconSize) {
    events::ZynSetIconSize(c.host(), IconSize);
    events::ZynReCreateToolBar(c.host());
}

// ---- Current attributes -----------------------------------------------------

void ZynGetActiveAtr(Control &c) {
    ActiveAtr a;
    a.fire(c, &events::ZynGetActiveAtr);
    auto r = CurrentRecord();
    r->layer = a.layer;
    r->segment = a.segment;
    r->color = a.color;
    r->ltype = a.ltype;
    r->width = a.width;
    r->page = a.page;
    r->group = a.group;
}

void ZynSetActiveAtr(Control &c) {
    auto r = CurrentRecord();
    ActiveAtr a{r->layer, r->segment, r->color, r->ltype, r->width, r->page, r->group};
    a.fire(c, &events::ZynSetActiveAtr);
}

// ---- Drawing database -------------------------------------------------------

void ZynChangeData(Control &c, Long &n) {
    if (!host_is_at_least(Need::v2033))
        return;
    Integer wbz = 0;
    ChangeRecord(c, n, wbz);
}

void ZynGetAttribute(Control &c, Long &n) { get_attributes(c, Need::v2033, &events::ZynGetAttribute, n); }
void ZynSetAttribute(Control &c, Long &n) { set_attributes(c, Need::v2033, &events::ZynSetAttribute, n); }
void ZynGetAtribute(Control &c, Long &n) { get_attributes(c, Need::v2019, &events::ZynGetAtribute, n); }
void ZynSetAtribute(Control &c, Long &n) { set_attributes(c, Need::v2019, &events::ZynSetAtribute, n); }

// ---- Primitive creation -----------------------------------------------------

Long ZynCreatePoint(Control &c, Double &x, Double &y) {
    return date_and_draw(c, Wrap<Need::any, &events::ZynSetPoint, In, In, Zero, Out>{}(c, x, y));
}

Long ZynCreateLine(Control &c, Double &x1, Double &y1, Double &x2, Double &y2) {
    return date_and_draw(
        c, Wrap<Need::any, &events::ZynSetLine, In, In, In, In, Zero, Zero, Out>{}(c, x1, y1, x2, y2));
}

Long ZynCreateCircle(Control &c, Double &x, Double &y, Double &r) {
    return date_and_draw(c, Wrap<Need::any, &events::ZynSetCircle, In, In, In, Zero, Zero, Out>{}(c, x, y, r));
}

Long ZynCreateArc(Control &c, Double &x, Double &y, Double &r, Double &s, Double &e) {
    return date_and_draw(
        c, Wrap<Need::any, &events::ZynSetArc, In, In, In, In, In, Zero, Zero, Out>{}(c, x, y, r, s, e));
}

Long ZynCreateText(Control &c, String &text, Double &x0, Double &y0, Double &h, Double &kaiten,
                   std::int16_t genten) {
    return date_and_draw(
        c, Wrap<Need::any, &events::ZynSetText, In, In, In, In, In, Wide, Out>{}(c, text, x0, y0, h, kaiten, genten));
}

Long ZynCreateNumText(Control &c, Double &Value, Double &x0, Double &y0, Double &h, Double &kaiten,
                      std::int16_t genten) {
    return date_and_draw(c, Wrap<Need::any, &events::ZynSetNumText, In, In, In, In, In, Wide, Out>{}(
                                c, Value, x0, y0, h, kaiten, genten));
}

Long ZynCreateDimPoint(Control &c, Long &dimension, Double &x, Double &y) {
    return date_and_draw(c, Wrap<Need::any, &events::ZynSetDimPoint, In, In, In, Zero, Out>{}(c, dimension, x, y));
}

Long ZynCreateDimLine(Control &c, Long &dimension, Double &x1, Double &y1, Double &x2, Double &y2) {
    return date_and_draw(c, Wrap<Need::any, &events::ZynSetDimLine, In, In, In, In, In, Zero, Zero, Out>{}(
                                c, dimension, x1, y1, x2, y2));
}

Long ZynCreateDimCircle(Control &c, Long &dimension, Double &x, Double &y, Double &r) {
    return date_and_draw(c, Wrap<Need::any, &events::ZynSetDimCircle, In, In, In, In, Zero, Zero, Out>{}(
                                c, dimension, x, y, r));
}

Long ZynCreateDimArc(Control &c, Long &dimension, Double &x, Double &y, Double &r, Double &s, Double &e) {
    return date_and_draw(c, Wrap<Need::any, &events::ZynSetDimArc, In, In, In, In, In, In, Zero, Zero, Out>{}(
                                c, dimension, x, y, r, s, e));
}

Long ZynCreateDimText(Control &c, Long &dimension, Double &Value, Double &x0, Double &y0, Double &h,
                      Double &kaiten, std::int16_t genten, std::int16_t item) {
    return date_and_draw(c, Wrap<Need::any, &events::ZynSetDimText, In, In, In, In, In, In, Wide, Wide, Out>{}(
                                c, dimension, Value, x0, y0, h, kaiten, genten, item));
}

// ---- Selection and search ---------------------------------------------------

// The package forms came with 2, 0, 2, 6; an older host gets the plain search
// and no message.
template <class Plain, class Package, class... Lead>
Long find_primitive(Control &c, Plain plain, Package package, Double &x, Double &y, std::int16_t sel,
                    std::int16_t locklayer, Flag range, Long &start, Flag nPackage, Lead &...lead) {
    Long sel32 = sel, locklayer32 = locklayer, position = 0;
    Integer range_flag = flag_strict(range);
    if (ZynVersionNumber(HostVersion()) < ZynVersionNumber(need_text(Need::v2026))) {
        plain(c.host(), lead..., x, y, sel32, locklayer32, range_flag, start, position);
    } else {
        Integer package_flag = flag_strict(nPackage);
        package(c.host(), lead..., x, y, sel32, locklayer32, range_flag, start, package_flag, position);
    }
    return position;
}

Long ZynFindPrimitive(Control &c, Double &x, Double &y, std::int16_t sel, std::int16_t locklayer, Flag range,
                      Long &start, Flag nPackage) {
    return find_primitive(c, &events::ZynSearchPrimitive, &events::ZynSearchPrimitivePackage, x, y, sel,
                          locklayer, range, start, nPackage);
}

Long ZynFindPrimitiveMode(Control &c, Long &Mode, Double &x, Double &y, std::int16_t sel, std::int16_t locklayer,
                          Flag range, Long &start, Flag nPackage) {
    return find_primitive(c, &events::ZynSearchPrimitiveMode, &events::ZynSearchPrimitiveModePackage, x, y, sel,
                          locklayer, range, start, nPackage, Mode);
}

// ---- Work buffer ------------------------------------------------------------

void ZynChangeDataWBZ(Control &c, Long &n) {
    if (!host_is_at_least(Need::v2033))
        return;
    Integer wbz = -1;
    ChangeRecord(c, n, wbz);
}

void ZynGetAttributeWBZ(Control &c, Long &n) { get_attributes(c, Need::v2033, &events::ZynGetAttributeWBZ, n); }
void ZynSetAttributeWBZ(Control &c, Long &n) { set_attributes(c, Need::v2033, &events::ZynSetAttributeWBZ, n); }

Long ZynAddWBZtoDrawing(Control &c, Flag cRef, Flag cDim, Flag cPac) {
    Long end = 0;
    events::ZynGetiendp(c.host(), end);
    Integer ref = flag_strict(cRef), dim = flag_strict(cDim), pac = flag_strict(cPac);
    Long amount = 0;
    events::ZynAddWBZtoData(c.host(), ref, dim, pac, amount);
    Long mdate = 1;
    events::ZynSetCreateDateAfter(c.host(), end, mdate);
    return amount;
}

Long ZynAddDragtoDrawing(Control &c, Flag cRef, Flag cDim, Flag cPac) {
    HostEvents &h = c.host();
    Long end = 0;
    events::ZynGetiendp(h, end);
    Integer ref = flag_strict(cRef), dim = flag_strict(cDim), pac = flag_strict(cPac);
    Long amount = 0;
    events::ZynAddGCINDragtoData(h, ref, dim, pac, amount);
    Long mdate = 1;
    events::ZynSetCreateDateAfter(h, end, mdate);
    // The new entities are drawn by selecting just them, drawing the selection
    // and clearing it again.
    auto deselect_all = [&h] {
        Integer on_off = 0, draw = 0;
        events::ZynAllSelect(h, on_off, draw);
    };
    deselect_all();
    Long flag = 1;
    Integer on = 1;
    events::ZynSetFlagAfter(h, end, flag, on, amount);
    Integer highlight = 0, draw = 1;
    Long start = 0;
    events::ZynDrawSelectedData(h, highlight, draw, start);
    deselect_all();
    return amount;
}

Long ZynClipByRecttoWBZ(Control &c, Double &x0, Double &y0, Double &x1, Double &y1, Flag nCut, Flag nSelect) {
    if (!host_is_at_least(Need::v2028))
        return 0;
    Long ndata = 0;
    Integer select = flag_strict(nSelect), cut = flag_strict(nCut);
    events::ZynClipByRecttoWBZ(c.host(), ndata, x0, y0, x1, y1, select, cut);
    return ndata;
}

Long ZynClipByPolygon(Control &c, Long &ndata, std::span<Double> xs, std::span<Double> ys, Flag nCut,
                      Flag nSelect) {
    HostEvents &h = c.host();
    Long cut = flag_strict(nCut), select = flag_strict(nSelect);
    events::ZynInitADouble(h);
    Long position = 0;  // one for the whole polygon: the host sees its own last answer
    const std::int64_t last = ndata;
    for (std::int64_t i = 0; i <= last; ++i) {
        if (i >= static_cast<std::int64_t>(xs.size()) || i >= static_cast<std::int64_t>(ys.size()))
            throw RuntimeError(9, "Subscript out of range");
        Double d3 = 0, d4 = 0, d5 = 0, d6 = 0;
        events::ZynAddADouble(h, xs[i], ys[i], d3, d4, d5, d6, position);
    }
    Long result = 0;
    events::ZynClipByPolytoWBZ(h, ndata, select, cut, result);
    return result;
}

// ---- View and coordinate conversion -----------------------------------------

void ZynRefresh(Control &c) {
    if (!host_is_at_least(Need::v2017))
        return;
    events::ZynRefresh(c.host());
    message_pump().run_pending();
}

// ---- Attribute tables -------------------------------------------------------

Flag ZynSetLayerName(Control &c, Long &no, String &Name) {
    if (!host_is_at_least(Need::v2026))
        return 0;
    LayerStr t;
    events::ZynGetLayerStr(c.host(), no, t.id, t.flag, t.Priority, t.ColorNo, t.LTypeNo, t.Height, t.Thickness,
                           t.Name);
    events::ZynSetLayerStr(c.host(), no, t.id, t.flag, t.Priority, t.ColorNo, t.LTypeNo, t.Height, t.Thickness,
                           Name);
    return kTrue;
}

Flag ZynSetColorRGB(Control &c, Long &no, Long &rgb) {
    if (!host_is_at_least(Need::v2026))
        return 0;
    ColorStr t;
    t.get(c, no);
    events::ZynSetColorStr(c.host(), no, t.id, t.flag, t.PenWidth, rgb, t.rgbOutput, t.Name);
    return kTrue;
}

Flag ZynSetColorValues(Control &c, Long &no, Long &PenWidth, Long &rgb, Long &rgbOutput) {
    if (!host_is_at_least(Need::v2026))
        return 0;
    ColorStr t;
    t.get(c, no);
    events::ZynSetColorStr(c.host(), no, t.id, t.flag, PenWidth, rgb, rgbOutput, t.Name);
    return kTrue;
}

Flag ZynGetColorValues(Control &c, Long &no, Long &PenWidth, Long &rgb, Long &rgbOutput) {
    if (!host_is_at_least(Need::v2026))
        return 0;
    ColorStr t;
    events::ZynGetColorStr(c.host(), no, t.id, t.flag, PenWidth, rgb, rgbOutput, t.Name);
    return kTrue;
}

Flag ZynSetLtypePenStyle(Control &c, Long &no, Long &PenStyle) {
    if (!host_is_at_least(Need::v2026))
        return 0;
    LtypeStr t;
    t.get(c, no);
    t.set(c, no, PenStyle);
    return kTrue;
}

Flag ZynSetWidthName(Control &c, Long &no, String &Name) {
    if (!host_is_at_least(Need::v2026))
        return 0;
    WidthStr t;
    t.get(c, no);
    events::ZynSetWidthStr(c.host(), no, t.id, t.flag, t.PenWidth, t.PenWidthDot, Name);
    return kTrue;
}

Flag ZynSetPenWidth(Control &c, Long &no, Long &PenWidth) {
    if (!host_is_at_least(Need::v2026))
        return 0;
    WidthStr t;
    t.get(c, no);
    events::ZynSetWidthStr(c.host(), no, t.id, t.flag, PenWidth, t.PenWidthDot, t.Name);
    return kTrue;
}

// ---- Text attributes --------------------------------------------------------

Flag ZynTextAtrFromDialog(Control &c) {
    TextAtr t;
    t.load_settings(*CurrentRecord());
    Long result = 0;
    t.fire(c, &events::ZynTextAtrFromDialog, result);
    // Whatever the dialog's outcome, the record holds what the host left.
    t.store(*CurrentRecord());
    return bool_strict(result);
}

void ZynGetCurrentTextAtr(Control &c) {
    TextAtr t;
    t.fire(c, &events::ZynGetCurrentTextAtr);
    t.store(*CurrentRecord());
}

void ZynSetCurrentTextAtr(Control &c) {
    TextAtr t;
    auto r = CurrentRecord();
    t.load_settings(*r);
    t.style = r->style;
    t.fire(c, &events::ZynSetCurrentTextAtr);
}

// ---- Documents and views ----------------------------------------------------

Flag ZynOpenZoririDoc(Control &c, String &filename, Flag bDialog, Flag bView, Flag &bCase2) {
    Integer dialog = flag_loose(bDialog), view = flag_loose(bView), result = 0;
    events::ZynOpenZoririDoc(c.host(), filename, dialog, view, result);
    if (result == 2) {
        bCase2 = kTrue;
        return kTrue;
    }
    bCase2 = 0;
    return bool_loose(result);
}

void ZynOpenedFile(Control &c, String &filename, Flag &nOpen, Flag &nVisible) {
    if (!host_is_at_least(Need::v2021))
        return;
    nOpen = 0;
    nVisible = 0;
    if (filename.empty())
        return;
    Integer open = 0, visible = 0;
    events::ZynOpenedFile(c.host(), filename, open, visible);
    nOpen = bool_loose(open);
    nVisible = bool_loose(visible);
}

// ---- Generic settings by identifier -----------------------------------------

std::optional<Long> ZynGetLong3001(Control &c) {
    if (!host_is_at_least(Need::v2033))
        return std::nullopt;
    Long id = 3001, value = 0;
    events::ZynGetLong(c.host(), id, value);
    return value;
}

}  // namespace rotam::wrappers
