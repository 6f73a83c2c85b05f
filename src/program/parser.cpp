#include "program/parser.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <utility>

#include "program/builtins.h"
#include "program/parserrules.h"

namespace korvel {

namespace {

using namespace parsing;

class Parser {
public:
    Parser(const std::vector<KToken>& tokens, const KSymbolTable& symbols, std::string_view block,
           KProgramTree& tree, KProgramError& error)
        : tokens_(tokens), symbols_(symbols), block_(block), tree_(tree), error_(error) {}

    bool Run() {
        tree_ = KProgramTree{};
        std::uint32_t root = 0;
        if (!ParseList(0, tokens_.size(), 0, root)) return false;
        tree_.root = root;
        return true;
    }

private:
    // --- Cutting a list into statements --------------------------------------

    bool ParseList(std::size_t begin, std::size_t end, int depth, std::uint32_t& listOut) {
        if (begin < end) {
            const KToken& last = tokens_[end - 1];
            if (last.code != tok::kSemicolon && last.code != tok::kRBrace) {
                return Fail(last.line,
                            "Unterminated line at line " + std::to_string(last.line) +
                                " in Program Block " + block_,
                            "Last line of program must have ';' or '}'");
            }
        }
        listOut = static_cast<std::uint32_t>(tree_.lists.size());
        tree_.lists.emplace_back();
        bool chain = false;
        std::size_t i = begin;
        while (i < end) {
            std::size_t terminator = 0;
            std::size_t open = end;  // the statement's "{", if any
            if (!FindTerminator(i, end, terminator, open)) return false;
            std::uint32_t line = 0;
            if (!ParseStatement(i, terminator, open, depth, chain, line)) return false;
            tree_.lists[listOut].push_back(line);
            i = terminator + 1;
        }
        return true;
    }

    // The statement from `i` ends at the first ";", or at the "}" that matches
    // its first "{". A "{" without its "}" or a "}" without its "{" is refused
    // here: left alone, the tokens after them would run as statements.
    bool FindTerminator(std::size_t i, std::size_t end, std::size_t& terminator,
                        std::size_t& open) {
        for (std::size_t j = i; j < end; ++j) {
            const int code = tokens_[j].code;
            if (code == tok::kSemicolon) {
                terminator = j;
                return true;
            }
            if (code == tok::kRBrace) {
                return Fail(tokens_[j].line,
                            "Unmatched '}' on line " + std::to_string(tokens_[j].line) +
                                " of Program Block " + block_,
                            "Unmatched '}'.");
            }
            if (code != tok::kLBrace) continue;
            int nesting = 0;
            for (std::size_t k = j; k < end; ++k) {
                if (tokens_[k].code == tok::kLBrace) ++nesting;
                if (tokens_[k].code == tok::kRBrace && --nesting == 0) {
                    open = j;
                    terminator = k;
                    return true;
                }
            }
            return Fail(tokens_[j].line,
                        "Unmatched '{' on line " + std::to_string(tokens_[j].line) +
                            " of Program Block " + block_,
                        "Unmatched '{'.");
        }
        // Unreachable: the list's last token is ";" or "}".
        return Fail(tokens_[i].line,
                    "Unterminated line at line " + std::to_string(tokens_[end - 1].line) +
                        " in Program Block " + block_,
                    "Last line of program must have ';' or '}'");
    }

