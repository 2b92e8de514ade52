// The type library embedded in rotamcmd.dll, checked member by member
// against the interface tables the component is built from, and at a few
// points against the published numbers, names and types written out here.
#include <algorithm>
#include <cstring>
#include <cwctype>
#include <tuple>
#include <map>
#include <string>

#include "events_table.h"
#include "wintest_util.h"

namespace rotam::test {
namespace {

struct Param {
    std::wstring name;
    VARTYPE vt;     // without VT_BYREF
    bool by_ref;
    USHORT flags;
};

struct Function {
    std::wstring name;
    INVOKEKIND kind;
    VARTYPE result;
    std::vector<Param> params;
};

// The functions of one dispatch interface, by DISPID and kind.
std::multimap<MEMBERID, Function> functions(ITypeInfo *info, UINT *count = nullptr) {
    std::multimap<MEMBERID, Function> all;
    TYPEATTR *attr = nullptr;
    if (FAILED(info->GetTypeAttr(&attr)))
        return all;
    if (count)
        *count = attr->cFuncs;
    for (UINT i = 0; i < attr->cFuncs; ++i) {
        FUNCDESC *f = nullptr;
        info->GetFuncDesc(i, &f);
        BSTR names[80] = {};
        UINT got = 0;
        info->GetNames(f->memid, names, 80, &got);
        Function fn{names[0] ? names[0] : L"", f->invkind, f->elemdescFunc.tdesc.vt, {}};
        for (SHORT p = 0; p < f->cParams; ++p) {
            const ELEMDESC &e = f->lprgelemdescParam[p];
            const bool by_ref = e.tdesc.vt == VT_PTR;
            const std::wstring name = static_cast<UINT>(p + 1) < got && names[p + 1] ? names[p + 1] : L"";
            fn.params.push_back({name, by_ref ? e.tdesc.lptdesc->vt : e.tdesc.vt, by_ref, e.paramdesc.wParamFlags});
        }
        for (UINT n = 0; n < got; ++n)
            SysFreeString(names[n]);
        all.emplace(f->memid, std::move(fn));
        info->ReleaseFuncDesc(f);
    }
    info->ReleaseTypeAttr(attr);
    return all;
}

VARTYPE vt_of(ArgType t) {
    switch (t) {
    case ArgType::I2:
        return VT_I2;
    case ArgType::R8:
        return VT_R8;
    case ArgType::Str:
        return VT_BSTR;
    default:
        return VT_I4;
    }
}

std::wstring wide(const char *s) { return std::wstring(s, s + std::strlen(s)); }

class TypeLibrary : public ::testing::Test {
protected:
    OleThread ole;
    com_ptr<ITypeLib> lib;

