"""The wrapper reference against entries written down by hand, and the
generator's refusals when the catalogue and the code disagree."""

import pathlib
import tempfile
import unittest

import generate

ROOT = pathlib.Path(__file__).resolve().parents[2]
CORE = ROOT / "control" / "core"
SOURCES = {
    "catalogue": CORE / "wrappers_catalogue.inc",
    "events": ROOT / "control" / "events" / "catalogue.txt",
    "needs": CORE / "wrappers.cpp",
    "handwritten": CORE / "wrappers_handwritten.cpp",
}


def build(**replaced):
    """The entries, with the catalogue text changed by (old, new) pairs."""
    paths = dict(SOURCES)
    with tempfile.TemporaryDirectory() as folder:
        for key, pairs in replaced.items():
            text = SOURCES[key].read_text(encoding="utf-8")
            for old, new in pairs:
                assert old in text, old
                text = text.replace(old, new)
            paths[key] = pathlib.Path(folder) / SOURCES[key].name
            paths[key].write_text(text, encoding="utf-8")
        entries, events = generate.build(paths["catalogue"], paths["events"], paths["needs"], paths["handwritten"])
    return {e.name: e for e in entries}, entries, events


def params(entry):
    return [(p.name, p.type, p.how) for p in entry.params]


class KnownEntries(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.by_name, cls.entries, cls.events = build()

    def test_every_wrapper_once(self):
        self.assertEqual(len(self.entries), 436)
        self.assertEqual(len(self.by_name), 436)
        self.assertEqual(sum(e.kind == "hand-written" for e in self.entries), 45)

    def test_entries(self):
        # name: kind, parameters, result, host version, events, fixed values
        cases = {
            "ZynSetBackColor": ("pass-through", [("m_BackColor", "I4", "")], "none", "", ["ZynSetBackColor"], []),
            "ZynQVZDisplay": ("pass-through", [("hDC", "I4", "by value")], "none", "2, 0, 2, 8", ["ZynQVZDisplay"], []),
            "ZynGetWakuColor": ("get", [], "I4 (`m_WakuColor`, low 24 bits)", "", ["ZynGetWakuColor"], []),
            "ZynGetAsyncKeyState": ("query", [("nVirtKey", "I2", "")], "bool (`result` is 1)", "2, 0, 1, 9",
                                    ["ZynGetAsyncKeyState"], []),
            "ZynSetPrintMargin": ("wrap", [("nRoom", "bool", "strict flag"), ("dBottom", "R8", ""), ("dLeft", "R8", ""),
                                           ("dRight", "R8", ""), ("dTop", "R8", "")],
                                  "none", "2, 0, 2, 8", ["ZynPrintMargin"], ["`Mode` = 1"]),
            "ZynGetLayerName": ("wrap", [("no", "I4", "")], "text (`Name`)", "", ["ZynGetLayerStr"], []),
            "ZynGetDouble1012": ("setting", [], "R8 (`dparam`)", "2, 0, 2, 9", ["ZynGetDouble"], ["`id` = 1012"]),
            "ZynSetDouble1012": ("setting", [("dparam", "R8", "")], "none", "2, 0, 2, 9", ["ZynSetDouble"],
                                 ["`id` = 1012"]),
            "ZynSetInteger1008": ("setting", [("iparam", "I2", "")], "none", "2, 0, 2, 9", ["ZynSetInteger"],
                                  ["`id` = 1008"]),
            "ZynAddDragtoDrawing": ("hand-written", [("cRef", "bool", "by value"), ("cDim", "bool", "by value"),
                                                     ("cPac", "bool", "by value")],
                                    "I4", "", ["ZynGetiendp", "ZynAddGCINDragtoData", "ZynSetCreateDateAfter",
                                               "ZynAllSelect", "ZynSetFlagAfter", "ZynDrawSelectedData"], []),
            "ZynChangeData": ("hand-written", [("n", "I4", "")], "none", "2, 0, 3, 3", ["ZynChangeData"], []),
            "ZynGetLong3001": ("hand-written", [], "I4, or no value when refused", "2, 0, 3, 3", ["ZynGetLong"], []),
        }
        for name, (kind, ps, result, version, events, fixed) in cases.items():
            with self.subTest(name):
                e = self.by_name[name]
                self.assertEqual((e.kind, params(e), e.result, e.version, e.events, e.fixed),
                                 (kind, ps, result, version, events, fixed))
        self.assertNotIn("ZynGetInteger1008", self.by_name)  # a Set-only setting

    def test_rendered_row(self):
        text = generate.render(self.entries, self.events)
        self.assertIn("436 wrappers: 391 table-driven, 45 hand-written.", text)
        self.assertIn("| `ZynGetAsyncKeyState` | query | `nVirtKey` I2 | bool (`result` is 1) | 2, 0, 1, 9 | "
                      "`ZynGetAsyncKeyState` (302) | (nVirtKey I2) -> bool |\n", text)
        self.assertIn("ZynGet&lt;Type>&lt;id>()", text)  # not an HTML tag


class Refusals(unittest.TestCase):
    def refused(self, says, **replaced):
        with self.assertRaises(generate.ReferenceError) as caught:
            build(**replaced)
        self.assertIn(says, str(caught.exception))

    def test_drift_between_catalogue_and_code_stops_the_build(self):
        self.refused("does not name ZynSetFlagAfter",
                     catalogue=[("ZynAllSelect, ZynSetFlagAfter, ", "ZynAllSelect, ")])
        self.refused("the comment says 2, 0, 3, 1, the code gates at 2, 0, 3, 3",
                     catalogue=[("// 2, 0, 3, 3: ChangeRecord(n, 0)", "// 2, 0, 3, 1: ChangeRecord(n, 0)")])
        self.refused("ZynGetLong3001 has no definition",
                     handwritten=[("std::optional<Long> ZynGetLong3001(Control &c)",
                                   "std::optional<Long> ZynGetLongOther(Control &c)")])
        self.refused("4 roles for the 3 parameters of ZynSelect2",
                     catalogue=[("ROTAM_QUERY  (ZynSelect2,           any,   Out)",
                                 "ROTAM_WRAP   (ZynSelect2,           any,   In, In, In, Out)")])
        self.refused("no event ZynNoSuchEvent",
                     catalogue=[("ROTAM_PASS   (ZynSelectStart,", "ROTAM_PASS   (ZynNoSuchEvent,")])
        self.refused("unknown host version v2099",
                     catalogue=[("ROTAM_PASS   (ZynClearKeyBuf,       v2020)", "ROTAM_PASS   (ZynClearKeyBuf, v2099)")])


if __name__ == "__main__":
    unittest.main()
