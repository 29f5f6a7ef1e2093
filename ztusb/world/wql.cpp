#include "ztusb/world/wql.h"

#include <memory>

#include "ztusb/world/object_text.h"
#include "ztusb/world/wql_like.h"

namespace zt::world {
namespace {

struct Token {
    enum Kind { Word, Text, Number, Symbol, End } kind;
    String text;
};

// Thrown for anything WMI would refuse; turned into a failed query at the top.
struct Refused {};

bool IsWordStart(char16_t c) {
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || c == u'_';
}
bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }

class Lexer {
public:
    explicit Lexer(std::u16string_view text) : text_(text) {}

    Token Next() {
        while (at_ < text_.size() && IsBlank(text_[at_])) ++at_;
        if (at_ == text_.size()) return {Token::End, {}};
        const char16_t c = text_[at_];
        if (IsWordStart(c)) return Take(Token::Word, [](char16_t x) { return IsWordStart(x) || IsDigit(x); });
        if (IsDigit(c)) return Take(Token::Number, IsDigit);
        if (c == u'"' || c == u'\'') return Quoted(c);
        ++at_;
        return {Token::Symbol, String(1, c)};
    }

private:
    template <typename Predicate>
    Token Take(Token::Kind kind, Predicate belongs) {
        const std::size_t start = at_;
        while (at_ < text_.size() && belongs(text_[at_])) ++at_;
        return {kind, String(text_.substr(start, at_ - start))};
    }

    // A backslash takes the next character as it is: \\ is one backslash, \" a quote.
    Token Quoted(char16_t quote) {
        String value;
        for (++at_; at_ < text_.size(); ++at_) {
            char16_t c = text_[at_];
            if (c == quote) {
                ++at_;
                return {Token::Text, value};
            }
            if (c == u'\\') {
                if (++at_ == text_.size()) break;
                c = text_[at_];
            }
            value += c;
        }
        throw Refused{};  // unterminated
    }

    std::u16string_view text_;
    std::size_t at_ = 0;
};

struct Condition {
    enum Kind { Or, And, Like, Equal } kind;
    std::vector<Condition> operands;
    const CimProperty* property = nullptr;
    String literal;

    bool Holds(const CimObject& object) const {
        switch (kind) {
            case Or:
                for (const Condition& c : operands) if (c.Holds(object)) return true;
                return false;
            case And:
                for (const Condition& c : operands) if (!c.Holds(object)) return false;
                return true;
            default: {
                const auto value = object.Value(*property);
                if (!value) return false;
                return kind == Like ? WqlLike(*value, literal) : host::SameText(*value, literal);
            }
        }
    }
};

class Statement {
public:
    Statement(const CimRepository& repository, std::u16string_view text)
        : repository_(repository), lexer_(text) {
        Advance();
    }

    std::vector<String> Run() {
        std::vector<String> texts;
        if (Accept(u"SELECT")) {
            RunSelect(texts);
        } else if (Accept(u"ASSOCIATORS")) {
            RunAssociators(texts);
        } else {
            throw Refused{};
        }
        return texts;
    }

private:
    void RunSelect(std::vector<String>& texts) {
        std::vector<String> names;
        const bool all = AcceptSymbol(u'*');
        if (!all) {
            do names.push_back(Expect(Token::Word)); while (AcceptSymbol(u','));
        }
        ExpectWord(u"FROM");
        const CimClass& cimClass = ClassNamed(Expect(Token::Word));
        std::vector<bool> selected(cimClass.properties.size(), all);
        for (const String& name : names) selected[IndexOf(cimClass, PropertyOf(cimClass, name))] = true;
        if (cimClass.IsAssociation()) return RunLinks(cimClass, selected, texts);
        std::unique_ptr<Condition> where;
        if (Accept(u"WHERE")) where = std::make_unique<Condition>(Disjunction(cimClass));
        ExpectEnd();
        repository_.ForEachInstance(cimClass, [&](const CimObject& object) {
            if (!where || where->Holds(object)) texts.push_back(RenderObjectText(object, selected));
        });
    }

    // An association's instances are its links, each end written as WMI writes a reference:
    // \\HOST\root\cimv2:Win32_LogicalDisk.DeviceID="E:".
    void RunLinks(const CimClass& association, const std::vector<bool>& selected, std::vector<String>& texts) {
        ExpectEnd();
        const CimClass& antecedent = *FindCimClass(association.antecedent);
        const CimClass& dependent = *FindCimClass(association.dependent);
        repository_.ForEachLink(association, [&](const String& antecedentKey, const String& dependentKey) {
            const CimObject* from = repository_.Find(antecedent, antecedentKey);
            const CimProperty* systemName = antecedent.Find(u"SystemName");
            const auto host = from != nullptr && systemName != nullptr ? from->Value(*systemName) : std::nullopt;
            const String prefix = u"\\\\" + String(host.value_or(u".")) + u"\\root\\cimv2:";
            const auto reference = [&](const CimClass& end, const String& key) {
                return prefix + end.name + u"." + end.Key().name + u"=\"" + key + u"\"";
            };
            String arena;
            const CimObject link(association, {reference(antecedent, antecedentKey), reference(dependent, dependentKey)},
                                 {}, arena);
            texts.push_back(RenderObjectText(link, selected));
        });
    }