    // A braces group is always the first rule to apply, so its list is parsed
    // as the statement's entries are made.
    bool ParseStatement(std::size_t first, std::size_t terminator, std::size_t open, int depth,
                        bool& chain, std::uint32_t& lineOut) {
        const std::size_t plain = (open < terminator ? open : terminator + 1) - first;
        if (plain > static_cast<std::size_t>(kMaxStatementTokens)) {
            const int line = tokens_[first].line;
            return Fail(line,
                        "The statement on line " + std::to_string(line) + " of Program Block " +
                            block_ + " is too long: a statement may have at most " +
                            std::to_string(kMaxStatementTokens) + " tokens outside braces",
                        "Statement too long.");
        }
        Statement s;
        s.reserve(plain + 1);
        for (std::size_t k = first; k < first + plain; ++k) {
            Entry e;
            e.code = tokens_[k].code;
            e.line = tokens_[k].line;
            e.ref = static_cast<std::uint32_t>(k);
            s.push_back(std::move(e));
        }
        if (open < terminator) {
            if (depth + 1 > kMaxBraceDepth) {
                const int line = tokens_[open].line;
                return Fail(line,
                            "Braces nested more than " + std::to_string(kMaxBraceDepth) +
                                " deep on line " + std::to_string(line) + " of Program Block " +
                                block_,
                            "Braces nested too deeply.");
            }
            std::uint32_t list = 0;
            if (!ParseList(open + 1, terminator, depth + 1, list)) return false;
            KLineNode block;
            block.kind = KLineKind::Block;
            block.line = tokens_[first].line;
            block.list = list;
            for (std::uint32_t l : tree_.lists[list])
                block.depth = std::max(block.depth, tree_.lines[l].depth + 1);
            Entry e;
            e.kind = Entry::Kind::Line;
            e.line = tokens_[open].line;
            e.ref = AddLine(block);
            s.push_back(std::move(e));
        }
        if (!Rules(s, chain)) return false;
        if (s[0].kind == Entry::Kind::Line) {
            lineOut = s[0].ref;
            return true;
        }
        // A lone ";": an empty statement.
        KLineNode empty;
        empty.kind = KLineKind::Empty;
        empty.line = s[0].line;
        lineOut = AddLine(empty);
        return true;
    }

    // --- The rule loop -------------------------------------------------------

    bool Rules(Statement& s, bool& chain) {
        const bool chainOpen = chain;
        chain = false;
        const int statementLine = s.front().line;
        for (;;) {
            bool applied = false;
            if (!ApplyFirstRule(s, chainOpen, chain, applied)) return false;
            if (applied) continue;
            const bool done =
                s.size() == 1 && (s[0].kind == Entry::Kind::Line || IsTok(s, 0, tok::kSemicolon));
            if (done) return true;
            return Fail(statementLine,
                        "Cannot interpret line " + std::to_string(statementLine) +
                            " in Program Block" + block_,
                        "Cannot interpret line.");
        }
    }

    // The range the grouped rules search: from the statement's last "(" to
    // the first ")" after it; the whole statement without "("; nothing when
    // that "(" is never closed.
    static bool GroupedRange(const Statement& s, std::size_t& lo, std::size_t& hi) {
        std::size_t paren = s.size();
        for (std::size_t i = s.size(); i-- > 0;) {
            if (IsTok(s, i, tok::kLParen)) {
                paren = i;
                break;
            }
        }
        if (paren == s.size()) {
            lo = 0;
            hi = s.size() - 1;
            return true;
        }
        for (std::size_t i = paren + 1; i < s.size(); ++i) {
            if (IsTok(s, i, tok::kRParen)) {
                lo = paren;
                hi = i;
                return true;
            }
        }
        return false;
    }

