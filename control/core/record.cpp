// Moving records between the host and the module's records.
//
// The host exchanges a record as 58 by-reference arguments.  Most carry a
// field of the same name; the 27 extra arguments at the end carry the text
// settings for the text kinds and the four attribute numbers for every other
// kind.  Nothing the host answers is range-checked.
//
// No reference into CurrentRecord or PackageRecords is held across an event:
// a host handler may end the run (dropping CurrentRecord) or end the command
// (dimensioning PackageRecords anew) before it returns.
#include "record.h"

#include <array>
#include <limits>

#include "core_events.h"

namespace rotam {
namespace {

[[noreturn]] void subscript_out_of_range() { throw RuntimeError(9, "Subscript out of range"); }

// The arguments that carry the field of the same name, in argument order.
#define ROTAM_NAMED_ARGS(X)                                                                       \
    X(id) X(flag) X(layer) X(segment) X(color) X(ltype) X(width) X(page) X(ndata) X(group)       \
    X(undo) X(dimension) X(x1) X(y1) X(x2) X(y2) X(h) X(t) X(r) X(sdeg) X(edeg) X(fillcolor)     \
    X(fillrgb) X(text) X(style) X(genten) X(cx1) X(cy1) X(cx2) X(cy2) X(kaiten)

constexpr std::array<Double QVZ_Class::*, 5> kTextDoubles = {
    &QVZ_Class::ts_takasa, &QVZ_Class::ts_haba, &QVZ_Class::ts_kankaku, &QVZ_Class::ts_katamuki,
    &QVZ_Class::ts_pitch};
constexpr std::array<Integer QVZ_Class::*, 21> kTextIntegers = {
    &QVZ_Class::ts_fonttype,  &QVZ_Class::ts_rectflag, &QVZ_Class::ts_pitchflag,
    &QVZ_Class::ts_pointflag, &QVZ_Class::ts_scaleflag, &QVZ_Class::ts_tateflag,
    &QVZ_Class::ts_charset,   &QVZ_Class::ts_family,    &QVZ_Class::ts_italic,
    &QVZ_Class::ts_bold,      &QVZ_Class::ts_underline, &QVZ_Class::ts_strikeout,
    &QVZ_Class::ts_unit,      &QVZ_Class::ts_unitdisp,  &QVZ_Class::ts_item,
    &QVZ_Class::ts_hi5,       &QVZ_Class::ts_textflag,  &QVZ_Class::ts_dgsymbol,
    &QVZ_Class::ts_decsymbol, &QVZ_Class::ts_nodg,      &QVZ_Class::ts_nodec};
constexpr std::array<Integer QVZ_Class::*, 4> kAttributeIntegers = {
    &QVZ_Class::atrid, &QVZ_Class::atrflag, &QVZ_Class::ndivide, &QVZ_Class::refno};

bool is_text_kind(Long id) { return id == 5 || id == 20; }

// The record argument list.  Every argument starts at 0 or empty, so a host
// that does not answer a read leaves a cleared record.
struct RecordArgs {
    Long id{}, flag{}, layer{}, segment{}, color{}, ltype{}, width{}, page{}, ndata{}, group{},
        undo{}, dimension{};
    Double x1{}, y1{}, x2{}, y2{}, h{}, t{}, r{}, sdeg{}, edeg{};
    Long fillcolor{}, fillrgb{};
    String text;
    Integer style{}, genten{};
    Double cx1{}, cy1{}, cx2{}, cy2{}, kaiten{};
    std::array<Double, 5> dbl{};
    std::array<Integer, 21> in{};
    String atr01;

    static constexpr std::size_t kCount = 58;

    // The arguments in the host's order, into out[0..57].
    void bind(EventArg *out) {
#define ROTAM_BIND(name) *out++ = arg(name);
        ROTAM_NAMED_ARGS(ROTAM_BIND)
#undef ROTAM_BIND
        for (Double &d : dbl)
            *out++ = arg(d);
        for (Integer &i : in)
            *out++ = arg(i);
        *out = arg(atr01);
    }

