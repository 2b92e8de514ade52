// The platform's open and save dialogs and its message boxes.
//
// The open dialog lets the user pick any number of drawings; its answer has
// to fit the buffer handed to it.  Just before the dialog fills the buffer
// (its Open button), a hook makes the buffer large enough for the folder and
// every name the user gave, so thousands of files fit.
#include "dialogs_win32.h"

#include <cderr.h>
#include <commdlg.h>
#include <dlgs.h>

#include <algorithm>
#include <utility>
#include <vector>

namespace rotam::command::win32 {
namespace {

std::size_t g_initial_open_buffer = 32768;

// "description|pattern|..." as the dialogs want it: NUL separated, two NULs
// at the end.
std::wstring filter_list(std::u16string_view filter) {
    std::wstring list(filter.begin(), filter.end());
    std::replace(list.begin(), list.end(), L'|', L'\0');
    list.append(2, L'\0');
    return list;
}

// Without its leading dot: the dialogs add one themselves.
std::wstring extension(std::u16string_view ext) {
    if (!ext.empty() && ext.front() == u'.')
        ext.remove_prefix(1);
    return {ext.begin(), ext.end()};
}

// The buffer of the open dialog that is showing; one at a time on the user
// interface thread.
struct OpenBuffer {
    OPENFILENAMEW *ofn = nullptr;
    std::vector<wchar_t> chars;
    WNDPROC dialog_procedure = nullptr;
    HWND dialog = nullptr;
    // What went wrong in the hook, raised once the dialog has returned.
    std::exception_ptr failure;

    void keep_failure() {
        if (!failure)
            failure = std::current_exception();
    }

    void ensure(std::size_t size) {
        if (size <= chars.size())
            return;
        chars.assign(std::max(size, chars.size() * 2), L'\0');
        ofn->lpstrFile = chars.data();
        ofn->nMaxFile = static_cast<DWORD>(chars.size());
    }

    // What the answer can take at most: the folder, and every name the user
    // typed or picked (the name box holds them quoted and separated, which
    // is longer than the answer's NUL-separated form), with room to spare
    // for a default extension on each.
    void fit_answer() {
        const LRESULT folder = SendMessageW(dialog, CDM_GETFOLDERPATH, 0, 0);
        HWND name_box = GetDlgItem(dialog, cmb13);
        if (!name_box)
            name_box = GetDlgItem(dialog, edt1);
        const int typed = name_box ? GetWindowTextLengthW(name_box) : 0;
        const std::size_t folder_chars = folder > 0 ? static_cast<std::size_t>(folder) : MAX_PATH;
        const std::size_t name_chars = typed > 0 ? static_cast<std::size_t>(typed) + 1 : 0;
        ensure(folder_chars + name_chars * 3 + MAX_PATH + 2);
    }
};

thread_local OpenBuffer *t_open = nullptr;

LRESULT CALLBACK open_dialog_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    OpenBuffer *open = t_open;
    if (!open)
        return DefWindowProcW(window, message, wparam, lparam);
    // Nothing may leave a window procedure.  Should the buffer not grow, the
    // dialog reports it too small and the answer is not taken.
    try {
        if (message == WM_COMMAND && LOWORD(wparam) == IDOK)
            open->fit_answer();
    } catch (...) {
        open->keep_failure();
    }
    return CallWindowProcW(open->dialog_procedure, window, message, wparam, lparam);
}

UINT_PTR CALLBACK open_hook(HWND child, UINT message, WPARAM, LPARAM lparam) {
    OpenBuffer *open = t_open;
    if (!open)
        return 0;
    // Nothing may leave a hook procedure either.
    try {
        if (message == WM_INITDIALOG) {
            // The hook's own window is an empty child of the real dialog,
            // whose Open button is what fills the buffer.
            open->dialog = GetParent(child);
            open->dialog_procedure = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
                open->dialog, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&open_dialog_procedure)));
        } else if (message == WM_NOTIFY) {
            const auto *note = reinterpret_cast<const OFNOTIFYW *>(lparam);
            // A double-click or Enter on a file in the list opens without
            // going through the button.
            if (note->hdr.code == CDN_SELCHANGE || note->hdr.code == CDN_FOLDERCHANGE)
                open->fit_answer();
        } else if (message == WM_DESTROY && open->dialog && open->dialog_procedure) {
            SetWindowLongPtrW(open->dialog, GWLP_WNDPROC,
                              reinterpret_cast<LONG_PTR>(open->dialog_procedure));
            open->dialog_procedure = nullptr;
        }
    } catch (...) {
        open->keep_failure();
    }
    return 0;
}

