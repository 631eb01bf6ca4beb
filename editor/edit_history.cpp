// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/edit_history.h"

#include <cstring>

namespace sg {

bool sameHeights(const KnotHeights& a, const KnotHeights& b) {
    return std::memcmp(a.data(), b.data(), sizeof(double) * a.size()) == 0;
}

EditHistory::EditHistory(std::size_t limit) : limit_(limit) {}

void EditHistory::record(const KnotHeights& before) {
    redo_.clear();
    if (limit_ == 0) return;
    if (undo_.size() == limit_) undo_.pop_front();
    undo_.push_back(before);
}

std::optional<KnotHeights> EditHistory::undo(const KnotHeights& current) {
    if (undo_.empty()) return std::nullopt;
    const KnotHeights before = undo_.back();
    undo_.pop_back();
    redo_.push_back(current);
    return before;
}

std::optional<KnotHeights> EditHistory::redo(const KnotHeights& current) {
    if (redo_.empty()) return std::nullopt;
    const KnotHeights after = redo_.back();
    redo_.pop_back();
    undo_.push_back(current);
    return after;
}

}  // namespace sg