    // Tries the rules in order; the first that matches anywhere is applied once.
    bool ApplyFirstRule(Statement& s, bool chainOpen, bool& chain, bool& applied) {
        std::size_t glo = 0, ghi = 0;
        const bool grouped = GroupedRange(s, glo, ghi);
        // Rules whose key entry is absent are not searched: this keeps long
        // statements from costing the whole table at every step.
        std::array<bool, 64> tokenPresent{};
        std::array<bool, 16> kindPresent{};
        for (const Entry& e : s) {
            kindPresent[static_cast<std::size_t>(e.kind)] = true;
            if (e.kind == Entry::Kind::Token || e.kind == Entry::Kind::MulMarker ||
                e.kind == Entry::Kind::AddMarker)
                tokenPresent[static_cast<std::size_t>(e.code) & 63] = true;
        }
        for (int rule = 1; rule <= 47; ++rule) {
            const RuleKey key = KeyOf(rule);
            if (key.isToken ? !tokenPresent[static_cast<std::size_t>(key.value)]
                            : !kindPresent[static_cast<std::size_t>(key.value)])
                continue;
            const bool isGrouped = rule >= 25;
            if (isGrouped && !grouped) break;
            const std::size_t lo = isGrouped ? glo : 0;
            const std::size_t hi = isGrouped ? ghi : s.size() - 1;
            const bool startOnly = rule == 30 || rule == 47;
            const std::size_t len = PatternLength(rule);
            if (len == 0 || hi + 1 < lo + len) continue;
            const std::size_t lastStart = startOnly ? (lo == 0 ? 0 : 1) : hi + 1 - len;
            if (startOnly && lo != 0) continue;
            for (std::size_t at = lo; at <= lastStart; ++at) {
                if (!Matches(s, tree_, rule, at)) continue;
                applied = true;
                return Apply(s, rule, at, chainOpen, chain);
            }
        }
        return true;
    }

    // --- Applying a rule -----------------------------------------------------

    bool Apply(Statement& s, int rule, std::size_t i, bool chainOpen, bool& chain);
    bool ApplyName(Statement& s, int rule, std::size_t i);
    bool ApplyCall(Statement& s, std::size_t i, std::vector<std::uint32_t> args);
    bool ApplyBinary(Statement& s, int rule, std::size_t i);

    // Replaces `count` entries at `i` with one.
    static void Replace(Statement& s, std::size_t i, std::size_t count, Entry entry) {
        s[i] = std::move(entry);
        s.erase(s.begin() + static_cast<std::ptrdiff_t>(i + 1),
                s.begin() + static_cast<std::ptrdiff_t>(i + count));
    }

    static Entry Make(Entry::Kind kind, int line, std::uint32_t ref = 0, int code = 0) {
        Entry e;
        e.kind = kind;
        e.line = line;
        e.ref = ref;
        e.code = code;
        return e;
    }

    // A new expression node; fails when it nests too deeply.
    bool AddNode(KExprNode node, int line, std::uint32_t& out) {
        if (node.depth > kMaxExpressionDepth) {
            return Fail(line,
                        "The expression on line " + std::to_string(line) + " of Program Block " +
                            block_ + " nests more than " + std::to_string(kMaxExpressionDepth) +
                            " levels deep",
                        "Expression nested too deeply.");
        }
        out = static_cast<std::uint32_t>(tree_.nodes.size());
        tree_.nodes.push_back(std::move(node));
        return true;
    }

    bool ExprEntry(KExprNode node, int line, Entry& out) {
        std::uint32_t id = 0;
        if (!AddNode(std::move(node), line, id)) return false;
        out = Make(Entry::Kind::Expr, line, id);
        return true;
    }

    std::uint32_t AddLine(KLineNode line) {
        tree_.lines.push_back(line);
        return static_cast<std::uint32_t>(tree_.lines.size() - 1);
    }

    bool LineEntry(KLineNode line, Entry& out) {
        if (line.depth > kMaxExpressionDepth) {
            return Fail(line.line,
                        "Statements on line " + std::to_string(line.line) + " of Program Block " +
                            block_ + " nest more than " + std::to_string(kMaxExpressionDepth) +
                            " levels deep",
                        "Statements nested too deeply.");
        }
        out = Make(Entry::Kind::Line, line.line, AddLine(line));
        return true;
    }

    const KExprNode& Node(const Entry& e) const { return tree_.nodes[e.ref]; }
    int LineDepth(const Entry& e) const { return tree_.lines[e.ref].depth; }

    bool Fail(int line, std::string text, std::string fault) {
        error_.kind = KProgramError::Kind::Parser;
        error_.number = 0;
        error_.text = std::move(text);
        error_.advice.clear();
        error_.fault = std::move(fault);
        error_.line = line;
        return false;
    }

