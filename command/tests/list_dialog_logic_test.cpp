#include "list_dialog_logic.h"

#include <deque>

#include <gtest/gtest.h>

#include "test_folder.h"

namespace rotam::command {
namespace {

using namespace testing;  // TestFolder and its byte helpers

struct FakeForm final : FormWindow {
    FormSize size{7440, 3360};
    double left = -1, top = -1;
    int hidden = 0;
    FormSize outer_size() const override { return size; }
    void move_to(double x, double y) override { left = x, top = y; }
    void hide() override { ++hidden; }
};

struct FakeList final : ListBoxView {
    std::vector<std::u16string> rows;
    std::optional<std::size_t> selection;
    void add_rows(std::span<const std::u16string> more) override {
        rows.insert(rows.end(), more.begin(), more.end());
    }
    void clear() override { rows.clear(), selection.reset(); }
    std::optional<std::size_t> selected() const override { return selection; }
    std::u16string text(std::size_t row) const override { return rows.at(row); }
    void remove(std::size_t row) override {
        rows.erase(rows.begin() + static_cast<std::ptrdiff_t>(row));
        selection.reset();
    }
};

// Answers queued by the test; an empty queue means the user dismissed it.
struct FakeDialogs final : FileDialogs {
    std::deque<std::u16string> opens, saves;
    std::vector<FileDialogSettings> seen;
    std::optional<std::u16string> show_open(const FileDialogSettings &s) override {
        seen.push_back(s);
        return next(opens);
    }
    std::optional<std::u16string> show_save(const FileDialogSettings &s) override {
        seen.push_back(s);
        return next(saves);
    }
    static std::optional<std::u16string> next(std::deque<std::u16string> &q) {
        if (q.empty())
            return std::nullopt;
        std::u16string s = q.front();
        q.pop_front();
        return s;
    }
};

struct Shown {
    std::u16string text, title;
    MessageIcon icon;
};

struct FakeMessages final : MessageBoxes {
    std::vector<Shown> shown;
    std::vector<std::u16string> asked;
    bool answer = true;
    void show(std::u16string_view text, std::u16string_view title, MessageIcon icon) override {
        shown.push_back({std::u16string(text), std::u16string(title), icon});
    }
    bool ask_yes_no(std::u16string_view text, std::u16string_view title) override {
        asked.push_back(std::u16string(text) + u"|" + std::u16string(title));
        return answer;
    }
};

struct FakeHelp final : HelpWindow {
    int shown = 0;
    void show_modal() override { ++shown; }
};

struct FixedScreen final : ScreenInfo {
    bool cursor_pixels(std::int32_t &x, std::int32_t &y) override { return x = 600, y = 300, true; }
    std::int32_t full_screen_width() override { return 1280; }
    std::int32_t full_screen_height() override { return 1035; }
    double twips_per_pixel_x() override { return 15; }
    double twips_per_pixel_y() override { return 15; }
};

const std::u16string kNoData = u"データが選択されていません！";
const std::u16string kSaved = u"ロタムリストを保存しました";

class ListDialog : public ::testing::Test {
protected:
    ListDialog()
        : sjis(make_code_page(932)),
          files(folder.text(), platform_file_system(), *sjis),
          logic(files, {form, list, dialogs, messages, help}) {
        set_screen_info(&screen);
        logic.load();
    }
    ~ListDialog() override { set_screen_info(nullptr); }

    std::string list_file() const { return bytes_of(folder / "prnfiles.ara"); }
    std::string counter() const { return bytes_of(folder / "lcount.ara"); }
    std::u16string target(const char *name) const { return (folder / name).u16string(); }

    void pick(std::u16string answer) {
        dialogs.opens.push_back(std::move(answer));
        logic.select();
    }