    void RunAssociators(std::vector<String>& texts) {
        ExpectWord(u"OF");
        ExpectSymbol(u'{');
        const CimClass& cimClass = ClassNamed(Expect(Token::Word));
        ExpectSymbol(u'.');
        if (&PropertyOf(cimClass, Expect(Token::Word)) != &cimClass.Key()) throw Refused{};
        ExpectSymbol(u'=');
        const String key = Expect(Token::Text);
        ExpectSymbol(u'}');
        const CimClass* association = nullptr;
        if (Accept(u"WHERE")) {
            ExpectWord(u"AssocClass");
            ExpectSymbol(u'=');
            association = &ClassNamed(Expect(Token::Word));
            if (!association->IsAssociation()) throw Refused{};
        }
        ExpectEnd();
        const CimObject* object = repository_.Find(cimClass, key);
        if (object == nullptr || association == nullptr) return;
        for (const CimObject* associated : repository_.Associators(*object, *association)) {
            texts.push_back(RenderObjectText(
                *associated, std::vector<bool>(associated->Class().properties.size(), true)));
        }
    }

    // Operands are moved into place, never copied from an initializer list: a copy at every
    // level of parentheses would make nesting cost quadratic time.
    Condition Disjunction(const CimClass& cimClass) {
        Condition any{Condition::Or, {}, nullptr, {}};
        do any.operands.push_back(Conjunction(cimClass)); while (Accept(u"OR"));
        return any;
    }

    Condition Conjunction(const CimClass& cimClass) {
        Condition all{Condition::And, {}, nullptr, {}};
        do all.operands.push_back(Comparison(cimClass)); while (Accept(u"AND"));
        return all;
    }

    Condition Comparison(const CimClass& cimClass) {
        if (AcceptSymbol(u'(')) {
            // WMI refuses an over-complex query; refusing deep nesting also bounds the
            // recursion of parsing, evaluating and freeing the condition.
            if (++depth_ > kMaxNesting) throw Refused{};
            Condition inner = Disjunction(cimClass);
            ExpectSymbol(u')');
            --depth_;
            return inner;
        }
        Condition test{Condition::Equal, {}, nullptr, {}};
        test.property = &PropertyOf(cimClass, Expect(Token::Word));
        if (Accept(u"LIKE")) {
            test.kind = Condition::Like;
            test.literal = Expect(Token::Text);
            return test;
        }
        ExpectSymbol(u'=');
        if (current_.kind == Token::End || current_.kind == Token::Symbol) throw Refused{};
        test.literal = current_.text;
        Advance();
        return test;
    }

    const CimClass& ClassNamed(const String& name) const {
        const CimClass* cimClass = FindCimClass(name);
        if (cimClass == nullptr) throw Refused{};
        return *cimClass;
    }

    static const CimProperty& PropertyOf(const CimClass& cimClass, const String& name) {
        const CimProperty* property = cimClass.Find(name);
        if (property == nullptr) throw Refused{};
        return *property;
    }

    static std::size_t IndexOf(const CimClass& cimClass, const CimProperty& property) {
        return static_cast<std::size_t>(&property - cimClass.properties.data());
    }

    void Advance() { current_ = lexer_.Next(); }

    bool Accept(std::u16string_view word) {
        if (current_.kind != Token::Word || !host::SameText(current_.text, word)) return false;
        Advance();
        return true;
    }

    bool AcceptSymbol(char16_t symbol) {
        if (current_.kind != Token::Symbol || current_.text[0] != symbol) return false;
        Advance();
        return true;
    }

    void ExpectWord(std::u16string_view word) {
        if (!Accept(word)) throw Refused{};
    }

    void ExpectSymbol(char16_t symbol) {
        if (!AcceptSymbol(symbol)) throw Refused{};
    }

    String Expect(Token::Kind kind) {
        if (current_.kind != kind) throw Refused{};
        String text = current_.text;
        Advance();
        return text;
    }

    void ExpectEnd() const {
        if (current_.kind != Token::End) throw Refused{};
    }

    static constexpr int kMaxNesting = 64;

    const CimRepository& repository_;
    Lexer lexer_;
    Token current_{Token::End, {}};
    int depth_ = 0;
};

}  // namespace

std::optional<std::vector<String>> RunWql(const CimRepository& repository, std::u16string_view wql) {
    try {
        return Statement(repository, wql).Run();
    } catch (const Refused&) {
        return std::nullopt;
    }
}

}  // namespace zt::world
