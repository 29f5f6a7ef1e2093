#include "ztusb/testkit/json_reader.h"

#include <algorithm>
#include <charconv>
#include <iterator>

namespace zt::testkit {
namespace {

// Characters of the text with the line of the last one that was not blank, so that every
// value of the document can be given the line it stands on.
class LineCountingIterator {
public:
    using iterator_category = std::input_iterator_tag;
    using value_type = char;
    using difference_type = std::ptrdiff_t;
    using pointer = const char*;
    using reference = const char&;

    LineCountingIterator(const char* at, const char* end, int* line) : at_(at), end_(end), line_(line) {}
    reference operator*() const { return *at_; }
    LineCountingIterator& operator++() {
        if (*at_ == '\n') ++newlines_;
        ++at_;
        const bool blank = at_ == end_ || *at_ == ' ' || *at_ == '\t' || *at_ == '\r' || *at_ == '\n';
        if (!blank) *line_ = newlines_ + 1;
        return *this;
    }
    bool operator==(const LineCountingIterator& other) const { return at_ == other.at_; }
    bool operator!=(const LineCountingIterator& other) const { return at_ != other.at_; }

private:
    const char* at_;
    const char* end_;
    int* line_;
    int newlines_ = 0;
};

// Builds the document and notes the line of every value. World files are a few levels
// deep; deeper nesting is refused before it costs anything.
class PositionedDom : public nlohmann::json_sax<Json> {
public:
    static constexpr std::size_t kMaxDepth = 32;

    explicit PositionedDom(Json& root, const int* line) : dom_(root, true), line_(line) {}

    LineTree lines;
    bool tooDeep = false;

    bool null() override { return Value() && dom_.null(); }
    bool boolean(bool v) override { return Value() && dom_.boolean(v); }
    bool number_integer(number_integer_t v) override { return Value() && dom_.number_integer(v); }
    bool number_unsigned(number_unsigned_t v) override { return Value() && dom_.number_unsigned(v); }
    bool number_float(number_float_t v, const string_t& s) override {
        return Value() && dom_.number_float(v, s);
    }
    bool string(string_t& v) override { return Value() && dom_.string(v); }
    bool binary(binary_t& v) override { return Value() && dom_.binary(v); }
    bool start_object(std::size_t n) override { return Open(false) && dom_.start_object(n); }
    bool key(string_t& k) override {
        key_ = k;
        return dom_.key(k);
    }
    bool end_object() override {
        open_.pop_back();
        return dom_.end_object();
    }
    bool start_array(std::size_t n) override { return Open(true) && dom_.start_array(n); }
    bool end_array() override {
        open_.pop_back();
        return dom_.end_array();
    }
    bool parse_error(std::size_t position, const std::string& token,
                     const nlohmann::detail::exception& e) override {
        return dom_.parse_error(position, token, e);
    }

private:
    // The node of the value that starts now: the root, the next item or the keyed member.
    LineTree& NewNode() {
        if (open_.empty()) return lines;
        const Frame& parent = open_.back();
        return parent.array ? parent.node->items.emplace_back() : parent.node->members[key_];
    }
    bool Value() {
        NewNode().line = *line_;
        return true;
    }
    bool Open(bool array) {
        if (open_.size() == kMaxDepth) {
            tooDeep = true;
            return false;
        }
        LineTree& node = NewNode();
        node.line = *line_;
        open_.push_back({&node, array});  // siblings come only after it closes: the address holds
        return true;
    }

    struct Frame {
        LineTree* node;
        bool array;
    };

    nlohmann::detail::json_sax_dom_parser<Json> dom_;
    const int* line_;
    std::vector<Frame> open_;
    std::string key_;
};

std::string Parent(const std::string& path) { return path.substr(0, path.rfind('/')); }

std::string Unescaped(const std::string& segment) {
    std::string name;
    for (std::size_t i = 0; i < segment.size(); ++i) {
        const bool escape = segment[i] == '~' && i + 1 < segment.size();
        name += escape ? (segment[++i] == '1' ? '/' : '~') : segment[i];
    }
    return name;
}

// Edits (insertion, deletion, change, swap of neighbours) from one name to the other.
std::size_t Edits(const std::string& a, const std::string& b) {
    std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
    for (std::size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
    for (std::size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        for (std::size_t j = 1; j <= b.size(); ++j) {
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1)});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1]) d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    }
    return d[a.size()][b.size()];
}

// A slip of the keyboard: one edit in a short name, two in a longer one.
bool NearMiss(const std::string& written, const std::string& meant) {
    return written != meant && Edits(written, meant) <= (meant.size() <= 4 ? 1u : 2u);
}

}  // namespace

int LineTree::LineOf(const std::string& path) const {
    const LineTree* node = this;
    std::size_t at = path.empty() ? std::string::npos : 1;
    while (at != std::string::npos && at <= path.size()) {
        const std::size_t slash = path.find('/', at);
        const std::string segment = path.substr(at, slash == std::string::npos ? slash : slash - at);
        const LineTree* next = node->Child(segment);
        if (next == nullptr) break;
        node = next;
        at = slash == std::string::npos ? slash : slash + 1;
    }
    return node->line;
}

const LineTree* LineTree::Child(const std::string& segment) const {
    if (const auto found = members.find(segment); found != members.end()) return &found->second;
    std::size_t index = 0;
    const char* end = segment.data() + segment.size();
    const auto [stop, error] = std::from_chars(segment.data(), end, index);
    return error == std::errc() && stop == end && index < items.size() ? &items[index] : nullptr;
}

