// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/json_writer.h"

#include "model/number_text.h"

#include <cmath>
#include <stdexcept>

namespace sg {

std::string jsonString(std::string_view text) {
    static const char* const kHex = "0123456789abcdef";
    std::string out = "\"";
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += ch;
        } else if (c < 0x20) {
            out += "\\u00";
            out += kHex[c >> 4];
            out += kHex[c & 15];
        } else {
            out += ch;
        }
    }
    return out + "\"";
}

void JsonWriter::newMember(Level& level) {
    if (level.layout == Layout::Lines) {
        out_ += level.empty ? "\n" : ",\n";
        out_.append(2 * open_.size(), ' ');
    } else if (!level.empty) {
        out_ += ", ";
    }
    level.empty = false;
}

void JsonWriter::beforeValue() {
    if (open_.empty()) {
        if (done_) throw std::logic_error("JsonWriter: a second value at the top");
        return;
    }
    Level& level = open_.back();
    if (level.object) {
        if (!level.keyed) throw std::logic_error("JsonWriter: a member's value without its key");
        level.keyed = false;
    } else {
        newMember(level);
    }
}

JsonWriter& JsonWriter::value(const std::string& text) {
    beforeValue();
    out_ += text;
    if (open_.empty()) done_ = true;
    return *this;
}

JsonWriter& JsonWriter::begin(char open, char close, Layout layout, bool object) {
    beforeValue();
    if (!open_.empty() && open_.back().layout == Layout::Inline) layout = Layout::Inline;
    out_ += open;
    open_.push_back({close, layout, object});
    return *this;
}

JsonWriter& JsonWriter::beginObject(Layout layout) { return begin('{', '}', layout, true); }
JsonWriter& JsonWriter::beginArray(Layout layout) { return begin('[', ']', layout, false); }

JsonWriter& JsonWriter::end() {
    if (open_.empty()) throw std::logic_error("JsonWriter: end without a container");
    const Level level = open_.back();
    if (level.keyed) throw std::logic_error("JsonWriter: a key without its value");
    open_.pop_back();
    if (level.layout == Layout::Lines && !level.empty) {
        out_ += '\n';
        out_.append(2 * open_.size(), ' ');
    }
    out_ += level.close;
    if (open_.empty()) done_ = true;
    return *this;
}

JsonWriter& JsonWriter::key(std::string_view name) {
    if (open_.empty() || !open_.back().object) throw std::logic_error("JsonWriter: a key outside an object");
    Level& level = open_.back();
    if (level.keyed) throw std::logic_error("JsonWriter: two keys in a row");
    newMember(level);
    out_ += jsonString(name);
    out_ += ": ";
    level.keyed = true;
    return *this;
}

JsonWriter& JsonWriter::string(std::string_view text) { return value(jsonString(text)); }
JsonWriter& JsonWriter::number(double v) { return value(jsonNumber(v)); }
JsonWriter& JsonWriter::fixed(double v, int decimals) {
    return value(std::isfinite(v) ? fixedText(v, decimals) : "null");
}
JsonWriter& JsonWriter::integer(long long v) { return value(std::to_string(v)); }
JsonWriter& JsonWriter::boolean(bool v) { return value(v ? "true" : "false"); }
JsonWriter& JsonWriter::null() { return value("null"); }

JsonWriter& JsonWriter::document(std::string_view json) {
    while (!json.empty() && (json.back() == '\n' || json.back() == '\r')) json.remove_suffix(1);
    if (json.empty()) throw std::logic_error("JsonWriter: an empty document");
    const bool inlineHere = !open_.empty() && open_.back().layout == Layout::Inline;
    const std::string indent(inlineHere ? 0 : 2 * open_.size(), ' ');
    std::string text;
    for (const char c : json) {
        if (c == '\n' && inlineHere) continue;
        text += c;
        if (c == '\n') text += indent;
    }
    return value(text);
}

const std::string& JsonWriter::text() const {
    if (!open_.empty() || !done_) throw std::logic_error("JsonWriter: the document is not complete");
    return out_;
}

}  // namespace sg