    TestFolder folder;
    std::unique_ptr<CodePage> sjis;
    ListFiles files;
    FixedScreen screen;
    FakeForm form;
    FakeList list;
    FakeDialogs dialogs;
    FakeMessages messages;
    FakeHelp help;
    ListDialogLogic logic;
};

using Rows = std::vector<std::u16string>;

TEST(SelectionOrder, FolderNamesComeLastFirstThenInOrderThenFirst) {
    EXPECT_EQ(selection_paths(u"C:\\D\\A.QVZ"), Rows{u"C:\\D\\A.QVZ"});
    EXPECT_EQ(selection_paths(std::u16string(u"D\0A\0B", 5)), (Rows{u"D\\B", u"D\\A"}));
    EXPECT_EQ(selection_paths(std::u16string(u"D\0A\0B\0C", 7)), (Rows{u"D\\C", u"D\\B", u"D\\A"}));
    EXPECT_EQ(selection_paths(std::u16string(u"D\0A\0B\0C\0E", 9)),
              (Rows{u"D\\E", u"D\\B", u"D\\C", u"D\\A"}));
    EXPECT_EQ(selection_paths(std::u16string(u"D\0A\0B\0C\0E\0F", 11)),
              (Rows{u"D\\F", u"D\\B", u"D\\C", u"D\\E", u"D\\A"}));
    // One backslash whatever the folder ends with.
    EXPECT_EQ(selection_paths(std::u16string(u"C:\\\0A\0B", 7)), (Rows{u"C:\\\\B", u"C:\\\\A"}));
    // A lone name after the folder is added once.
    EXPECT_EQ(selection_paths(std::u16string(u"D\0A", 3)), Rows{u"D\\A"});
}

TEST_F(ListDialog, LoadsAtThePointerCentredWithNothingCounted) {
    EXPECT_EQ(form.left, 9000 - 7440 / 2);
    EXPECT_EQ(form.top, 4500);
    EXPECT_EQ(logic.bret(), 0);
    EXPECT_EQ(logic.lcount(), 0);
}

TEST_F(ListDialog, SelectUsesTheDrawingDialogSettings) {
    pick(u"D\\A.QVZ");
    ASSERT_EQ(dialogs.seen.size(), 1u);
    EXPECT_EQ(dialogs.seen[0].title, u"図面選択");
    EXPECT_EQ(dialogs.seen[0].default_ext, u".QVZ");
    EXPECT_EQ(dialogs.seen[0].filter, u"ZORIRIﾌｧｲﾙ(*.QVZ)|*.QVZ");
    EXPECT_EQ(dialogs.seen[0].flags, 0x80204u);
}

TEST_F(ListDialog, ThreeFilesAddRowsLastFirstAndCountFive) {
    write_bytes(folder / "prnfiles.ara", "earlier\r\n");
    pick(std::u16string(u"D\0A\0B\0C", 7));
    EXPECT_EQ(list.rows, (Rows{u"D\\C", u"D\\B", u"D\\A"}));
    EXPECT_EQ(logic.lcount(), 5);
    EXPECT_EQ(counter(), "5\r\n");
    // A first multiple selection appends to what earlier runs left.
    EXPECT_EQ(list_file(), "earlier\r\nD\\C\r\nD\\B\r\nD\\A\r\n");
}

TEST_F(ListDialog, FourFilesLeaveTheCounterAtSix) {
    pick(std::u16string(u"D\0N1\0N2\0N3\0N4", 13));
    EXPECT_EQ(list.rows, (Rows{u"D\\N4", u"D\\N2", u"D\\N3", u"D\\N1"}));
    EXPECT_EQ(counter(), "6\r\n");
}

TEST_F(ListDialog, FirstSingleReplacesEarlierLinesLaterOnesAppend) {
    write_bytes(folder / "prnfiles.ara", "earlier\r\n\"older\"\r\n");
    pick(u"C:\\表\\A.QVZ");
    EXPECT_EQ(list_file(), "C:\\\x95\x5c\\A.QVZ\r\n");
    pick(u"C:\\B.QVZ");
    pick(u"C:\\C.QVZ");
    EXPECT_EQ(list_file(), "C:\\\x95\x5c\\A.QVZ\r\nC:\\B.QVZ\r\nC:\\C.QVZ\r\n");
    EXPECT_EQ(list.rows, (Rows{u"C:\\表\\A.QVZ", u"C:\\B.QVZ", u"C:\\C.QVZ"}));
    EXPECT_EQ(counter(), "3\r\n");
}

TEST_F(ListDialog, DismissingTheOpenDialogChangesNothing) {
    write_bytes(folder / "prnfiles.ara", "keep\r\n");
    logic.select();
    EXPECT_TRUE(list.rows.empty());
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(list_file(), "keep\r\n");
    EXPECT_FALSE(file_exists(folder / "lcount.ara"));
}

TEST_F(ListDialog, SaveRightAfterLoadOrAfterClearFindsNothing) {
    write_bytes(folder / "prnfiles.ara", "from an earlier run\r\n");
    logic.save();
    pick(u"A");
    messages.answer = true;
    logic.clear();
    logic.save();
    ASSERT_EQ(messages.shown.size(), 2u);
    for (const Shown &s : messages.shown) {
        EXPECT_EQ(s.text, kNoData);
        EXPECT_EQ(s.title, u"選択失敗");
        EXPECT_EQ(s.icon, MessageIcon::exclamation);
    }
    EXPECT_EQ(dialogs.seen.size(), 1u);  // the open dialog only
}

TEST_F(ListDialog, SaveCopiesTheListFileAndConfirms) {
    pick(std::u16string(u"D\0A\0B", 5));
    dialogs.saves.push_back(target("out.txt"));
    logic.save();
    EXPECT_EQ(bytes_of(folder / "out.txt"), "D\\B\r\nD\\A\r\n");
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, kSaved);
    EXPECT_EQ(messages.shown[0].title, u"リスト保存");
    EXPECT_EQ(messages.shown[0].icon, MessageIcon::none);
    const FileDialogSettings &s = dialogs.seen.back();
    EXPECT_EQ(s.title, u"リスト保存");
    EXPECT_EQ(s.default_ext, u".txt");
    EXPECT_EQ(s.filter, u"ﾃｷｽﾄﾌｧｲﾙ(*.txt)|*.txt");
    EXPECT_EQ(s.flags, 0x80006u);
}

TEST_F(ListDialog, SaveAfterRemovalsEmptiedTheListStillCopies) {
    pick(u"A");
    list.selection = 0;
    logic.remove_selected();
    EXPECT_TRUE(list.rows.empty());
    EXPECT_EQ(logic.lcount(), 1);
    dialogs.saves.push_back(target("out.txt"));
    logic.save();
    EXPECT_TRUE(file_exists(folder / "out.txt"));
    EXPECT_EQ(bytes_of(folder / "out.txt"), "");
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, kSaved);
}