Document ParseDocument(const std::string& text, const std::string& fileName) {
    Document document;
    int line = 1;
    PositionedDom dom(document.root, &line);
    const char* end = text.data() + text.size();
    try {
        Json::sax_parse(LineCountingIterator(text.data(), end, &line),
                        LineCountingIterator(end, end, &line), &dom);
        if (dom.tooDeep) {
            throw WorldError(fileName + ":" + std::to_string(line) + ": expected at most " +
                             std::to_string(PositionedDom::kMaxDepth) + " levels of nesting");
        }
    } catch (const Json::exception& e) {
        // "[json.exception.parse_error.101] parse error at line 3, column 5: ..." -> what follows
        const std::string message = e.what();
        const auto colon = message.find(": ", message.find("column"));
        throw WorldError(fileName + ":" + std::to_string(line) + ": " +
                         (colon == std::string::npos ? message : message.substr(colon + 2)));
    }
    document.lines = std::move(dom.lines);
    return document;
}

// What holds a member looked for is looked into too.
void Reader::LookFor(const std::string& path) const {
    std::string at = path;
    while (!at.empty() && known_.insert(at).second) at = Parent(at);
}

const Json& Reader::At(const std::string& path) const {
    LookFor(path);
    return root_.at(Json::json_pointer(path));
}

bool Reader::Has(const std::string& path) const {
    LookFor(path);
    return root_.contains(Json::json_pointer(path));
}

const Json& Reader::AnyMembers(const std::string& path) const {
    open_.insert(path);
    return At(path);
}

std::string Reader::Member(const std::string& object, const std::string& name) {
    std::string path = object + "/";
    for (const char c : name) {
        if (c == '~') {
            path += "~0";
        } else if (c == '/') {
            path += "~1";
        } else {
            path += c;
        }
    }
    return path;
}

void Reader::Fail(const std::string& path, const std::string& expected) const {
    const std::string object = Parent(path);
    const bool missing = !path.empty() && !root_.contains(Json::json_pointer(path)) &&
                         root_.contains(Json::json_pointer(object));
    // A member written under a near name is the likelier fault: say that instead.
    if (const Json* holder = missing ? &At(object) : nullptr; holder != nullptr && holder->is_object()) {
        const std::string wanted = Unescaped(Name(path));
        for (const auto& [key, value] : holder->items()) {
            const std::string member = Member(object, key);
            if (!known_.count(member) && NearMiss(key, wanted)) FailUnknown(member);
        }
    }
    throw WorldError(fileName_ + ":" + std::to_string(LineOf(path)) + ": expected " + expected);
}

void Reader::RefuseUnknownKeys() const {
    std::string first;
    FindUnknown("", root_, first);
    if (!first.empty()) FailUnknown(first);
}

// Unknown members are not looked into: what they hold is no one's.
void Reader::FindUnknown(const std::string& at, const Json& value, std::string& first) const {
    if (open_.count(at) != 0) return;
    if (value.is_array()) {
        for (std::size_t i = 0; i < value.size(); ++i) FindUnknown(at + "/" + std::to_string(i), value[i], first);
        return;
    }
    if (!value.is_object()) return;
    for (const auto& [key, member] : value.items()) {
        const std::string path = Member(at, key);
        if (known_.count(path) != 0) {
            FindUnknown(path, member, first);
        } else if (first.empty() || LineOf(path) < LineOf(first)) {
            first = path;
        }
    }
}

void Reader::FailUnknown(const std::string& path) const {
    const std::string written = Unescaped(Name(path));
    std::string message = fileName_ + ":" + std::to_string(LineOf(path)) + ": unknown key \"" + written + "\"";
    const std::string object = Parent(path) + "/";
    for (auto known = known_.lower_bound(object); known != known_.end() && known->starts_with(object); ++known) {
        const std::string name = Unescaped(known->substr(object.size()));
        if (known->find('/', object.size()) == std::string::npos && NearMiss(written, name)) {
            message += " (did you mean \"" + name + "\"?)";
            break;
        }
    }
    throw WorldError(message);
}

const Json& Reader::Array(const std::string& path, bool required) const {
    static const Json empty = Json::array();
    if (!Has(path)) {
        if (required) Fail(path, "\"" + Name(path) + "\": a list");
        return empty;
    }
    if (!At(path).is_array()) Fail(path, "\"" + Name(path) + "\" to be a list");
    return At(path);
}

zt::host::String Reader::Text(const std::string& path, const std::string& example) const {
    if (!Has(path) || !At(path).is_string() || At(path).get<std::string>().empty()) {
        Fail(path, "\"" + Name(path) + "\": a text such as " + example);
    }
    return zt::host::FromUtf8(At(path).get<std::string>());
}

std::uint64_t Reader::Number(const std::string& path) const {
    if (!Has(path) || !At(path).is_number_unsigned()) {
        Fail(path, "\"" + Name(path) + "\": a whole number of 0 or more");
    }
    return At(path).get<std::uint64_t>();
}

bool Reader::Flag(const std::string& path) const {
    if (!Has(path)) return false;
    if (!At(path).is_boolean()) Fail(path, "\"" + Name(path) + "\" to be true or false");
    return At(path).get<bool>();
}

}  // namespace zt::testkit
