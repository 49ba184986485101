// The order of texts in the picture list's sort and in the upload list: byte values with only the
// letters a to z folded to upper case, so an underscore sorts after every letter; when one text is
// the beginning of the other, the shorter comes first.
#pragma once

#include <string_view>

namespace qg {

// <0, 0 or >0.
int CompareText(std::string_view a, std::string_view b);

}  // namespace qg