TEST_F(ListDialog, SaveFailuresAndDismissalEndSilently) {
    pick(u"A");
    logic.save();  // dismissed
    dialogs.saves.push_back(target("no-such-folder/out.txt"));
    logic.save();
    std::filesystem::remove(folder / "prnfiles.ara");
    dialogs.saves.push_back(target("out.txt"));
    logic.save();
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_FALSE(file_exists(folder / "out.txt"));
}

TEST_F(ListDialog, SavedListHoldsQuotedAndBareLines) {
    pick(std::u16string(u"D\0A\0B\0C", 7));
    list.selection = 1;  // D\B
    logic.remove_selected();
    pick(u"E");
    dialogs.saves.push_back(target("out.txt"));
    logic.save();
    EXPECT_EQ(bytes_of(folder / "out.txt"), "\"D\\C\"\r\n\"D\\A\"\r\nE\r\n");
    EXPECT_EQ(list.rows, (Rows{u"D\\C", u"D\\A", u"E"}));
}

TEST_F(ListDialog, RemovingADuplicateDropsBothLinesButOneRow) {
    pick(u"A");
    pick(u"B");
    pick(u"A");
    list.selection = 2;
    logic.remove_selected();
    EXPECT_EQ(list.rows, (Rows{u"A", u"B"}));
    EXPECT_EQ(list_file(), "\"B\"\r\n");
    EXPECT_EQ(logic.lcount(), 3);
}

TEST_F(ListDialog, DoubleClickWithoutSelectionDoesNothing) {
    pick(u"A");
    logic.remove_selected();
    EXPECT_EQ(list.rows, Rows{u"A"});
    EXPECT_EQ(list_file(), "A\r\n");
}

