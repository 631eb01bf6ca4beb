// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A JSON document written value by value. Objects and arrays are laid out
// one member per line (Lines: each member on its own line, indented two
// spaces per level of nesting, the closing bracket on a line of its own at
// the container's level) or on one line (Inline: members separated by
// ", "). An empty container is "{}" or "[]" in either layout; a container
// inside an Inline one is Inline too. Strings are escaped ('"', '\' and the
// control characters below 0x20 as \u00xx); numbers are written through
// number_text.h, and a number that is not finite is written as null.
//
//     JsonWriter j;
//     j.beginObject().key("rms").number(0.25).key("sets").beginArray(Layout::Inline).integer(1).end().end();
//     j.text() == "{\n  \"rms\": 0.25,\n  \"sets\": [1]\n}"
//
// Misuse (a key outside an object, a value without its key, an end without
// a container, text() with a container open, or a second value at the top)
// throws std::logic_error.

#include <string>
#include <string_view>
#include <vector>

namespace sg {

class JsonWriter {
public:
    enum class Layout { Lines, Inline };

    JsonWriter& beginObject(Layout layout = Layout::Lines);
    JsonWriter& beginArray(Layout layout = Layout::Lines);
    JsonWriter& end();

    // The name of the next member of the innermost object.
    JsonWriter& key(std::string_view name);

    JsonWriter& string(std::string_view text);
    JsonWriter& number(double value);               // the shortest text that reads back exactly
    JsonWriter& fixed(double value, int decimals);  // fixedText: `decimals` decimals, no "-0.000"
    JsonWriter& integer(long long value);
    JsonWriter& boolean(bool value);
    JsonWriter& null();
    // A whole JSON value that another writer made (its text, a final newline
    // dropped), each line after its first indented to this level, so that a
    // document of Lines layout nests as if written here. The text is taken
    // as it is: the caller vouches that it is one JSON value.
    JsonWriter& document(std::string_view json);

    // The whole document, once every container is closed.
    const std::string& text() const;

private:
    struct Level {
        char close;
        Layout layout;
        bool object;
        bool empty = true;
        bool keyed = false;  // an object's key is written, its value not yet
    };
    void beforeValue();
    JsonWriter& value(const std::string& text);
    JsonWriter& begin(char open, char close, Layout layout, bool object);
    void newMember(Level& level);

    std::string out_;
    std::vector<Level> open_;
    bool done_ = false;  // the top-level value is complete
};

// `text` as a JSON string, quotes included.
std::string jsonString(std::string_view text);

}  // namespace sg
