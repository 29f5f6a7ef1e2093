#pragma once
// JSON documents read with the line of every value, so that a mistake in a file is reported
// as "FILE:LINE: expected ...".

#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "ztusb/export.h"
#include "ztusb/host/text.h"

namespace zt::testkit {

using Json = nlohmann::json;

// "FILE:LINE: what was expected".
class ZT_API WorldError : public std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The line of every value, in a tree shaped like the document, so that memory grows with
// the document and not with its depth times its size.
struct ZT_API LineTree {
    int line = 1;
    std::vector<LineTree> items;               // of an array
    std::map<std::string, LineTree> members;   // of an object

    // The line of the deepest value on the path ("/devices/3/port"); a missing member is
    // reported at its object's line.
    int LineOf(const std::string& path) const;

private:
    const LineTree* Child(const std::string& segment) const;
};

struct Document {
    Json root;
    LineTree lines;
};

// A syntax error or nesting deeper than any world file needs is a WorldError at its line.
ZT_API Document ParseDocument(const std::string& text, const std::string& fileName);

// Reads the document's values, naming the line of anything that is not as expected. Every
// member it looks for, there or not, is one the file may hold: RefuseUnknownKeys, once all is
// read, refuses the others.
class ZT_API Reader {
public:
    Reader(const Document& document, std::string fileName)
        : root_(document.root), lines_(document.lines), fileName_(std::move(fileName)) {}

    // A member missing where one of its near misses stands is reported as that unknown key.
    [[noreturn]] void Fail(const std::string& path, const std::string& expected) const;
    // "FILE:LINE: unknown key "atached" (did you mean "attached"?)" for the first member, in
    // the file's order, that nothing read looked for.
    void RefuseUnknownKeys() const;

    int LineOf(const std::string& path) const { return lines_.LineOf(path); }
    const std::string& FileName() const { return fileName_; }

    const Json& At(const std::string& path) const;
    bool Has(const std::string& path) const;
    // An object whose members are the file's own, such as a recorded instance's properties.
    const Json& AnyMembers(const std::string& path) const;
    // The path of an object's member, with ~ and / written as a JSON pointer writes them.
    static std::string Member(const std::string& object, const std::string& name);

    const Json& Array(const std::string& path, bool required) const;
    zt::host::String Text(const std::string& path, const std::string& example) const;
    std::uint64_t Number(const std::string& path) const;
    bool Flag(const std::string& path) const;

    // The member's name: the path's last segment.
    static std::string Name(const std::string& path) { return path.substr(path.rfind('/') + 1); }

private:
    void LookFor(const std::string& path) const;
    [[noreturn]] void FailUnknown(const std::string& path) const;
    void FindUnknown(const std::string& at, const Json& value, std::string& first) const;

    const Json& root_;
    const LineTree& lines_;
    std::string fileName_;
    mutable std::set<std::string> known_;  // paths looked for
    mutable std::set<std::string> open_;   // objects whose members are all the file's own
};

}  // namespace zt::testkit
