// What the drawing list dialog BComDlg does, apart from its window: the
// select, save, clear, remove, help and cancel actions, the counter lcount
// and the flag bret.  The window, the list box, the file dialogs, the message
// boxes and the help window are reached through the small interfaces below,
// which the Windows layer implements with real windows and tests with fakes.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "list_files.h"
#include "placement.h"

namespace rotam::command {

struct FileDialogSettings {
    std::u16string_view title;
    std::u16string_view default_ext;
    std::u16string_view filter;  // "description|pattern"
    std::uint32_t flags;
};

// Explorer style, several files at once, no read-only box.
inline constexpr FileDialogSettings kOpenDrawings{u"図面選択", u".QVZ",
                                                  u"ZORIRIﾌｧｲﾙ(*.QVZ)|*.QVZ", 0x80204};
// Explorer style, no read-only box, asks before replacing a file.
inline constexpr FileDialogSettings kSaveList{u"リスト保存", u".txt",
                                              u"ﾃｷｽﾄﾌｧｲﾙ(*.txt)|*.txt", 0x80006};

class FileDialogs {
public:
    virtual ~FileDialogs() = default;
    // The open dialog's answer: one full path, or a folder followed by each
    // name after a NUL character; nothing when the user dismissed it.
    virtual std::optional<std::u16string> show_open(const FileDialogSettings &settings) = 0;
    // The chosen path; nothing when dismissed.
    virtual std::optional<std::u16string> show_save(const FileDialogSettings &settings) = 0;
};

enum class MessageIcon { none, exclamation };

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // With an OK button.
    virtual void show(std::u16string_view text, std::u16string_view title, MessageIcon icon) = 0;
    // With Yes and No buttons; true only for Yes (a box that could not be
    // shown answers nothing, which is no Yes).
    virtual bool ask_yes_no(std::u16string_view text, std::u16string_view title) = 0;
};

class ListBoxView {
public:
    virtual ~ListBoxView() = default;
    virtual void add_rows(std::span<const std::u16string> rows) = 0;
    virtual void clear() = 0;
    // The selected row's index, or nothing when no row is selected.
    virtual std::optional<std::size_t> selected() const = 0;
    virtual std::u16string text(std::size_t row) const = 0;
    virtual void remove(std::size_t row) = 0;
};

class HelpWindow {
public:
    virtual ~HelpWindow() = default;
    // Returns when the help window has been closed.
    virtual void show_modal() = 0;
};

// The dialog's own window.
class FormWindow {
public:
    virtual ~FormWindow() = default;
    virtual FormSize outer_size() const = 0;  // twips
    virtual void move_to(double left, double top) = 0;  // twips, size kept
    // Ends the modal showing.
    virtual void hide() = 0;
};

struct ListDialogParts {
    FormWindow &form;
    ListBoxView &list;
    FileDialogs &file_dialogs;
    MessageBoxes &messages;
    HelpWindow &help;
};

// The paths one answer of the open dialog adds, in the order they are added:
// a single path as it is; for several names N1 .. Nn in folder D, D\Nn
// first, then D\N2 .. D\N(n-1), then D\N1.
std::vector<std::u16string> selection_paths(std::u16string_view answer);

// The message that names a list file that could not be read, written or
// deleted, or a picked file whose name the list file cannot hold, and the
// reason.
std::u16string file_error_text(const FileError &error);
inline constexpr std::u16string_view kFileErrorTitle = u"ロタムリスト作成";

class ListDialogLogic {
public:
    static constexpr std::int16_t kTrue = -1;
    static constexpr std::int16_t kFalse = 0;

    ListDialogLogic(ListFiles &files, const ListDialogParts &parts);

    // The load handler: next to the pointer, bret false, the counter 0.
    void load();

    // The buttons and the list box's double-click.
    void select();
    void save();
    void clear();
    void remove_selected();
    void help();
    void cancel();
    // The close box has no handler of its own: bret stays false and both
    // files keep their contents.

    std::int16_t bret() const { return bret_; }
    std::int16_t lcount() const { return lcount_; }

    // The counter one higher, then written.  Raises 6 "Overflow" past 32767
    // before anything changes.
    void setcount();
    // The counter 0, written, and the list file deleted.
    void resetcount();

private:
    void add_to_counter(std::int32_t amount);
    void select_files();
    std::vector<std::u16string> writable(std::vector<std::u16string> paths);
    void report(const FileError &error);

    ListFiles &files_;
    ListDialogParts parts_;
    std::int16_t bret_ = kFalse;
    std::int16_t lcount_ = 0;
};

}  // namespace rotam::command
