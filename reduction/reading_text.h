// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The reading file as text: plain lines, '#' starts a comment, blank lines
// are ignored, ',' ';' and TAB count as spaces (a spreadsheet's CSV export
// reads too, a UTF-8 byte order mark at its start included). A text that
// separates its fields with ';' anywhere outside its comments writes its
// decimals with a comma: there a ',' between two digits is the decimal
// separator ("1;10,12" is zone 1 reading 10.12). First the
// header lines `key value` (keys in any case, each at most once; the bare
// word `reverse`), then one line per zone, numbered 1..N in order:
// `zone inner outer set1 set2 ...`, or after `zones N` `zone set1 set2 ...`.
// Every zone has the same number of readings; at most kMaxZones zones and
// kMaxReadingSets readings per zone.

#include "reduction/reduction_input.h"

#include <string>
#include <string_view>

namespace sg {

// The input of the text. A bad line throws ReductionInputError with
// "line N: " and what is wrong. Rules that need the whole input (the
// diameter against the zones, the radius against the diameter, at least two
// zones) are checked when it is reduced, see resolveSetup.
ReductionInput parseReadingText(std::string_view text);

// The text of the input: every header value it holds, then the zones, with
// numbers that read back to the same doubles. An input of more zones or
// readings than a file holds throws ReductionInputError.
std::string readingText(const ReductionInput& input);

// Sets one header value from its text as the file or an option gives it,
// with the value's own rules (a diameter above 0, `source moving|fixed`,
// ...). Throws ReductionInputError with what is wrong, without a place: the
// caller says which line or option gave it. `reverse` takes no value.
void setHeaderValue(ReductionInput& input, HeaderKey key, std::string_view value);

}  // namespace sg
