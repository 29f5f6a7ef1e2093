#pragma once
// JSON documents read with the line of every value, so that a mistake in a file is reported
// as "FILE:LINE: expected ...".

#include <map>
#include <nlohmann/json.hpp>
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

// Reads the document's values, naming the line of anything that is not as expected.
class ZT_API Reader {
public:
    Reader(const Document& document, std::string fileName)
        : root_(document.root), lines_(document.lines), fileName_(std::move(fileName)) {}

    [[noreturn]] void Fail(const std::string& path, const std::string& expected) const;

    int LineOf(const std::string& path) const { return lines_.LineOf(path); }
    const std::string& FileName() const { return fileName_; }

    const Json& At(const std::string& path) const { return root_.at(Json::json_pointer(path)); }
    bool Has(const std::string& path) const { return root_.contains(Json::json_pointer(path)); }

    const Json& Array(const std::string& path, bool required) const;
    zt::host::String Text(const std::string& path, const std::string& example) const;
    std::uint64_t Number(const std::string& path) const;
    bool Flag(const std::string& path) const;

    // The member's name: the path's last segment.
    static std::string Name(const std::string& path) { return path.substr(path.rfind('/') + 1); }

private:
    const Json& root_;
    const LineTree& lines_;
    std::string fileName_;
};

}  // namespace zt::testkit