// The answer up to the two NULs that end it, without them: one path, or the
// folder and each name after a NUL.
std::u16string open_answer(const OPENFILENAMEW &ofn) {
    const wchar_t *p = ofn.lpstrFile;
    const wchar_t *end = p + ofn.nMaxFile;
    const wchar_t *stop = p;
    while (stop < end && *stop)
        ++stop;
    // One file: the path alone, its name starting at nFileOffset.
    if (ofn.nFileOffset == 0 || p[ofn.nFileOffset - 1] != L'\0')
        return {reinterpret_cast<const char16_t *>(p), static_cast<std::size_t>(stop - p)};
    while (stop + 1 < end && stop[1]) {
        ++stop;
        while (stop < end && *stop)
            ++stop;
    }
    return {reinterpret_cast<const char16_t *>(p), static_cast<std::size_t>(stop - p)};
}

}  // namespace

void CommonDialogs::set_initial_open_buffer(std::size_t chars) {
    g_initial_open_buffer = std::max<std::size_t>(chars, 4);
}

std::optional<std::u16string> CommonDialogs::show_open(const FileDialogSettings &settings) {
    const std::wstring title(settings.title.begin(), settings.title.end());
    const std::wstring filter = filter_list(settings.filter);
    const std::wstring ext = extension(settings.default_ext);

    OPENFILENAMEW ofn{};
    OpenBuffer open;
    open.ofn = &ofn;
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner_;
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrTitle = title.c_str();
    ofn.lpstrDefExt = ext.c_str();
    ofn.Flags = settings.flags | OFN_ENABLEHOOK | OFN_ENABLESIZING;
    ofn.lpfnHook = &open_hook;
    std::size_t size = g_initial_open_buffer;
    for (int attempt = 0;; ++attempt) {
        open.ensure(size);
        std::fill(open.chars.begin(), open.chars.end(), L'\0');
        OpenBuffer *outer = std::exchange(t_open, &open);
        const BOOL ok = GetOpenFileNameW(&ofn);
        t_open = outer;
        if (open.failure)
            std::rethrow_exception(open.failure);
        if (ok)
            return open_answer(ofn);
        const DWORD error = CommDlgExtendedError();
        if (error == 0)
            return std::nullopt;  // dismissed
        // Should the hook have been bypassed, the dialog tells the size it
        // needed; the user is asked once more with room for it.
        if (error == FNERR_BUFFERTOOSMALL && attempt == 0) {
            const std::size_t needed = static_cast<std::size_t>(
                *reinterpret_cast<const WORD *>(ofn.lpstrFile));
            size = std::max(needed + 2, open.chars.size() * 4);
            continue;
        }
        throw RuntimeError(5, "Invalid procedure call or argument");
    }
}

std::optional<std::u16string> CommonDialogs::show_save(const FileDialogSettings &settings) {
    const std::wstring title(settings.title.begin(), settings.title.end());
    const std::wstring filter = filter_list(settings.filter);
    const std::wstring ext = extension(settings.default_ext);
    std::vector<wchar_t> path(32768, L'\0');

    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner_;
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = path.data();
    ofn.nMaxFile = static_cast<DWORD>(path.size());
    ofn.lpstrTitle = title.c_str();
    ofn.lpstrDefExt = ext.c_str();
    ofn.Flags = settings.flags;
    if (GetSaveFileNameW(&ofn))
        return std::u16string(reinterpret_cast<const char16_t *>(path.data()));
    if (CommDlgExtendedError() == 0)
        return std::nullopt;
    throw RuntimeError(5, "Invalid procedure call or argument");
}

void CommonDialogs::show(std::u16string_view text, std::u16string_view title, MessageIcon icon) {
    const std::u16string t(text), c(title);
    MessageBoxW(owner_, wide(t), wide(c),
                MB_OK | (icon == MessageIcon::exclamation ? MB_ICONEXCLAMATION : 0));
}

bool CommonDialogs::ask_yes_no(std::u16string_view text, std::u16string_view title) {
    const std::u16string t(text), c(title);
    // A box that failed (0) was answered by nobody: only Yes goes on.
    return MessageBoxW(owner_, wide(t), wide(c), MB_YESNO) == IDYES;
}

}  // namespace rotam::command::win32