    void store_into(QVZ_Class &record, bool text_settings) const {
#define ROTAM_STORE(name) record.name = name;
        ROTAM_NAMED_ARGS(ROTAM_STORE)
#undef ROTAM_STORE
        for (std::size_t k = 0; k < kTextDoubles.size(); ++k)
            record.*kTextDoubles[k] = text_settings ? dbl[k] : 0.0;
        for (std::size_t k = 0; k < kTextIntegers.size(); ++k)
            record.*kTextIntegers[k] = text_settings ? in[k] : Integer{0};
        record.ts_Fontname = text_settings ? atr01 : String{};
        for (std::size_t k = 0; k < kAttributeIntegers.size(); ++k)
            record.*kAttributeIntegers[k] = text_settings ? Integer{0} : in[k];
    }

    // doubles_from_settings: whether a record of another kind still sends its
    // five double text settings (the drawing's writers do, the work
    // buffer's add does not).
    static RecordArgs from(const QVZ_Class &record, bool doubles_from_settings) {
        RecordArgs a;
#define ROTAM_LOAD(name) a.name = record.name;
        ROTAM_NAMED_ARGS(ROTAM_LOAD)
#undef ROTAM_LOAD
        const bool text = is_text_kind(record.id);
        if (text || doubles_from_settings)
            for (std::size_t k = 0; k < kTextDoubles.size(); ++k)
                a.dbl[k] = record.*kTextDoubles[k];
        if (text) {
            for (std::size_t k = 0; k < kTextIntegers.size(); ++k)
                a.in[k] = record.*kTextIntegers[k];
            a.atr01 = record.ts_Fontname;
        } else {
            for (std::size_t k = 0; k < kAttributeIntegers.size(); ++k)
                a.in[k] = record.*kAttributeIntegers[k];
        }
        return a;
    }
};

#undef ROTAM_NAMED_ARGS

// An event that takes n and then the record list.
void fire_with_number(Control &control, std::int32_t dispid, Long &n, RecordArgs &a) {
    std::array<EventArg, RecordArgs::kCount + 1> args;
    args[0] = arg(n);
    a.bind(&args[1]);
    control.host().fire(dispid, args.data(), args.size());
}

// An event that takes the record list and then position.
void fire_with_position(Control &control, std::int32_t dispid, RecordArgs &a, Long &position) {
    std::array<EventArg, RecordArgs::kCount + 1> args;
    a.bind(&args[0]);
    args[RecordArgs::kCount] = arg(position);
    control.host().fire(dispid, args.data(), args.size());
}

enum class Settings { ByKind, Always };

void read_record(Control &control, std::int32_t dispid, Long &n, Settings settings,
                 bool clear_first = false) {
    RecordArgs a;
    fire_with_number(control, dispid, n, a);
    const std::shared_ptr<QVZ_Class> record = CurrentRecord();
    if (clear_first)
        record->Clear();
    a.store_into(*record, settings == Settings::Always || is_text_kind(a.id));
}

Long add_record(Control &control, std::int32_t dispid, bool doubles_from_settings) {
    RecordArgs a = RecordArgs::from(*CurrentRecord(), doubles_from_settings);
    Long position = 0;
    fire_with_position(control, dispid, a, position);
    return position;
}

std::shared_ptr<QVZ_Class> &current_slot() {
    static std::shared_ptr<QVZ_Class> record;
    return record;
}

}  // namespace

void QVZ_Class::Clear() { *this = QVZ_Class{}; }

void QVZ_Class::CopyFrom(const QVZ_Class &source) {
    if (&source != this)
        *this = source;
}

std::shared_ptr<QVZ_Class> CurrentRecord() {
    std::shared_ptr<QVZ_Class> &slot = current_slot();
    if (!slot)
        slot = std::make_shared<QVZ_Class>();
    return slot;
}

void DropCurrentRecord() { current_slot().reset(); }

void RecordArray::redim(Long upper) {
    if (upper < 0)
        subscript_out_of_range();
    elements_.clear();
    upper_ = upper;
}

void RecordArray::erase() {
    elements_.clear();
    upper_ = -1;
}

Long RecordArray::upper_bound() const {
    if (!dimensioned())
        subscript_out_of_range();
    return static_cast<Long>(upper_);
}

void RecordArray::check(Long index) const {
    if (index < 0 || index > upper_)
        subscript_out_of_range();
}

std::shared_ptr<QVZ_Class> RecordArray::at(Long index) {
    check(index);
    std::shared_ptr<QVZ_Class> &element = elements_[index];
    if (!element)
        element = std::make_shared<QVZ_Class>();
    return element;
}

Long RecordArray::kind_at(Long index) const {
    check(index);
    const auto found = elements_.find(index);
    return found == elements_.end() ? 0 : found->second->id;
}

RecordArray &PackageRecords() {
    static RecordArray records;
    return records;
}

namespace wrappers {

void GetRecord(Control &control, Long &n) {
    read_record(control, events::dispid::ZynGetData, n, Settings::ByKind);
}

void GetTextRecord(Control &control, Long &n) {
    read_record(control, events::dispid::ZynGetData, n, Settings::Always);
}

void GetRecordWBZ(Control &control, Long &n) {
    read_record(control, events::dispid::ZynGetDataWBZ, n, Settings::ByKind, true);
}

Long AddRecord(Control &control) {
    Long position = add_record(control, events::dispid::ZynAddData, true);
    if (position >= 0) {
        Long mdate = 1;
        events::ZynSetCreateDate(control.host(), position, mdate);
    }
    return position;
}

Long AddRecordWBZ(Control &control) {
    return add_record(control, events::dispid::ZynAddDataWBZ, false);
}

void ChangeRecord(Control &control, Long &n, Integer &wbz) {
    RecordArgs a = RecordArgs::from(*CurrentRecord(), true);
    fire_with_number(control,
                     wbz == -1 ? events::dispid::ZynChangeDataWBZ : events::dispid::ZynChangeData,
                     n, a);
}

Long ReadPackage(Control &control, Long &n) { return LoadPackage(control, n); }

Long WritePackage(Control &control) {
    Long r = StorePackage(control);
    if (r >= 0) {
        Long mdate = 1;
        events::ZynSetCreateDate(control.host(), r, mdate);
        Integer draw = 1;
        events::ZynDrawObject(control.host(), r, draw);
    }
    return r;
}

}  // namespace wrappers

// The first record says how many host records the package spans; each is
// read in turn, and those the host marks as left out (kinds 254 and 255) are
// skipped.  The first record is read twice: once for the count, once as a
// member.
Long LoadPackage(Control &control, Long &n) {
    wrappers::GetRecord(control, n);
    const Long nd = CurrentRecord()->ndata;
    PackageRecords().redim(nd);
    Long count = 0;
    for (Long i = 0; i < nd; ++i) {
        CurrentRecord()->Clear();
        Long t;
        if (__builtin_add_overflow(n, i, &t))
            throw RuntimeError(6, "Overflow");
        wrappers::GetRecord(control, t);
        const std::shared_ptr<QVZ_Class> read = CurrentRecord();
        if (read->id == 255 || read->id == 254)
            continue;
        PackageRecords().at(count)->CopyFrom(*read);
        ++count;
    }
    return count;
}

// Members are lines (2), arcs (10) and kind 4, which stands for two host
// records.  The walk over the elements counts the host records they will
// make; anything else in the examined elements refuses the whole package
// before a record is sent.  The first element is always examined: a package
// whose first record claims no span would otherwise send an unchecked
// (typically empty) record to the drawing.
Long StorePackage(Control &control) {
    RecordArray &package = PackageRecords();
    const Long nd = package.at(0)->ndata;
    std::int64_t j = 0, i = 0, count = 0;
    bool bad = false;
    while (j < nd) {
        switch (package.kind_at(static_cast<Long>(i))) {
        case 2:
        case 10:
            count += 1;
            break;
        case 4:
            count += 2;
            j += 1;
            break;
        default:
            bad = true;
            break;
        }
        ++i;
        ++j;
    }
    if (i == 0) {
        const Long first = package.kind_at(0);
        bad = !(first == 2 || first == 4 || first == 10);
    }
    if (bad)
        return -1;
    if (count > std::numeric_limits<Long>::max())
        throw RuntimeError(6, "Overflow");

    CurrentRecord()->CopyFrom(*package.at(0));
    CurrentRecord()->ndata = static_cast<Long>(count);
    const Long first = wrappers::AddRecord(control);
    for (std::int64_t k = 1; k < i; ++k) {
        const std::shared_ptr<QVZ_Class> record = CurrentRecord();
        record->CopyFrom(*PackageRecords().at(static_cast<Long>(k)));
        record->flag |= 8;
        wrappers::AddRecord(control);
    }
    return first;
}

}  // namespace rotam
