// Driving real windows from a test, by messages only: finding windows as
// they appear, clicking, typing, reading list boxes, keys to the focus
// window, and pictures of windows as PNG files.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace rotam::testing::win {

constexpr DWORD kWait = 20000;  // milliseconds

// Only windows of this process count (0: any).  Other programs of the same
// Wine desktop may show windows with the same captions.
void watch_process(DWORD process);

// A visible top-level window of class #32770 with this caption, for which
// also() holds; nullptr after the time is up.
HWND wait_dialog(const std::wstring &caption, const std::function<bool(HWND)> &also = {},
                 DWORD timeout = kWait);
// A message box (a dialog with a message text) with this caption.
HWND wait_message_box(const std::wstring &caption, DWORD timeout = kWait);
// The platform's open or save dialog with this caption.
HWND wait_file_dialog(const std::wstring &caption, DWORD timeout = kWait);
bool wait_gone(HWND window, DWORD timeout = kWait);
// Polls until check() holds.
bool wait_until(const std::function<bool()> &check, DWORD timeout = kWait);

std::wstring text_of(HWND window);
std::wstring message_text(HWND message_box);
bool is_message_box(HWND window);
bool is_file_dialog(HWND window);

// Posted, so that the test never waits inside the action it starts.
void click(HWND dialog, int id);
void press(HWND any_window_of_the_thread, UINT key);
void close_box(HWND window);

// Reads the box's message text into *text (when asked), presses its button and
// waits until the box has gone; false when there is no box or it stays.
bool dismiss(HWND box, int button, std::wstring *text = nullptr);

// Types a name into a file dialog's name box and presses its default button.
void answer_file_dialog(HWND file_dialog, const std::wstring &name);

std::vector<std::wstring> list_rows(HWND list_box);
// The child's rectangle in its parent's client pixels.
RECT child_rect(HWND child);
SIZE client_size(HWND window);

// The window as it is on the screen, written as a PNG file.
bool save_png(HWND window, const std::wstring &path);

}  // namespace rotam::testing::win