    void SetUp() override {
        ASSERT_EQ(LoadTypeLibEx(dll_path().c_str(), REGKIND_NONE, lib.put()), S_OK);
    }
    com_ptr<ITypeInfo> info(REFGUID guid) {
        com_ptr<ITypeInfo> i;
        EXPECT_EQ(lib->GetTypeInfoOfGuid(guid, i.put()), S_OK);
        return i;
    }
    const Function *find(const std::multimap<MEMBERID, Function> &all, MEMBERID id,
                         INVOKEKIND kind = INVOKE_FUNC) {
        auto [first, last] = all.equal_range(id);
        for (auto it = first; it != last; ++it)
            if (it->second.kind == kind)
                return &it->second;
        return nullptr;
    }
    // A property getter with this DISPID, name and type.
    void expect_getter(const std::multimap<MEMBERID, Function> &all, MEMBERID id, const std::wstring &name,
                       VARTYPE vt) {
        const Function *f = find(all, id, INVOKE_PROPERTYGET);
        ASSERT_NE(f, nullptr) << id;
        EXPECT_EQ(f->name, name);
        EXPECT_EQ(f->result, vt) << f->name;
    }
};

TEST_F(TypeLibrary, IsNamedAndVersionedAsRegistered) {
    TLIBATTR *attr = nullptr;
    ASSERT_EQ(lib->GetLibAttr(&attr), S_OK);
    EXPECT_EQ(attr->guid, com::LIBID_rotamcmd);
    EXPECT_EQ(attr->wMajorVerNum, 1);
    EXPECT_EQ(attr->wMinorVerNum, 0);
    lib->ReleaseTLibAttr(attr);
    com::unique_bstr name;
    ASSERT_EQ(lib->GetDocumentation(-1, name.put(), nullptr, nullptr, nullptr), S_OK);
    EXPECT_STREQ(name.get(), L"rotamcmd");
}

TEST_F(TypeLibrary, EventInterfaceMatchesTheCatalogueMemberByMember) {
    UINT count = 0;
    const auto all = functions(info(com::DIID___ZynOptCmd120).get(), &count);
    EXPECT_EQ(count, 371u);
    for (const auto &e : events::kEvents) {
        const Function *f = find(all, e.dispid);
        ASSERT_NE(f, nullptr) << e.name;
        EXPECT_EQ(f->name, wide(e.name));
        EXPECT_EQ(f->result, VT_VOID) << e.name;
        ASSERT_EQ(f->params.size(), e.params.size()) << e.name;
        for (std::size_t i = 0; i < e.params.size(); ++i) {
            const Param &p = f->params[i];
            const auto &want = e.params[i];
            EXPECT_EQ(p.name, wide(want.name)) << e.name;
            EXPECT_EQ(p.vt, vt_of(want.type)) << e.name << " " << want.name;
            const bool by_value = want.type == ArgType::I4ByVal;
            EXPECT_EQ(p.by_ref, !by_value) << e.name << " " << want.name;
            EXPECT_EQ(p.flags, by_value ? PARAMFLAG_FIN : (PARAMFLAG_FIN | PARAMFLAG_FOUT))
                << e.name << " " << want.name;
        }
    }
}

TEST_F(TypeLibrary, EventsAsPublished) {
    const auto all = functions(info(com::DIID___ZynOptCmd120).get());
    auto expect = [&](MEMBERID id, const wchar_t *name, std::vector<std::pair<const wchar_t *, VARTYPE>> params) {
        const Function *f = find(all, id);
        ASSERT_NE(f, nullptr) << id;
        EXPECT_EQ(f->name, name);
        ASSERT_EQ(f->params.size(), params.size()) << id;
        for (std::size_t i = 0; i < params.size(); ++i) {
            EXPECT_EQ(f->params[i].name, params[i].first) << id << " " << i;
            EXPECT_EQ(f->params[i].vt, params[i].second) << id << " " << i;
        }
    };
    expect(1, L"ZynExitCommand", {});
    expect(224, L"ZynGetZynVersion", {{L"ver", VT_BSTR}});
    expect(240, L"ZynGetProfileString",
           {{L"section", VT_BSTR}, {L"key", VT_BSTR}, {L"default", VT_BSTR}, {L"result", VT_BSTR}});
    expect(157, L"ZynCheckMinmaxWBZ",
           {{L"bLayer", VT_I2}, {L"nStart", VT_I4}, {L"xmax", VT_R8}, {L"xmin", VT_R8}, {L"ymax", VT_R8},
            {L"ymin", VT_R8}});
    expect(255, L"ZynGetActiveZoririTitle", {{L"DocTitle", VT_BSTR}, {L"VwTitle", VT_BSTR}, {L"result", VT_I2}});
    expect(372, L"ZynClipByPolytoWBZ", {{L"ndata", VT_I4}, {L"nSelect", VT_I4}, {L"nCut", VT_I4}, {L"result", VT_I4}});
    expect(297, L"ZynGetAtribute",
           {{L"n", VT_I4}, {L"id", VT_I4}, {L"flag", VT_I4}, {L"layer", VT_I4}, {L"segment", VT_I4},
            {L"color", VT_I4}, {L"ltype", VT_I4}, {L"width", VT_I4}, {L"page", VT_I4}, {L"ndata", VT_I4},
            {L"group", VT_I4}, {L"undo", VT_I4}, {L"dimension", VT_I4}});
    EXPECT_NE(find(all, 270), nullptr);
    EXPECT_EQ(find(all, 225), nullptr) << "225 is unassigned";

    const Function *display = find(all, 320);
    ASSERT_NE(display, nullptr);
    EXPECT_EQ(display->name, L"ZynQVZDisplay");
    ASSERT_EQ(display->params.size(), 1u);
    EXPECT_FALSE(display->params[0].by_ref);
    EXPECT_EQ(display->params[0].vt, VT_I4);

    // The record list: n, then 58 arguments; text is the 24th of them.
    const Function *get_data = find(all, 103);
    ASSERT_NE(get_data, nullptr);
    ASSERT_EQ(get_data->params.size(), 59u);
    EXPECT_EQ(get_data->params[24].name, L"text");
    EXPECT_EQ(get_data->params[24].vt, VT_BSTR);
    EXPECT_EQ(get_data->params[58].name, L"atr01");
    const Function *add_data = find(all, 104);
    ASSERT_NE(add_data, nullptr);
    EXPECT_EQ(add_data->params.back().name, L"position");
    EXPECT_EQ(add_data->params[0].name, L"id");

    // Automation clients find the parameter by the name the hosts know, in
    // any case: the rewritten spelling left the name's hash alone.
    com_ptr<ITypeInfo> events_info = info(com::DIID___ZynOptCmd120);
    for (const auto &[member, param, id] : {std::tuple{L"ZynGetProfileString", L"default", 240},
                                            std::tuple{L"ZynGetProfileInt", L"DEFAULT", 242}}) {
        LPOLESTR names[] = {const_cast<LPOLESTR>(member), const_cast<LPOLESTR>(param)};
        MEMBERID ids[2] = {};
        ASSERT_EQ(events_info->GetIDsOfNames(names, 2, ids), S_OK) << param;
        EXPECT_EQ(ids[0], id);
        EXPECT_EQ(ids[1], 2);
    }
}

TEST_F(TypeLibrary, ControlInterfaceHasTheMethodsAndPropertiesInOrder) {
    UINT count = 0;
    const auto all = functions(info(com::DIID__ZynOptCmd120).get(), &count);
    EXPECT_EQ(count, 24u + 2 * 78u);
    for (const auto &m : events::kMethods) {
        const Function *f = find(all, m.dispid);
        ASSERT_NE(f, nullptr) << m.name;
        EXPECT_EQ(f->name, wide(m.name));
        EXPECT_EQ(f->result, VT_VARIANT) << m.name;
        ASSERT_EQ(f->params.size(), m.params.size()) << m.name;
        for (std::size_t i = 0; i < m.params.size(); ++i) {
            EXPECT_EQ(f->params[i].name, wide(m.params[i].name));
            EXPECT_EQ(f->params[i].vt, vt_of(m.params[i].type));
            EXPECT_TRUE(f->params[i].by_ref);
        }
    }
    for (const auto &p : events::kProperties) {
        expect_getter(all, p.dispid, wide(p.name), p.vt);
        const Function *setter = find(all, p.dispid, INVOKE_PROPERTYPUT);
        ASSERT_NE(setter, nullptr) << p.name;
        ASSERT_EQ(setter->params.size(), 1u);
        EXPECT_EQ(setter->params[0].vt, p.vt) << p.name;
    }

    expect_getter(all, 0x40030000, L"mcx", VT_I4);
    expect_getter(all, 0x4003001E, L"str", VT_BSTR);
    expect_getter(all, 0x40030022, L"Snap", VT_BOOL);
    expect_getter(all, 0x4003004D, L"FDgcy2", VT_R8);
    const Function *first = find(all, 0x60030000);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->name, L"ZynInitCommand");
    EXPECT_TRUE(first->params.empty());
    const Function *wheel = find(all, 0x60030011);
    ASSERT_NE(wheel, nullptr);
    EXPECT_EQ(wheel->name, L"ZynOnMouseWheel");
    EXPECT_EQ(wheel->params[1].vt, VT_I2);
    const Function *last = find(all, 0x60030017);
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(last->name, L"ZynRestartCommand");
    ASSERT_EQ(last->params.size(), 1u);
    EXPECT_EQ(last->params[0].name, L"Mode");
}

TEST_F(TypeLibrary, RecordInterfaceHasItsFieldsInOrder) {
    UINT count = 0;
    const auto all = functions(info(com::DIID__QVZ_Class).get(), &count);
    EXPECT_EQ(count, 2 * 62u);
    for (const auto &p : events::kRecordFields) {
        expect_getter(all, p.dispid, wide(p.name), p.vt);
        EXPECT_NE(find(all, p.dispid, INVOKE_PROPERTYPUT), nullptr) << p.name;
    }
    expect_getter(all, 0x40030000, L"id", VT_I4);
    expect_getter(all, 0x40030017, L"atrid", VT_I2);
    expect_getter(all, 0x4003001B, L"text", VT_BSTR);
    expect_getter(all, 0x40030036, L"ts_Fontname", VT_BSTR);
    expect_getter(all, 0x4003003D, L"kaiten", VT_R8);
}

TEST_F(TypeLibrary, ClassesAreAControlAndANonCreatableRecord) {
    com_ptr<ITypeInfo> control = info(com::CLSID_ZynOptCmd120);
    TYPEATTR *attr = nullptr;
    ASSERT_EQ(control->GetTypeAttr(&attr), S_OK);
    EXPECT_EQ(attr->typekind, TKIND_COCLASS);
    EXPECT_TRUE(attr->wTypeFlags & TYPEFLAG_FCONTROL);
    EXPECT_TRUE(attr->wTypeFlags & TYPEFLAG_FCANCREATE);
    ASSERT_EQ(attr->cImplTypes, 2);
    control->ReleaseTypeAttr(attr);
    std::map<int, GUID> implemented;
    for (UINT i = 0; i < 2; ++i) {
        INT flags = 0;
        HREFTYPE ref = 0;
        control->GetImplTypeFlags(i, &flags);
        control->GetRefTypeOfImplType(i, &ref);
        com_ptr<ITypeInfo> impl;
        ASSERT_EQ(control->GetRefTypeInfo(ref, impl.put()), S_OK);
        TYPEATTR *a = nullptr;
        impl->GetTypeAttr(&a);
        implemented[flags] = a->guid;
        impl->ReleaseTypeAttr(a);
    }
    EXPECT_EQ(implemented[IMPLTYPEFLAG_FDEFAULT], com::DIID__ZynOptCmd120);
    EXPECT_EQ(implemented[IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE], com::DIID___ZynOptCmd120);

    com_ptr<ITypeInfo> record = info(com::CLSID_QVZ_Class);
    ASSERT_EQ(record->GetTypeAttr(&attr), S_OK);
    EXPECT_FALSE(attr->wTypeFlags & TYPEFLAG_FCANCREATE);
    record->ReleaseTypeAttr(attr);
    com::unique_bstr name;
    record->GetDocumentation(MEMBERID_NIL, name.put(), nullptr, nullptr, nullptr);
    EXPECT_STREQ(name.get(), L"QVZ_Class");
}

}  // namespace
}  // namespace rotam::test