TEST_F(ListDialog, RemoveWithoutAListFileOnlyDropsTheRow) {
    pick(u"A");
    std::filesystem::remove(folder / "prnfiles.ara");
    list.selection = 0;
    logic.remove_selected();
    EXPECT_TRUE(list.rows.empty());
    EXPECT_FALSE(file_exists(folder / "prnfiles.ara"));
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(ListDialog, ClearAsksAndNoChangesNothing) {
    pick(u"A");
    messages.answer = false;
    logic.clear();
    ASSERT_EQ(messages.asked.size(), 1u);
    EXPECT_EQ(messages.asked[0], u"リストを消去してもよろしいですか？|リスト消去");
    EXPECT_EQ(list.rows, Rows{u"A"});
    EXPECT_EQ(list_file(), "A\r\n");
    EXPECT_EQ(logic.lcount(), 1);

    messages.answer = true;
    logic.clear();
    EXPECT_TRUE(list.rows.empty());
    EXPECT_FALSE(file_exists(folder / "prnfiles.ara"));
    EXPECT_EQ(counter(), "0\r\n");
    EXPECT_EQ(logic.lcount(), 0);
}

TEST_F(ListDialog, CancelDeletesTheListWritesZeroAndHides) {
    pick(u"A");
    logic.cancel();
    EXPECT_EQ(form.hidden, 1);
    EXPECT_EQ(logic.bret(), 0);
    EXPECT_EQ(logic.lcount(), 0);
    EXPECT_FALSE(file_exists(folder / "prnfiles.ara"));
    EXPECT_EQ(counter(), "0\r\n");
    // Even with no list file at all.
    logic.cancel();
    EXPECT_EQ(form.hidden, 2);
}

TEST_F(ListDialog, HelpOpensTheHelpWindow) {
    logic.help();
    EXPECT_EQ(help.shown, 1);
}

TEST_F(ListDialog, MultipleSelectionOverflowWritesNothing) {
    for (int i = 0; i < 6; ++i)  // 6 x (5000 + 2) = 30012
        pick(u"D" + std::u16string(5000, u'\0'));
    ASSERT_EQ(logic.lcount(), 30012);
    const std::string before = list_file();
    const std::size_t rows = list.rows.size();
    pick(u"D" + std::u16string(2755, u'\0'));  // 30012 + 2756 > 32767
    EXPECT_EQ(logic.lcount(), 30012);
    EXPECT_EQ(list_file(), before);
    EXPECT_EQ(list.rows.size(), rows);
    EXPECT_EQ(counter(), "30012\r\n");
    EXPECT_TRUE(messages.shown.empty());
    // 30012 + 2755 = 32767 fits; the closing +1 overflows after the lines.
    pick(u"D" + std::u16string(2754, u'\0'));
    EXPECT_EQ(logic.lcount(), 32767);
    EXPECT_EQ(list.rows.size(), rows + 2754);
    EXPECT_EQ(counter(), "30012\r\n");
    EXPECT_THROW(logic.setcount(), RuntimeError);
    pick(u"X");  // a single selection overflows in setcount, row and line kept
    EXPECT_EQ(list.rows.back(), u"X");
    EXPECT_EQ(logic.lcount(), 32767);
    EXPECT_EQ(counter(), "30012\r\n");
}

// Picks with names the code page (932) cannot hold: each such file is named
// in the file-error box and left out, the others go in.  A multiple selection
// counts what went in plus one, then one more; a pick of which nothing went
// in changes nothing.
struct OutsidePick {
    const char *name;
    std::u16string answer;
    Rows rows;             // also the lines added, in order
    Rows named;            // the paths the messages name, in order
    std::int16_t lcount;   // 0: no counter file written
};

class NamesOutsideTheCodePage : public ListDialog, public ::testing::WithParamInterface<OutsidePick> {};

const std::u16string kYen = u"\u00a5.QVZ";    // a backslash under best fit
const std::u16string kGrave = u"\u00e0.QVZ";  // a plain a under best fit

INSTANTIATE_TEST_SUITE_P(
    Rows, NamesOutsideTheCodePage,
    ::testing::Values(OutsidePick{"Single", u"D\\" + kYen, {}, {u"D\\" + kYen}, 0},
           OutsidePick{"TwoOfThree", u"D" + std::u16string(1, 0) + u"A" + std::u16string(1, 0) + kYen +
                                         std::u16string(1, 0) + kGrave,
                       {u"D\\A"}, {u"D\\" + kGrave, u"D\\" + kYen}, 3},
           OutsidePick{"OneOfThree", u"D" + std::u16string(1, 0) + u"A" + std::u16string(1, 0) + u"B" +
                                         std::u16string(1, 0) + kGrave,
                       {u"D\\B", u"D\\A"}, {u"D\\" + kGrave}, 4},
           OutsidePick{"AllOfTwo", u"D" + std::u16string(1, 0) + kYen + std::u16string(1, 0) + kGrave,
                       {}, {u"D\\" + kGrave, u"D\\" + kYen}, 0}),
    [](const ::testing::TestParamInfo<OutsidePick> &info) { return std::string(info.param.name); });

TEST_P(NamesOutsideTheCodePage, AreNamedAndLeftOut) {
    const OutsidePick &row = GetParam();
    write_bytes(folder / "prnfiles.ara", "earlier\r\n");
    pick(row.answer);
    EXPECT_EQ(list.rows, row.rows);
    std::string lines = row.answer.find(u'\0') == std::u16string::npos ? "" : "earlier\r\n";
    for (const std::u16string &r : row.rows)
        lines += std::string(r.begin(), r.end()) + "\r\n";
    EXPECT_EQ(list_file(), row.rows.empty() ? "earlier\r\n" : lines);
    EXPECT_EQ(logic.lcount(), row.lcount);
    if (row.lcount == 0)
        EXPECT_FALSE(file_exists(folder / "lcount.ara"));
    else
        EXPECT_EQ(counter(), std::to_string(row.lcount) + "\r\n");
    ASSERT_EQ(messages.shown.size(), row.named.size());
    for (std::size_t i = 0; i < row.named.size(); ++i) {
        const Shown &shown = messages.shown[i];
        EXPECT_EQ(shown.text, u"ファイルを更新できませんでした。\r\n\r\n" + row.named[i] + u"\r\n" +
                                  std::u16string(kNameOutsideCodePage));
        EXPECT_EQ(shown.title, kFileErrorTitle);
        EXPECT_EQ(shown.icon, MessageIcon::exclamation);
    }
}

class UnwritableFolder : public ListDialog {
protected:
    UnwritableFolder() {
        pick(u"A");
        pick(u"B");
        // Every later rewrite finds its new file's name taken by a folder.
        std::filesystem::create_directory(folder / "prnfiles.ara.new");
        std::filesystem::create_directory(folder / "lcount.ara.new");
    }

    void expect_one_message_naming(const std::u16string &path) {
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_NE(messages.shown[0].text.find(path), std::u16string::npos);
        EXPECT_EQ(messages.shown[0].icon, MessageIcon::exclamation);
        EXPECT_EQ(messages.shown[0].title, kFileErrorTitle);
        messages.shown.clear();
    }
};

TEST_F(UnwritableFolder, ClearAndCancelReportAndKeepTheList) {
    logic.clear();
    expect_one_message_naming(files.counter_path());
    logic.cancel();
    expect_one_message_naming(files.counter_path());
    EXPECT_EQ(form.hidden, 0);
    EXPECT_EQ(list.rows, (Rows{u"A", u"B"}));
    EXPECT_EQ(list_file(), "A\r\nB\r\n");
    EXPECT_EQ(logic.lcount(), 2);
    // The list can still be saved.
    dialogs.saves.push_back(target("out.txt"));
    logic.save();
    EXPECT_EQ(bytes_of(folder / "out.txt"), "A\r\nB\r\n");
}

TEST_F(UnwritableFolder, RemoveReportsAndKeepsTheRow) {
    list.selection = 0;
    logic.remove_selected();
    expect_one_message_naming(files.list_path());
    EXPECT_EQ(list.rows, (Rows{u"A", u"B"}));
    EXPECT_EQ(list_file(), "A\r\nB\r\n");
}

TEST_F(UnwritableFolder, SelectReportsTheCounterFileAndKeepsCounting) {
    // The list file can be written; only the counter file cannot.
    std::filesystem::remove(folder / "prnfiles.ara.new");
    pick(u"C");
    expect_one_message_naming(files.counter_path());
    EXPECT_EQ(list_file(), "A\r\nB\r\nC\r\n");
    EXPECT_EQ(logic.lcount(), 3);
    EXPECT_EQ(counter(), "2\r\n");
}

}  // namespace
}  // namespace rotam::command
