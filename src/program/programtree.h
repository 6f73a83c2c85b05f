// The parsed form of a program: expression nodes, statement lines and lists
// of lines, each in one pool and referred to by index.
//
// The parser builds it once; the code generator (programcode.h) turns it into
// the flat instructions that run. Nothing here is touched while a model runs.
#pragma once

#include <cstdint>
#include <vector>

namespace korvel {

enum class KType : std::uint8_t { Double, Int, Bool };

enum class KExprKind : std::uint8_t {
    LitD,
    LitI,
    LitB,
    VarD,     // a variable's current value
    AssignD,  // variable = right, as a double; the value is the result
    AddD,
    SubD,
    MulD,
    DivD,
    AddI,
    SubI,
    MulI,
    DivI,
    ModI,  // 32-bit, wrapping; division truncates
    NegD,
    NegI,
    GtD,
    GtI,
    LtD,
    LtI,
    GeD,
    GeI,
    LeD,
    LeI,  // non-strict: equal operands compare true
    EqD,
    EqI,
    NeD,
    NeI,
    Not,
    AndAnd,
    OrOr,  // AndAnd and OrOr skip the right operand when the left decides
    Func,  // a built-in function call
};

struct KExprNode {
    KExprKind kind = KExprKind::LitI;
    KType type = KType::Int;
    int depth = 1;              // nodes on the longest path down, this one included
    double doubleValue = 0;     // LitD
    std::int32_t intValue = 0;  // LitI, LitB (0 or 1)
    int variable = -1;          // VarD, AssignD: index of the bound variable
    int function = -1;          // Func: index into Builtins()
    std::uint32_t left = 0;     // operand, or the right-hand side of AssignD
    std::uint32_t right = 0;
    std::vector<std::uint32_t> arguments;  // Func: last written argument first
};

enum class KLineKind : std::uint8_t { Expr, If, ElseIf, Else, Block, Empty };

struct KLineNode {
    KLineKind kind = KLineKind::Empty;
    int line = 1;
    int depth = 1;
    std::uint32_t expr = 0;  // Expr: the expression; If, ElseIf: the condition
    std::uint32_t body = 0;  // If, ElseIf, Else: the line run when taken
    std::uint32_t list = 0;  // Block: the nested list
};

struct KProgramTree {
    std::vector<KExprNode> nodes;
    std::vector<KLineNode> lines;
    std::vector<std::vector<std::uint32_t>> lists;  // lines, in order
    std::uint32_t root = 0;                         // the program's own list

    // Whether the line is skipped after a taken if / else if.
    bool IsElse(std::uint32_t line) const {
        const KLineKind k = lines[line].kind;
        return k == KLineKind::ElseIf || k == KLineKind::Else;
    }
};

}  // namespace korvel
