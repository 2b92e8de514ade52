#include "list_dialog_logic.h"

#include <algorithm>
#include <limits>

namespace rotam::command {

std::vector<std::u16string> selection_paths(std::u16string_view answer) {
    std::vector<std::u16string_view> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t nul = answer.find(u'\0', start);
        parts.push_back(answer.substr(start, nul == std::u16string_view::npos ? nul : nul - start));
        if (nul == std::u16string_view::npos)
            break;
        start = nul + 1;
    }
    if (parts.size() == 1)
        return {std::u16string(answer)};

    // The path is always the folder, one backslash and the name, whatever
    // the folder ends with.
    const std::u16string_view folder = parts.front();
    const auto path = [folder](std::u16string_view name) {
        std::u16string p;
        p.reserve(folder.size() + 1 + name.size());
        p.append(folder).append(1, u'\\').append(name);
        return p;
    };
    const std::size_t n = parts.size() - 1;
    std::vector<std::u16string> paths;
    paths.reserve(n);
    paths.push_back(path(parts[n]));
    if (n == 1)
        return paths;
    for (std::size_t i = 2; i < n; ++i)
        paths.push_back(path(parts[i]));
    paths.push_back(path(parts[1]));
    return paths;
}

std::u16string file_error_text(const FileError &error) {
    std::u16string text = u"ファイルを更新できませんでした。\r\n\r\n";
    text.append(error.path());
    if (!error.reason().empty())
        text.append(u"\r\n").append(error.reason());
    return text;
}

ListDialogLogic::ListDialogLogic(ListFiles &files, const ListDialogParts &parts)
    : files_(files), parts_(parts) {}

void ListDialogLogic::load() {
    double left = 0;
    double top = 0;
    PlaceFormNearCursor(parts_.form.outer_size(), left, top, kPlaceTopCentre);
    parts_.form.move_to(left, top);
    bret_ = kFalse;
    lcount_ = 0;
}

void ListDialogLogic::add_to_counter(std::int32_t amount) {
    const std::int32_t sum = std::int32_t{lcount_} + amount;
    if (sum > std::numeric_limits<std::int16_t>::max() ||
        sum < std::numeric_limits<std::int16_t>::min())
        throw RuntimeError(6, "Overflow");
    lcount_ = static_cast<std::int16_t>(sum);
}

void ListDialogLogic::setcount() {
    add_to_counter(1);
    files_.write_counter(lcount_);
}

void ListDialogLogic::resetcount() {
    files_.write_counter(0);
    files_.delete_list();
    // Only now: with a list file that could not be deleted the counter keeps
    // saying there is something to save.
    lcount_ = 0;
}

void ListDialogLogic::report(const FileError &error) {
    parts_.messages.show(file_error_text(error), kFileErrorTitle, MessageIcon::exclamation);
}

// The picked files whose names the code page cannot hold are named, each in
// the file-error box, and left out: written as they would come out of the
// code page they would name other files.
std::vector<std::u16string> ListDialogLogic::writable(std::vector<std::u16string> paths) {
    std::vector<std::u16string> kept;
    kept.reserve(paths.size());
    for (std::u16string &path : paths) {
        if (files_.can_hold(path))
            kept.push_back(std::move(path));
        else
            report(ListFiles::name_outside_code_page(path));
    }
    return kept;
}

void ListDialogLogic::select_files() {
    const std::optional<std::u16string> answer = parts_.file_dialogs.show_open(kOpenDrawings);
    if (!answer)
        return;
    const auto names = static_cast<std::int32_t>(std::count(answer->begin(), answer->end(), u'\0'));
    std::vector<std::u16string> paths = writable(selection_paths(*answer));
    // Nothing of the pick went in: no row, no line, and the counter as it
    // was, so that Save still knows whether anything was added.
    if (paths.empty())
        return;
    if (names == 0) {
        parts_.list.add_rows(paths);
        if (lcount_ == 0)
            files_.write_single(paths.front());
        else
            files_.append(paths);
        setcount();
        return;
    }
    // The counter first: an overflow ends the action before anything is
    // written.  A multiple selection counts the files that go in, plus one,
    // as if the ones left out had not been picked: N + 1 for N names when
    // all of them go in.
    add_to_counter(static_cast<std::int32_t>(paths.size()) + 1);
    // One write for the whole selection, and the rows only once their lines
    // are in the file: the list box never shows what the file lacks.
    files_.append(paths);
    parts_.list.add_rows(paths);
    setcount();
}

void ListDialogLogic::select() {
    try {
        select_files();
    } catch (const FileError &error) {
        report(error);
    } catch (...) {
        // Anything else (the counter at its limit, a failing dialog) ends the
        // action silently, keeping what it had done.
    }
}

void ListDialogLogic::save() {
    if (lcount_ == 0) {
        parts_.messages.show(u"データが選択されていません！", u"選択失敗", MessageIcon::exclamation);
        return;
    }
    try {
        const std::optional<std::u16string> target = parts_.file_dialogs.show_save(kSaveList);
        if (!target)
            return;
        files_.save_copy(*target);
    } catch (...) {
        return;
    }
    parts_.messages.show(u"ロタムリストを保存しました", u"リスト保存", MessageIcon::none);
}

void ListDialogLogic::clear() {
    if (!parts_.messages.ask_yes_no(u"リストを消去してもよろしいですか？", u"リスト消去"))
        return;
    try {
        resetcount();
    } catch (const FileError &error) {
        report(error);
        return;
    }
    parts_.list.clear();
}

void ListDialogLogic::remove_selected() {
    const std::optional<std::size_t> row = parts_.list.selected();
    if (!row)
        return;
    try {
        files_.remove_entry(parts_.list.text(*row));
    } catch (const FileError &error) {
        report(error);
        return;
    }
    parts_.list.remove(*row);
}

void ListDialogLogic::help() { parts_.help.show_modal(); }

void ListDialogLogic::cancel() {
    try {
        resetcount();
    } catch (const FileError &error) {
        // The dialog stays open: the list can still be saved.
        report(error);
        return;
    }
    bret_ = kFalse;
    parts_.form.hide();
}

}  // namespace rotam::command