    const std::vector<KToken>& tokens_;
    const KSymbolTable& symbols_;
    std::string block_;
    KProgramTree& tree_;
    KProgramError& error_;
};

bool Parser::Apply(Statement& s, int rule, std::size_t i, bool chainOpen, bool& chain) {
    using K = Entry::Kind;
    const int line = s[i].line;
    Entry out;
    switch (rule) {
        case 1:
            // Braces groups are parsed before the rules run (ParseStatement).
            return Fail(line, "Internal Error A KInstrList :: Rules()", "Internal Error");
        case 2:
        case 3:
        case 4:
            return ApplyName(s, rule, i);
        case 5:
        case 6:
        case 7:
        case 8: {
            KExprNode n;
            const KToken& t = tokens_[s[i].ref];
            if (rule == 5) {
                n.kind = KExprKind::LitD;
                n.type = KType::Double;
                n.doubleValue = t.doubleValue;
            } else if (rule == 6) {
                n.kind = KExprKind::LitI;
                n.type = KType::Int;
                n.intValue = t.intValue;
            } else {
                n.kind = KExprKind::LitB;
                n.type = KType::Bool;
                n.intValue = rule == 7 ? 1 : 0;
            }
            if (!ExprEntry(std::move(n), line, out)) return false;
            Replace(s, i, 1, std::move(out));
            return true;
        }
        case 9: {
            KExprNode n;
            n.kind = KExprKind::AssignD;
            n.type = KType::Double;
            n.variable = static_cast<int>(s[i].ref);
            n.left = s[i + 1].ref;
            n.depth = Node(s[i + 1]).depth + 1;
            if (!ExprEntry(std::move(n), line, out)) return false;
            Replace(s, i, 2, std::move(out));
            return true;
        }
        case 10:
            Replace(s, i, 2, Make(K::CondHead, line));
            return true;
        case 11:
            return ApplyCall(s, i, {});
        case 12:
            return ApplyCall(s, i, std::move(s[i + 1].args));
        case 13:
        case 18: {
            // The argument and its ")" become a list holding it.
            Entry list = Make(K::ExprList, s[i + 1].line);
            list.args.push_back(s[i + 1].ref);
            Replace(s, i + 1, 2, std::move(list));
            return true;
        }
        case 14:
        case 15:
        case 16:
        case 17: {
            Entry& list = s[i + 3];
            list.args.push_back(s[i + 1].ref);
            s.erase(s.begin() + static_cast<std::ptrdiff_t>(i + 1),
                    s.begin() + static_cast<std::ptrdiff_t>(i + 3));
            return true;
        }
        case 19:
        case 20:
        case 47: {
            const std::size_t at = rule == 19 ? i + 3 : rule == 20 ? i + 1 : i;
            KLineNode l;
            l.kind = KLineKind::Expr;
            l.line = s[at].line;
            l.expr = s[at].ref;
            l.depth = Node(s[at]).depth + 1;
            if (!LineEntry(l, out)) return false;
            Replace(s, at, 2, std::move(out));
            return true;
        }
        case 21:
        case 22: {
            if (rule == 21 && !chainOpen) {
                return Fail(line,
                            "Misplaced 'else if' on line " + std::to_string(line) +
                                " of Program Block " + block_,
                            "Misplaced 'else if'");
            }
            const std::size_t head = rule == 21 ? i + 1 : i;
            KLineNode l;
            l.kind = rule == 21 ? KLineKind::ElseIf : KLineKind::If;
            l.line = line;
            l.expr = s[head + 1].ref;
            l.body = s[head + 3].ref;
            l.depth = std::max(LineDepth(s[head + 3]), Node(s[head + 1]).depth) + 1;
            if (!LineEntry(l, out)) return false;
            Replace(s, i, rule == 21 ? 5 : 4, std::move(out));
            chain = true;
            return true;
        }
        case 23: {
            if (!chainOpen) {
                return Fail(line,
                            "Misplaced 'else' on line " + std::to_string(line) +
                                " of Program Block " + block_,
                            "Misplaced 'else'");
            }
            KLineNode l;
            l.kind = KLineKind::Else;
            l.line = line;
            l.body = s[i + 1].ref;
            l.depth = LineDepth(s[i + 1]) + 1;
            if (!LineEntry(l, out)) return false;
            Replace(s, i, 2, std::move(out));
            return true;
        }
        case 24: {
            Entry inner = std::move(s[i + 1]);
            Replace(s, i, 3, std::move(inner));
            return true;
        }
        case 25:
        case 26:
        case 27:
        case 28:
        case 29:
        case 30: {
            const std::size_t at = rule == 30 ? i : i + 1;
            const KExprNode& operand = Node(s[at + 1]);
            KExprNode n;
            n.type = operand.type == KType::Double ? KType::Double : KType::Int;
            n.kind = n.type == KType::Double ? KExprKind::NegD : KExprKind::NegI;
            n.left = s[at + 1].ref;
            n.depth = operand.depth + 1;
            if (!ExprEntry(std::move(n), s[at].line, out)) return false;
            Replace(s, at, 2, std::move(out));
            return true;
        }
        case 31:
        case 32:
        case 33:
        case 34: {
            Entry& op = s[i + 1];
            op.kind = rule <= 32 ? K::MulMarker : K::AddMarker;
            return true;
        }
        case 44: {
            KExprNode u;
            u.kind = KExprKind::Not;
            u.type = KType::Bool;
            u.left = s[i + 1].ref;
            u.depth = Node(s[i + 1]).depth + 1;
            if (!ExprEntry(std::move(u), line, out)) return false;
            Replace(s, i, 2, std::move(out));
            return true;
        }
        default:
            return ApplyBinary(s, rule, i);
    }
}

bool Parser::ApplyName(Statement& s, int rule, std::size_t i) {
    const KToken& t = tokens_[s[i].ref];
    const int line = t.line;
    const std::string lineText = std::to_string(line);
    const KSymbol* symbol = symbols_.Find(t.name);
    if (symbol == nullptr) {
        return Fail(line,
                    "Symbol \"" + t.name + "\" not found on line " + lineText +
                        " of Program Block " + block_,
                    "Symbol \"" + t.name + "\" not found.");
    }
    const bool isFunction = symbol->kind == KSymbol::Kind::Function;
    if (rule == 2) {
        if (!isFunction) {
            return Fail(line,
                        "Attempt to call non function  \"" + t.name + "\" on line " + lineText +
                            " of Program Block " + block_,
                        "Attempt to call non function.");
        }
        Replace(s, i, 2, Make(Entry::Kind::CallHead, line, std::uint32_t(symbol->index)));
        return true;
    }
    if (rule == 3) {
        if (isFunction) {
            return Fail(line,
                        "Symbol \"" + t.name + "\" is not an LValue, on line " + lineText +
                            " of Program Block " + block_,
                        "Symbol \"" + t.name + "\" is not an LValue.");
        }
        Replace(s, i, 2, Make(Entry::Kind::AssignHead, line, std::uint32_t(symbol->index)));
        return true;
    }
    if (isFunction) {
        return Fail(line,
                    "Function \"" + t.name + "\" is called without () on line " + lineText +
                        " of Program Block " + block_,
                    "Function \"" + t.name + "\" is called without ().");
    }
    KExprNode n;
    n.kind = KExprKind::VarD;
    n.type = KType::Double;
    n.variable = symbol->index;
    Entry out;
    if (!ExprEntry(std::move(n), line, out)) return false;
    Replace(s, i, 1, std::move(out));
    return true;
}

bool Parser::ApplyCall(Statement& s, std::size_t i, std::vector<std::uint32_t> args) {
    const int line = s[i].line;
    const KBuiltin& function = Builtins()[s[i].ref];
    if (static_cast<int>(args.size()) != function.argumentCount) {
        return Fail(line,
                    "Wrong number of arguments for call to function \"" +
                        std::string(function.name) + "\" on line " + std::to_string(line) +
                        " in Program Block " + block_ + "\rExpected " +
                        std::to_string(function.argumentCount) +
                        " argument(s), but function call has " + std::to_string(args.size()) + ".",
                    "Error interpreting:  wrong number of arguments in function call");
    }
    KExprNode n;
    n.kind = KExprKind::Func;
    n.type = KType::Double;
    n.function = static_cast<int>(s[i].ref);
    for (std::uint32_t a : args) n.depth = std::max(n.depth, tree_.nodes[a].depth + 1);
    n.arguments = std::move(args);
    Entry out;
    if (!ExprEntry(std::move(n), line, out)) return false;
    Replace(s, i, 2, std::move(out));
    return true;
}

// Rules 35 to 43, 45 and 46: the node takes the entries left and right of the operator.
bool Parser::ApplyBinary(Statement& s, int rule, std::size_t i) {
    const KExprNode& a = Node(s[i]);
    const KExprNode& b = Node(s[i + 2]);
    const bool anyDouble = a.type == KType::Double || b.type == KType::Double;
    KExprNode n;
    auto pick = [&](KExprKind d, KExprKind in, KType resultOfInt) {
        n.kind = anyDouble ? d : in;
        n.type = anyDouble && resultOfInt == KType::Int ? KType::Double : resultOfInt;
    };
    const int op = s[i + 1].code;
    switch (rule) {
        case 35:
            if (op == tok::kTimes)
                pick(KExprKind::MulD, KExprKind::MulI, KType::Int);
            else
                pick(KExprKind::DivD, KExprKind::DivI, KType::Int);
            break;
        case 36:
            if (op == tok::kPlus)
                pick(KExprKind::AddD, KExprKind::AddI, KType::Int);
            else
                pick(KExprKind::SubD, KExprKind::SubI, KType::Int);
            break;
        case 37:
            if (anyDouble) {
                return Fail(s[i].line,
                            "Cannot use modulo (%) with double-precision numbers.  See Program "
                            "Block \"" +
                                block_ + "\"",
                            "Cannot use modulo (%) with double-precision numbers.");
            }
            n.kind = KExprKind::ModI;
            n.type = KType::Int;
            break;
        case 38:
            pick(KExprKind::GtD, KExprKind::GtI, KType::Bool);
            break;
        case 39:
            pick(KExprKind::LeD, KExprKind::LeI, KType::Bool);
            break;
        case 40:
            pick(KExprKind::LtD, KExprKind::LtI, KType::Bool);
            break;
        case 41:
            pick(KExprKind::GeD, KExprKind::GeI, KType::Bool);
            break;
        case 42:
            pick(KExprKind::EqD, KExprKind::EqI, KType::Bool);
            break;
        case 43:
            pick(KExprKind::NeD, KExprKind::NeI, KType::Bool);
            break;
        case 45:
            n.kind = KExprKind::AndAnd;
            n.type = KType::Bool;
            break;
        case 46:
            n.kind = KExprKind::OrOr;
            n.type = KType::Bool;
            break;
        default:
            return Fail(s[i].line, "Internal Error #1A in KInstrList :: Rules", "Internal Error");
    }
    n.left = s[i].ref;
    n.right = s[i + 2].ref;
    n.depth = std::max(a.depth, b.depth) + 1;
    Entry out;
    if (!ExprEntry(std::move(n), s[i].line, out)) return false;
    Replace(s, i, 3, std::move(out));
    return true;
}

}  // namespace

bool ParseProgram(const std::vector<KToken>& tokens, const KSymbolTable& symbols,
                  std::string_view blockName, KProgramTree& tree, KProgramError& error) {
    return Parser(tokens, symbols, blockName, tree, error).Run();
}

}  // namespace korvel
