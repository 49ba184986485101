// The one filter for text that came from outside the program (a server's reply, a picture's
// file name, an Exif text, a project file) on its way to a terminal or a window: whatever could
// steer the terminal (move the cursor, clear the screen, set the window title, redefine keys)
// or hide text behind text is taken out; everything printable passes byte for byte.
#pragma once

#include <string>
#include <string_view>

namespace qg {

// `text` without terminal controls:
// - C0 controls (U+0000..U+001F) except tab and line feed, which multi-line messages need; a
//   carriage return goes too, since it lets one line be written over another;
// - DEL (0x7F);
// - C1 controls, as UTF-8 (U+0080..U+009F) and as raw bytes 0x80..0x9F that are not part of a
//   valid UTF-8 sequence;
// - whole escape sequences, not only their ESC: CSI (ESC [ or the C1 CSI) up to its final byte,
//   the string sequences OSC, DCS, SOS, PM and APC (ESC ] P X ^ _ or their C1 forms) up to BEL
//   or ST, and the other ESC sequences (intermediates, then one final byte). A string sequence
//   without its end runs to the end of the text.
// Other bytes, also ones that are not UTF-8 (text in a single-byte code page), stay as they are.
std::string PlainDisplayText(std::string_view text);

}  // namespace qg
