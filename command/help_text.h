// The help window HelpDlg apart from its window: the help text it holds and
// the layout of its two controls for any client size.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace rotam::command {

// The 28 lines of the help text.
std::span<const std::u16string_view> help_lines();
// The text as the text box holds it: every line ended by CR LF.
std::u16string help_text();

// Twips.  left and top are the origin of the client's inner coordinates.
struct HelpClient {
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;
};

struct HelpControl {
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;
};

// The designed window and controls.
inline constexpr HelpClient kHelpClient{0, 0, 7095, 7110};
inline constexpr HelpControl kHelpComment{60, 60, 6915, 6555};
inline constexpr HelpControl kHelpClose{5820, 6720, 1215, 315};

// The close button stays 80 twips from the right and bottom edges at its own
// size; the text box keeps 80 twips to the left, top and right and ends 80
// twips above the button.
void layout_help(const HelpClient &client, HelpControl &close, HelpControl &comment);

}  // namespace rotam::command
