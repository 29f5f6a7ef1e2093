#include "ztusb/host/string_list.h"

#include <algorithm>

#include "ztusb/host/exception.h"

namespace zt::host {

int TStringList::Add(const String& text) { return AddObject(text, 0); }

int TStringList::AddObject(const String& text, std::intptr_t object) {
    entries_.push_back({text, object});
    return Count() - 1;
}

void TStringList::Clear() { entries_.clear(); }

void TStringList::SetCapacity(int capacity) {
    if (capacity > 0) entries_.reserve(static_cast<std::size_t>(capacity));
}

int TStringList::Count() const { return static_cast<int>(entries_.size()); }

const TStringList::Entry& TStringList::At(int index) const {
    if (index < 0 || index >= Count()) {
        throw EStringListError(u"List index out of bounds (" + FromAnsi(std::to_string(index)) +
                               u")");
    }
    return entries_[static_cast<std::size_t>(index)];
}

const String& TStringList::Strings(int index) const { return At(index).text; }

std::intptr_t TStringList::Objects(int index) const { return At(index).object; }

void TStringList::SetObject(int index, std::intptr_t object) {
    At(index);
    entries_[static_cast<std::size_t>(index)].object = object;
}

void TStringList::Delete(int index) {
    At(index);
    entries_.erase(entries_.begin() + index);
}

int TStringList::IndexOf(const String& text) const {
    const auto found = std::find_if(entries_.begin(), entries_.end(),
                                    [&](const Entry& e) { return SameText(e.text, text); });
    return found == entries_.end() ? -1 : static_cast<int>(found - entries_.begin());
}

void TStringList::Sort() {
    std::stable_sort(entries_.begin(), entries_.end(), [](const Entry& a, const Entry& b) {
        return CompareText(a.text, b.text) < 0;
    });
}

void TStringList::Assign(const TStringList& source) {
    if (&source != this) entries_ = source.entries_;
}

String TStringList::Text() const {
    String text;
    for (const Entry& e : entries_) {
        text += e.text;
        text += u"\r\n";
    }
    return text;
}

void TStringList::SetText(const String& text) {
    entries_.clear();
    AddLines(text);
}

void TStringList::AddLines(std::u16string_view text) {
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = LineEnd(text, start);
        entries_.push_back({String(text.substr(start, end - start)), 0});
        start = NextLineStart(text, end);
    }
}

}  // namespace zt::host
