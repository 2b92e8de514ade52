// The entity record on its way between the host and command code: which
// argument carries which field for each kind, the module's records and their
// lifetimes, packages read and written, and the errors on the way.
#include <gtest/gtest.h>

#include <climits>

#include "fake_host.h"
#include "fake_command.h"
#include "record.h"

namespace rotam::testing {
namespace {

namespace dispid {
constexpr std::int32_t ExitCommand = 1, GetData = 103, AddData = 104, DrawObject = 118,
                       SetCreateDate = 127, GetDataWBZ = 141, AddDataWBZ = 142,
                       ChangeData = 354, ChangeDataWBZ = 355;
}

// Positions in the record argument list.
constexpr std::size_t kId = 0, kFlag = 1, kNdata = 8, kText = 23, kDbl01 = 31, kInt01 = 36,
                      kInt05 = 40, kAtr01 = 57, kRecordArgs = 58;

ArgType record_arg_type(std::size_t k) {
    if (k <= 11 || k == 21 || k == 22)
        return ArgType::I4;
    if (k == kText || k == kAtr01)
        return ArgType::Str;
    if (k == 24 || k == 25 || k >= kInt01)
        return ArgType::I2;
    return ArgType::R8;
}

// A value of its own for every argument of a record, set apart by seed.
ArgValue pattern(std::size_t k, int seed) {
    switch (record_arg_type(k)) {
    case ArgType::I4:
        return std::int32_t(seed * 1000 + static_cast<int>(k));
    case ArgType::I2:
        return std::int16_t(seed * 100 + static_cast<int>(k));
    case ArgType::Str:
        return k == kText ? u"文字列" + String(1, char16_t(u'0' + seed)) : u"ＭＳ 明朝" + String(1, char16_t(u'0' + seed));
    default:
        return seed * 1000 + static_cast<double>(k) + 0.5;
    }
}

// A host record: the 58 arguments as the host answers them.
struct HostRecord {
    std::vector<ArgValue> args;
    HostRecord(std::int32_t id, int seed, std::int32_t ndata = 0) {
        for (std::size_t k = 0; k < kRecordArgs; ++k)
            args.push_back(pattern(k, seed));
        args[kId] = id;
        args[kNdata] = ndata;
    }
    void answer(HostCall &c, std::size_t base) const {
        for (std::size_t k = 0; k < kRecordArgs; ++k) {
            const ArgValue &v = args[k];
            if (auto *i4 = std::get_if<std::int32_t>(&v))
                c.i4(base + k) = *i4;
            else if (auto *i2 = std::get_if<std::int16_t>(&v))
                c.i2(base + k) = *i2;
            else if (auto *r8 = std::get_if<double>(&v))
                c.r8(base + k) = *r8;
            else
                c.str(base + k) = std::get<String>(v);
        }
    }
};

// The record list as an event carried it; base skips a leading n.
std::vector<ArgValue> sent_record(const RecordedEvent &e) {
    const std::size_t base = e.dispid == dispid::AddData || e.dispid == dispid::AddDataWBZ ? 0 : 1;
    return {e.sent.begin() + base, e.sent.begin() + base + kRecordArgs};
}

// A record that carries the text settings of host record `seed` and none of
// the attributes that other kinds keep in the same integers.
void expect_text_settings(const QVZ_Class &rec, int seed) {
    EXPECT_EQ(rec.ts_takasa, seed * 1000 + 31.5);
    EXPECT_EQ(rec.ts_pitch, seed * 1000 + 35.5);
    EXPECT_EQ(rec.ts_fonttype, seed * 100 + 36);
    EXPECT_EQ(rec.ts_nodec, seed * 100 + 56);
    EXPECT_EQ(rec.ts_Fontname, u"ＭＳ 明朝" + String(1, char16_t(u'0' + seed)));
    EXPECT_EQ(std::vector<Integer>({rec.atrid, rec.atrflag, rec.ndivide, rec.refno}), std::vector<Integer>(4, 0));
}

// The names of the record fields that differ.
std::vector<std::string> differing_fields(const QVZ_Class &a, const QVZ_Class &b) {
    std::vector<std::string> names;
#define ROTAM_RECORD_FIELD(name, Type) \
    if (!(a.name == b.name))            \
        names.push_back(#name);
#include "control/com/record_fields.inc"
#undef ROTAM_RECORD_FIELD
    return names;
}

class Records : public ::testing::Test {
protected:
    void SetUp() override { reset(); }
    void TearDown() override { reset(); }
    static void reset() {
        DropCurrentRecord();
        PackageRecords().erase();
    }

    // The host's drawing: GetData(n) answers records[n]; a number it does
    // not hold is left unanswered.  Adds are numbered from next_position.
    void serve_drawing() {
        host.on(dispid::GetData, [this](HostCall &c) {
            requested.push_back(c.i4(0));
            if (auto r = drawing.find(c.i4(0)); r != drawing.end())
                r->second.answer(c, 1);
        });
        host.on(dispid::AddData, [this](HostCall &c) { c.i4(kRecordArgs) = next_position++; });
    }
    // Serves host record (kind, seed) as number n of the drawing and reads
    // it with read (GetRecord or GetTextRecord).
    std::shared_ptr<QVZ_Class> read_served(void (*read)(Control &, Long &), std::int32_t kind, int seed,
                                           std::int32_t n = 7) {
        serve_drawing();
        drawing.insert_or_assign(n, HostRecord(kind, seed));
        Long number = n;
        read(control, number);
        return CurrentRecord();
    }
    // A package of records of these kinds whose first element claims ndata.
    static RecordArray &package(std::initializer_list<std::int32_t> kinds, std::int32_t ndata) {
        RecordArray &p = PackageRecords();
        p.redim(static_cast<Long>(kinds.size()) - 1);
        Long i = 0;
        for (std::int32_t kind : kinds)
            p.at(i++)->id = kind;
        p.at(0)->ndata = ndata;
        return p;
    }
    std::vector<const RecordedEvent *> heard(std::int32_t id) const {
        std::vector<const RecordedEvent *> out;
        for (const RecordedEvent &e : host.events())
            if (e.dispid == id)
                out.push_back(&e);
        return out;
    }

    FakeOwner owner;
    FakeHost &host = owner.host_events;
    Control &control = owner.control;
    std::map<std::int32_t, HostRecord> drawing;
    std::vector<std::int32_t> requested;
    std::int32_t next_position = 40;
};

TEST_F(Records, ANewRecordAndAClearedOneHoldNothing) {
    QVZ_Class r;
    EXPECT_TRUE(differing_fields(r, QVZ_Class{}).empty());
    r.id = 5, r.refno = -3, r.kaiten = 1.5, r.text = u"x", r.ts_Fontname = u"f", r.ts_nodec = 9;
    QVZ_Class copy;
    copy.CopyFrom(r);
    EXPECT_TRUE(differing_fields(copy, r).empty());
    copy.CopyFrom(copy);
    EXPECT_TRUE(differing_fields(copy, r).empty());
    r.Clear();
    EXPECT_TRUE(differing_fields(r, QVZ_Class{}).empty());
    EXPECT_EQ(copy.ts_Fontname, u"f");  // a copy owns its strings
}

TEST_F(Records, TextKindsTravelWithTheirSettingsBothWays) {
    for (std::int32_t kind : {5, 20}) {
        const auto rec = read_served(wrappers::GetRecord, kind, 3);
        EXPECT_EQ(rec->id, kind);
        EXPECT_EQ(rec->x1, 3012.5);
        EXPECT_EQ(rec->text, u"文字列3");
        expect_text_settings(*rec, 3);

        host.clear();
        EXPECT_EQ(wrappers::AddRecord(control), 40 + (kind == 20));
        ASSERT_EQ(heard(dispid::AddData).size(), 1u);
        EXPECT_EQ(sent_record(*heard(dispid::AddData)[0]), drawing.at(7).args);
        // The work buffer's add sends the settings of a text kind too.
        wrappers::AddRecordWBZ(control);
        EXPECT_EQ(sent_record(*heard(dispid::AddDataWBZ)[0]), drawing.at(7).args);
    }
}

TEST_F(Records, OtherKindsCarryTheirAttributesInTheFirstFourIntegers) {
    const auto rec = read_served(wrappers::GetRecord, 2, 4);
    EXPECT_EQ(rec->atrid, 436);
    EXPECT_EQ(rec->atrflag, 437);
    EXPECT_EQ(rec->ndivide, 438);
    EXPECT_EQ(rec->refno, 439);
    QVZ_Class no_settings;
    no_settings.CopyFrom(*rec);
    no_settings.ts_takasa = 1;  // any one that differs proves the rest are 0
    EXPECT_EQ(differing_fields(*rec, no_settings), std::vector<std::string>{"ts_takasa"});
    EXPECT_EQ(rec->ts_takasa, 0.0);
    EXPECT_EQ(rec->ts_nodec, 0);
    EXPECT_EQ(rec->ts_Fontname, u"");

    host.clear();
    wrappers::AddRecord(control);
    std::vector<ArgValue> expected = drawing.at(7).args;
    for (std::size_t k = kDbl01; k < kInt01; ++k)
        expected[k] = 0.0;
    for (std::size_t k = kInt05; k < kAtr01; ++k)
        expected[k] = std::int16_t(0);
    expected[kAtr01] = String();
    EXPECT_EQ(sent_record(*heard(dispid::AddData)[0]), expected);
}

TEST_F(Records, DoubleSettingsOfOtherKindsGoToTheDrawingButNotToTheWorkBuffer) {
    const auto rec = CurrentRecord();
    rec->id = 2;
    rec->ts_takasa = 3.5;
    rec->ts_pitch = -1.25;
    rec->ts_fonttype = 9;  // integers of other kinds are their attributes
    rec->ts_Fontname = u"font";
    wrappers::AddRecord(control);
    Long n = 12;
    Integer wbz = 0;
    wrappers::ChangeRecord(control, n, wbz);
    wrappers::AddRecordWBZ(control);
    for (std::int32_t id : {dispid::AddData, dispid::ChangeData, dispid::AddDataWBZ}) {
        const auto sent = sent_record(*heard(id).at(0));
        const bool to_drawing = id != dispid::AddDataWBZ;
        EXPECT_EQ(sent[kDbl01], ArgValue(to_drawing ? 3.5 : 0.0)) << id;
        EXPECT_EQ(sent[kDbl01 + 4], ArgValue(to_drawing ? -1.25 : 0.0)) << id;
        EXPECT_EQ(sent[kInt01], ArgValue(std::int16_t(0))) << id;
        EXPECT_EQ(sent[kAtr01], ArgValue(String())) << id;
    }
}

TEST_F(Records, TextRecordReadTakesSettingsWhateverTheKind) {
    const auto rec = read_served(wrappers::GetTextRecord, 2, 5);
    EXPECT_EQ(rec->id, 2);
    expect_text_settings(*rec, 5);
}

TEST_F(Records, ReadersOverwriteEveryFieldAndPassTheCallersNumber) {
    // A host that answers nothing leaves a cleared record behind.
    CurrentRecord()->id = 5;
    CurrentRecord()->ts_Fontname = u"old";
    CurrentRecord()->atrid = 4;
    Long n = 3;
    wrappers::GetRecord(control, n);
    EXPECT_TRUE(differing_fields(*CurrentRecord(), QVZ_Class{}).empty());

    // What the host writes into n reaches the caller; the work buffer is a
    // different event.
    host.on(dispid::GetDataWBZ, [](HostCall &c) {
        HostRecord(10, 6).answer(c, 1);
        c.i4(0) = 99;
    });
    wrappers::GetRecordWBZ(control, n);
    EXPECT_EQ(n, 99);
    EXPECT_EQ(CurrentRecord()->id, 10);
    EXPECT_EQ(CurrentRecord()->refno, 639);
    EXPECT_EQ(std::get<std::int32_t>(host.events().back().sent[0]), 3);
}

TEST_F(Records, WritersSendWhatTheRecordHoldsAndKeepIt) {
    const auto rec = CurrentRecord();
    rec->id = 20;
    rec->text = u"abc";
    rec->ts_nodg = 2;
    // A host that writes back into the list changes nothing of the record.
    auto scribble = [](HostCall &c) { HostRecord(2, 9).answer(c, 1); };
    host.on(dispid::ChangeData, scribble);
    host.on(dispid::ChangeDataWBZ, scribble);
    for (Integer wbz : {Integer(-1), Integer(1), Integer(0)}) {
        Long n = 8;
        wrappers::ChangeRecord(control, n, wbz);
        EXPECT_EQ(n, 8);
    }
    EXPECT_EQ(host.dispids(),
              (std::vector<std::int32_t>{dispid::ChangeDataWBZ, dispid::ChangeData, dispid::ChangeData}));
    EXPECT_EQ(std::get<std::int32_t>(host.events()[0].sent[0]), 8);
    EXPECT_EQ(std::get<std::int16_t>(host.events()[0].sent[1 + kInt01 + 19]), 2);
    EXPECT_EQ(rec->id, 20);
    EXPECT_EQ(rec->text, u"abc");
    EXPECT_EQ(rec.get(), CurrentRecord().get());
}

TEST_F(Records, OnlyASuccessfulAddToTheDrawingGetsItsCreationDate) {
    host.on(dispid::AddData, [](HostCall &c) { c.i4(kRecordArgs) = -3; });
    EXPECT_EQ(wrappers::AddRecord(control), -3);
    EXPECT_EQ(host.count(dispid::SetCreateDate), 0u);

    // A host that leaves position alone has added record 0.
    host.on(dispid::AddData, {});
    EXPECT_EQ(wrappers::AddRecord(control), 0);
    ASSERT_EQ(host.count(dispid::SetCreateDate), 1u);
    EXPECT_EQ(host.events().back().sent, (std::vector<ArgValue>{0, 1}));
    EXPECT_EQ(host.events()[0].sent.back(), ArgValue(0));  // position starts at 0

    host.on(dispid::AddDataWBZ, [](HostCall &c) { c.i4(kRecordArgs) = 5; });
    EXPECT_EQ(wrappers::AddRecordWBZ(control), 5);
    EXPECT_EQ(host.count(dispid::SetCreateDate), 1u);
}

TEST_F(Records, TheEndOfARunDropsTheRecordButNotItsHolders) {
    FakeCommand dialog;
    install_command(&dialog);
    CurrentRecord()->id = 4;  // a run does not start with a new record
    std::shared_ptr<QVZ_Class> held;
    dialog.while_open = [&](int) {
        held = CurrentRecord();
        EXPECT_EQ(held->id, 4);
        held->layer = 3;
    };
    control.ZynInitCommand();
    install_command(nullptr);
    HostVersion().clear();
    EXPECT_EQ(held->layer, 3);
    EXPECT_NE(CurrentRecord().get(), held.get());
    EXPECT_TRUE(differing_fields(*CurrentRecord(), QVZ_Class{}).empty());
}

TEST_F(Records, CommandCodeReachesTheWrappersThroughTheRunningControl) {
    FakeCommand dialog;
    install_command(&dialog);
    serve_drawing();
    drawing.emplace(6, HostRecord(2, 1));
    Long id = 0;
    dialog.while_open = [&](int) {
        Long n = 6;
        wrappers::GetRecord(service_control(), n);
        id = CurrentRecord()->id;
    };
    control.ZynInitCommand();
    install_command(nullptr);
    HostVersion().clear();
    EXPECT_EQ(id, 2);
    // After the run there is no control to call on, and nothing is fired.
    host.clear();
    Long n = 6;
    EXPECT_EQ(error_of([&] { wrappers::GetRecord(service_control(), n); }), 91);
    EXPECT_TRUE(host.events().empty());
}

TEST_F(Records, TheEndOfACommandLeavesAnEmptyPackage) {
    serve_drawing();
    drawing.emplace(0, HostRecord(2, 1, 1));
    Long n = 0;
    ASSERT_EQ(LoadPackage(control, n), 1);
    Long bound_heard = -1, kind_heard = -1;
    host.on(dispid::ExitCommand, [&](HostCall &) {
        bound_heard = PackageRecords().upper_bound();
        kind_heard = PackageRecords().kind_at(0);
        PackageRecords().redim(4);  // the host's handler may use a package itself
    });
    control.ZynExitCommand();
    EXPECT_EQ(bound_heard, 0);
    EXPECT_EQ(kind_heard, 0);
    EXPECT_EQ(PackageRecords().upper_bound(), 4);

    control.teardown();
    EXPECT_EQ(PackageRecords().upper_bound(), 0);
    EXPECT_EQ(PackageRecords().kind_at(0), 0);

    // Teardown leaves an empty package even when the host fails the end.
    PackageRecords().redim(2);
    host.on(dispid::ExitCommand, [](HostCall &) { throw RuntimeError(5, "x"); });
    control.teardown();
    EXPECT_EQ(PackageRecords().upper_bound(), 0);
}

TEST_F(Records, LoadingSkipsRecordsLeftOutAndReadsTheFirstTwice) {
    serve_drawing();
    drawing.emplace(10, HostRecord(2, 1, 4));
    drawing.emplace(11, HostRecord(254, 2));
    drawing.emplace(12, HostRecord(4, 3));
    drawing.emplace(13, HostRecord(255, 4));
    auto stale = [] { PackageRecords().redim(0); return PackageRecords().at(0); }();
    stale->id = 10;
    Long n = 10;
    EXPECT_EQ(wrappers::ReadPackage(control, n), 2);
    EXPECT_EQ(requested, (std::vector<std::int32_t>{10, 10, 11, 12, 13}));
    RecordArray &p = PackageRecords();
    EXPECT_EQ(p.upper_bound(), 4);
    EXPECT_EQ(p.at(0)->x1, 1012.5);
    EXPECT_EQ(p.at(0)->ndata, 4);
    EXPECT_EQ(p.at(1)->id, 4);
    EXPECT_EQ(p.at(1)->x1, 3012.5);
    for (Long i = 2; i <= 4; ++i)
        EXPECT_TRUE(differing_fields(*p.at(i), QVZ_Class{}).empty()) << i;
    EXPECT_EQ(stale->id, 10);  // the old package is let go, not reused
    EXPECT_EQ(CurrentRecord()->id, 255);
}

TEST_F(Records, LoadingAPackageOfNoRecordsReadsOnce) {
    serve_drawing();
    drawing.emplace(3, HostRecord(2, 1, 0));
    Long n = 3;
    EXPECT_EQ(LoadPackage(control, n), 0);
    EXPECT_EQ(requested.size(), 1u);
    EXPECT_EQ(PackageRecords().upper_bound(), 0);
    EXPECT_EQ(PackageRecords().kind_at(0), 0);
}

TEST_F(Records, LoadingReadsTheCallersNumberAnewAndKeepsItsOwnCounter) {
    // The first read moves n; the members are read from the moved number,
    // and what the host writes into their numbers goes nowhere.
    host.on(dispid::GetData, [this](HostCall &c) {
        requested.push_back(c.i4(0));
        HostRecord(2, 1, 2).answer(c, 1);
        c.i4(0) = requested.size() == 1 ? 50 : -1;
    });
    Long n = 5;
    EXPECT_EQ(LoadPackage(control, n), 2);
    EXPECT_EQ(requested, (std::vector<std::int32_t>{5, 50, 51}));
    EXPECT_EQ(n, 50);
}

TEST_F(Records, LoadingFailsOnANegativeCountAndOnNumbersBeyondRange) {
    serve_drawing();
    drawing.emplace(1, HostRecord(2, 1, -1));
    PackageRecords().redim(2);
    Long n = 1;
    EXPECT_EQ(error_of([&] { LoadPackage(control, n); }), 9);
    EXPECT_EQ(PackageRecords().upper_bound(), 2);

    host.on(dispid::GetData, [](HostCall &c) { HostRecord(2, 1, 3).answer(c, 1); });
    n = INT32_MAX - 1;
    EXPECT_EQ(error_of([&] { LoadPackage(control, n); }), 6);
}

TEST_F(Records, AnEndOfTheCommandInsideALoadIsAnErrorNotACrash) {
    serve_drawing();
    drawing.emplace(0, HostRecord(2, 1, 3));
    host.on(dispid::GetData, [this](HostCall &c) {
        requested.push_back(c.i4(0));
        drawing.at(0).answer(c, 1);
        if (requested.size() == 3)
            control.ZynExitCommand();
    });
    Long n = 0;
    EXPECT_EQ(error_of([&] { LoadPackage(control, n); }), 9);
}

TEST_F(Records, ThePackageIsWrittenAsItsFirstElementSays) {
    RecordArray &p = package({2, 4, 99}, 3);  // 99 is beyond the span: neither examined nor written
    p.at(0)->flag = 1;
    p.at(1)->flag = 0x11;
    serve_drawing();
    EXPECT_EQ(StorePackage(control), 40);
    const auto adds = heard(dispid::AddData);
    ASSERT_EQ(adds.size(), 2u);
    EXPECT_EQ(sent_record(*adds[0])[kNdata], ArgValue(3));
    EXPECT_EQ(sent_record(*adds[0])[kFlag], ArgValue(1));
    EXPECT_EQ(sent_record(*adds[1])[kId], ArgValue(4));
    EXPECT_EQ(sent_record(*adds[1])[kFlag], ArgValue(0x19));
    EXPECT_EQ(p.at(1)->flag, 0x11);
    EXPECT_EQ(CurrentRecord()->flag, 0x19);
    EXPECT_EQ(p.at(0)->ndata, 3);
}

TEST_F(Records, ThePackageCountIsRecomputedFromItsMembers) {
    // Three lines claim a span of 3; an arc and a kind-4 member make 4.
    RecordArray &p = package({10, 4, 2}, 3);
    StorePackage(control);
    EXPECT_EQ(host.count(dispid::AddData), 2u);
    EXPECT_EQ(sent_record(host.events()[0])[kNdata], ArgValue(3));

    host.clear();
    p.at(0)->ndata = 4;
    StorePackage(control);
    EXPECT_EQ(host.count(dispid::AddData), 3u);
    EXPECT_EQ(sent_record(host.events()[0])[kNdata], ArgValue(4));
}

TEST_F(Records, AForeignKindInThePackageRefusesItBeforeAnythingIsSent) {
    package({2, 5}, 2);
    EXPECT_EQ(wrappers::WritePackage(control), -1);
    package({255, 2}, 2);
    EXPECT_EQ(wrappers::WritePackage(control), -1);
    // An element never filled is a record of kind 0.
    RecordArray &p = PackageRecords();
    p.redim(3);
    p.at(0)->id = 2;
    p.at(0)->ndata = 3;
    p.at(2)->id = 2;
    EXPECT_EQ(wrappers::WritePackage(control), -1);
    EXPECT_TRUE(host.events().empty());
}

TEST_F(Records, AnEmptyPackageSendsNothing) {
    // After the end of a command the package has one empty element.
    control.ZynExitCommand();
    host.clear();
    EXPECT_EQ(wrappers::WritePackage(control), -1);
    EXPECT_TRUE(host.events().empty());
    // A real first member with no span is still written, with a count of 0.
    PackageRecords().at(0)->id = 2;
    serve_drawing();
    EXPECT_EQ(StorePackage(control), 40);
    EXPECT_EQ(sent_record(host.events()[0])[kNdata], ArgValue(0));
}

TEST_F(Records, StoringOutsideTheArrayIsASubscriptError) {
    EXPECT_EQ(error_of([&] { StorePackage(control); }), 9);
    EXPECT_EQ(error_of([&] { wrappers::WritePackage(control); }), 9);
    package({2, 2}, 5);
    EXPECT_EQ(error_of([&] { StorePackage(control); }), 9);
    EXPECT_TRUE(host.events().empty());
}

TEST_F(Records, AFailedFirstAddStillWritesTheRestButAnnouncesNothing) {
    package({2, 10}, 2);
    std::vector<std::int32_t> answers = {-7, 12};
    host.on(dispid::AddData, [&](HostCall &c) {
        c.i4(kRecordArgs) = answers.front();
        answers.erase(answers.begin());
    });
    EXPECT_EQ(wrappers::WritePackage(control), -7);
    EXPECT_EQ(host.dispids(),
              (std::vector<std::int32_t>{dispid::AddData, dispid::AddData, dispid::SetCreateDate}));
    EXPECT_EQ(host.events().back().sent, (std::vector<ArgValue>{12, 1}));
    EXPECT_EQ(host.count(dispid::DrawObject), 0u);
}

TEST_F(Records, AWrittenPackageIsDatedTwiceAndDrawn) {
    RecordArray &p = PackageRecords();
    p.redim(1);
    p.at(0)->id = 4;
    p.at(0)->ndata = 2;
    serve_drawing();
    EXPECT_EQ(wrappers::WritePackage(control), 40);
    EXPECT_EQ(host.dispids(), (std::vector<std::int32_t>{dispid::AddData, dispid::SetCreateDate,
                                                         dispid::SetCreateDate, dispid::DrawObject}));
    EXPECT_EQ(host.events()[1].sent, (std::vector<ArgValue>{40, 1}));
    EXPECT_EQ(host.events()[2].sent, (std::vector<ArgValue>{40, 1}));
    EXPECT_EQ(host.events()[3].sent, (std::vector<ArgValue>{40, std::int16_t(1)}));
    EXPECT_EQ(host.events()[3].types, (std::vector<ArgType>{ArgType::I4, ArgType::I2}));
}

TEST_F(Records, APackageWithLeftOutRecordsRoundTrips) {
    serve_drawing();
    drawing.emplace(20, HostRecord(2, 1, 5));
    drawing.emplace(21, HostRecord(255, 2));
    drawing.emplace(22, HostRecord(4, 3));
    drawing.emplace(23, HostRecord(254, 4));
    drawing.emplace(24, HostRecord(10, 5));
    Long n = 20;
    ASSERT_EQ(wrappers::ReadPackage(control, n), 3);
    host.clear();
    // Kind 4 counts twice, so the walk over ndata 5 examines four elements:
    // the fourth was never filled and spoils the package.
    EXPECT_EQ(wrappers::WritePackage(control), -1);
    EXPECT_TRUE(host.events().empty());

    PackageRecords().at(0)->ndata = 4;
    EXPECT_EQ(wrappers::WritePackage(control), 40);
    const auto adds = heard(dispid::AddData);
    ASSERT_EQ(adds.size(), 3u);
    std::vector<ArgValue> first = drawing.at(20).args, member = drawing.at(22).args,
                          last = drawing.at(24).args;
    first[kNdata] = 4;
    member[kFlag] = std::get<std::int32_t>(member[kFlag]) | 8;
    last[kFlag] = std::get<std::int32_t>(last[kFlag]) | 8;
    for (auto *args : {&first, &member, &last})  // other kinds send no text settings
        for (std::size_t k = kInt05; k <= kAtr01; ++k)
            (*args)[k] = k == kAtr01 ? ArgValue(String()) : ArgValue(std::int16_t(0));
    for (auto *args : {&first, &member, &last})
        for (std::size_t k = kDbl01; k < kInt01; ++k)
            (*args)[k] = 0.0;
    EXPECT_EQ(sent_record(*adds[0]), first);
    EXPECT_EQ(sent_record(*adds[1]), member);
    EXPECT_EQ(sent_record(*adds[2]), last);
}

TEST_F(Records, ArraysCheckEveryIndexAndCostNothingUntilUsed) {
    RecordArray a;
    EXPECT_FALSE(a.dimensioned());
    EXPECT_EQ(error_of([&] { a.at(0); }), 9);
    EXPECT_EQ(error_of([&] { a.upper_bound(); }), 9);
    EXPECT_EQ(error_of([&] { a.redim(-1); }), 9);
    a.redim(INT32_MAX);
    a.at(INT32_MAX)->id = 2;
    EXPECT_EQ(a.kind_at(INT32_MAX), 2);
    EXPECT_EQ(a.kind_at(1000), 0);
    EXPECT_EQ(error_of([&] { a.at(-1); }), 9);
    a.redim(1);
    EXPECT_EQ(a.kind_at(1), 0);
    EXPECT_EQ(error_of([&] { a.kind_at(2); }), 9);
    a.erase();
    EXPECT_EQ(error_of([&] { a.kind_at(0); }), 9);
}

}  // namespace
}  // namespace rotam::testing
