#pragma once
// An ordered, unsorted list of strings that allows duplicates; every entry has an object
// slot that can hold an integer.

#include <cstdint>
#include <vector>

#include "ztusb/export.h"
#include "ztusb/host/text.h"

namespace zt::host {

class ZT_API TStringList {
public:
    int Add(const String& text);
    int AddObject(const String& text, std::intptr_t object);
    void Clear();
    int Count() const;
    // Room for this many entries, so that a list filled in one go is allocated once.
    void SetCapacity(int capacity);

    // Positions count from 0; a position outside the list throws EStringListError.
    const String& Strings(int index) const;
    const String& operator[](int index) const { return Strings(index); }
    std::intptr_t Objects(int index) const;
    void SetObject(int index, std::intptr_t object);
    void Delete(int index);

    // The first entry equal to the text ignoring letter case, or -1.
    int IndexOf(const String& text) const;
    // Ascending, ignoring letter case; equal entries keep their order.
    void Sort();
    void Assign(const TStringList& source);

    // Every entry followed by CR LF.
    String Text() const;
    // Lines at CR LF, LF or CR; a break at the end adds no entry.
    void SetText(const String& text);
    // Appends the lines of the text as SetText splits them.
    void AddLines(std::u16string_view text);

private:
    struct Entry {
        String text;
        std::intptr_t object;
    };
    const Entry& At(int index) const;

    std::vector<Entry> entries_;
};

}  // namespace zt::host
