#include "program/program.h"

#include <cstdint>
#include <limits>
#include <string>

#include "program/builtins.h"
#include "program/lexer.h"
#include "program/parser.h"
#include "program/programtree.h"
#include "program/symboltable.h"

namespace korvel {

// Every instruction, in one list so the opcode enum and the dispatch table of
// Run cannot disagree.
// clang-format off
#define KORVEL_PROGRAM_OPCODES(X)                                                   \
    X(End) X(Jump) X(JumpIfZero) X(JumpIfNonZero) X(Stop)                           \
    X(CopyD) X(CopyI)                                                               \
    X(AddD) X(SubD) X(MulD) X(DivD) X(NegD)                                         \
    X(AddI) X(SubI) X(MulI) X(DivI) X(ModI) X(NegI)                                 \
    X(GtD) X(LtD) X(GeD) X(LeD) X(EqD) X(NeD)                                       \
    X(GtI) X(LtI) X(GeI) X(LeI) X(EqI) X(NeI)                                       \
    X(Not) X(DoubleToInt) X(DoubleToBool) X(IntToDouble) X(IntToBool)               \
    X(Call1) X(Call2)                                                               \
    X(JumpUnlessGtD) X(JumpUnlessLtD) X(JumpUnlessGeD)                              \
    X(JumpUnlessLeD) X(JumpUnlessEqD) X(JumpUnlessNeD)
// clang-format on

#define KORVEL_AS_ENUM(name) name,
enum class KProgram::Opcode : std::uint8_t { KORVEL_PROGRAM_OPCODES(KORVEL_AS_ENUM) };
#undef KORVEL_AS_ENUM

namespace {

using Op = KProgram::Opcode;
using std::int32_t;
using std::uint32_t;

// Truncation toward zero; not-a-number and values beyond the int range give
// the smallest int, as the processor's conversion does.
int32_t DoubleToInt(double v) {
    if (!(v > -2147483649.0 && v < 2147483648.0)) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(v);
}

int32_t Wrap(std::int64_t v) {
    return static_cast<int32_t>(static_cast<uint32_t>(v));
}

[[noreturn]] void DivisionByZero() {
    throw KProgramFault("division by zero");
}

// Where an operand lives while the code is generated; turned into a pointer
// once the cell arrays have their final size.
struct Operand {
    enum class Space : std::uint8_t { None, Read, Write, DConst, DTemp, IConst, ITemp };
    Space space = Space::None;
    uint32_t index = 0;
    bool IsTemp() const { return space == Space::DTemp || space == Space::ITemp; }
};

struct PendingInstruction {
    Op code = Op::End;
    uint32_t target = 0;
    Operand d, a, b;
    double (*unary)(double) = nullptr;
    double (*binary)(double, double) = nullptr;
};

class CodeGenerator {
public:
    explicit CodeGenerator(const KProgramTree& tree) : tree_(tree) {}

    void Generate() {
        doubleConsts_.push_back(0.0);  // the time t() reads
        List(tree_.root);
        StartLine();
        Emit(Op::End, {}, {}, {});
    }

    void Finish(std::span<const KProgramVariable> variables,
                std::vector<KProgram::Instruction>& code, std::vector<double>& doubles,
                std::vector<int32_t>& ints, std::vector<double (*)(double)>& unary,
                std::vector<double (*)(double, double)>& binary) const {
        unary.clear();
        binary.clear();
        doubles = doubleConsts_;
        doubles.resize(doubleConsts_.size() + doubleTemps_, 0.0);
        ints = intConsts_;
        ints.resize(intConsts_.size() + intTemps_, 0);
        auto pointer = [&](const Operand& o) -> void* {
            switch (o.space) {
                case Operand::Space::Read:
                    return const_cast<double*>(variables[o.index].read);
                case Operand::Space::Write:
                    return variables[o.index].write;
                case Operand::Space::DConst:
                    return doubles.data() + o.index;
                case Operand::Space::DTemp:
                    return doubles.data() + doubleConsts_.size() + o.index;
                case Operand::Space::IConst:
                    return ints.data() + o.index;
                case Operand::Space::ITemp:
                    return ints.data() + intConsts_.size() + o.index;
                case Operand::Space::None:
                    break;
            }
            return nullptr;
        };
        code.clear();
        code.reserve(pending_.size());
        for (const PendingInstruction& p : pending_) {
            KProgram::Instruction i;
            i.code = p.code;
            i.target = p.target;
            i.d = pointer(p.d);
            i.a = pointer(p.a);
            i.b = pointer(p.b);
            if (p.code == Op::Call1) {
                i.target = static_cast<uint32_t>(unary.size());
                unary.push_back(p.unary);
            } else if (p.code == Op::Call2) {
                i.target = static_cast<uint32_t>(binary.size());
                binary.push_back(p.binary);
            }
            code.push_back(i);
        }
    }

private:
    // --- Statements ------------------------------------------------------------

    // A taken if or else if jumps over the else lines that follow it.
    void List(uint32_t list) {
        const std::vector<uint32_t>& lines = tree_.lists[list];
        std::vector<std::pair<std::size_t, std::size_t>> waiting;  // jump, line it goes to
        for (std::size_t i = 0; i <= lines.size(); ++i) {
            for (const auto& [jump, to] : waiting)
                if (to == i) pending_[jump].target = Here();
            if (i == lines.size()) break;
            std::size_t chainEnd = i + 1;
            while (chainEnd < lines.size() && tree_.IsElse(lines[chainEnd])) ++chainEnd;
            const std::size_t jump = Line(lines[i], chainEnd > i + 1);
            if (jump != kNoJump) waiting.emplace_back(jump, chainEnd);
        }
    }

    static constexpr std::size_t kNoJump = static_cast<std::size_t>(-1);

    // Generates one line; a taken if / else if followed by else lines ends
    // with a jump over them, whose index is answered for the caller to aim.
    std::size_t Line(uint32_t id, bool skipsElses) {
        const KLineNode& line = tree_.lines[id];
        switch (line.kind) {
            case KLineKind::Expr:
                StartLine();
                Value(line.expr, tree_.nodes[line.expr].type);
                return kNoJump;
            case KLineKind::If:
            case KLineKind::ElseIf: {
                StartLine();
                const Operand condition = Value(line.expr, KType::Bool);
                const std::size_t skipBody = SkipUnless(condition);
                Line(line.body, false);
                std::size_t jump = kNoJump;
                if (skipsElses) jump = Emit(Op::Jump, {}, {}, {});
                pending_[skipBody].target = Here();
                return jump;
            }
            case KLineKind::Else:
                Line(line.body, false);
                return kNoJump;
            case KLineKind::Block:
                List(line.list);
                return kNoJump;
            case KLineKind::Empty:
                return kNoJump;
        }
        return kNoJump;
    }

    // A jump taken when the condition is false. A condition just computed by
    // a comparison of doubles becomes one compare-and-jump instruction.
    std::size_t SkipUnless(Operand condition) {
        if (freshResult_ && !pending_.empty()) {
            PendingInstruction& last = pending_.back();
            const bool same = last.d.space == condition.space && last.d.index == condition.index;
            const Op fused = same ? FusedJump(last.code) : Op::End;
            if (fused != Op::End) {
                last.code = fused;
                last.d = {};
                freshResult_ = false;
                return pending_.size() - 1;
            }
        }
        return Emit(Op::JumpIfZero, {}, condition, {});
    }

    static Op FusedJump(Op compare) {
        switch (compare) {
            case Op::GtD:
                return Op::JumpUnlessGtD;
            case Op::LtD:
                return Op::JumpUnlessLtD;
            case Op::GeD:
                return Op::JumpUnlessGeD;
            case Op::LeD:
                return Op::JumpUnlessLeD;
            case Op::EqD:
                return Op::JumpUnlessEqD;
            case Op::NeD:
                return Op::JumpUnlessNeD;
            default:
                return Op::End;
        }
    }

    // --- Expressions -------------------------------------------------------------

    Operand Value(uint32_t id, KType want);
    Operand Native(const KExprNode& n);
    Operand Convert(Operand v, KType from, KType to);
    Operand Constant(const KExprNode& n, KType want);
    Operand Call(const KExprNode& n);
    Operand NewTemp(KType type) {
        if (type == KType::Double) return {Operand::Space::DTemp, doubleTempNext_++};
        return {Operand::Space::ITemp, intTempNext_++};
    }

    std::size_t Emit(Op code, Operand d, Operand a, Operand b) {
        PendingInstruction p;
        p.code = code;
        p.d = d;
        p.a = a;
        p.b = b;
        pending_.push_back(p);
        freshResult_ = d.IsTemp();
        return pending_.size() - 1;
    }
    Operand EmitResult(Op code, KType type, Operand a, Operand b = {}) {
        const Operand d = NewTemp(type);
        Emit(code, d, a, b);
        return d;
    }
    uint32_t Here() const { return static_cast<uint32_t>(pending_.size()); }

    // Temporaries only live within one line, so every line reuses them.
    void StartLine() {
        doubleTemps_ = std::max(doubleTemps_, doubleTempNext_);
        intTemps_ = std::max(intTemps_, intTempNext_);
        doubleTempNext_ = 0;
        intTempNext_ = 0;
    }

    const KProgramTree& tree_;
    std::vector<PendingInstruction> pending_;
    std::vector<double> doubleConsts_;
    std::vector<int32_t> intConsts_;
    uint32_t doubleTemps_ = 0, intTemps_ = 0;
    uint32_t doubleTempNext_ = 0, intTempNext_ = 0;
    bool freshResult_ = false;  // the last instruction wrote a temporary nobody else writes
};

Operand CodeGenerator::Value(uint32_t id, KType want) {
    const KExprNode& n = tree_.nodes[id];
    if (n.kind == KExprKind::LitD || n.kind == KExprKind::LitI || n.kind == KExprKind::LitB)
        return Constant(n, want);
    const Operand v = Native(n);
    return Convert(v, n.type, want);
}

Operand CodeGenerator::Convert(Operand v, KType from, KType to) {
    if (from == to || (from == KType::Bool && to == KType::Int)) return v;
    if (to == KType::Double) return EmitResult(Op::IntToDouble, KType::Double, v);
    if (from == KType::Double)
        return EmitResult(to == KType::Int ? Op::DoubleToInt : Op::DoubleToBool, to, v);
    return EmitResult(Op::IntToBool, KType::Bool, v);
}

// Literals are converted once, here.
Operand CodeGenerator::Constant(const KExprNode& n, KType want) {
    freshResult_ = false;
    const double asDouble =
        n.kind == KExprKind::LitD ? n.doubleValue : static_cast<double>(n.intValue);
    if (want == KType::Double) {
        doubleConsts_.push_back(asDouble);
        return {Operand::Space::DConst, static_cast<uint32_t>(doubleConsts_.size() - 1)};
    }
    int32_t value = n.intValue;
    if (n.kind == KExprKind::LitD) value = want == KType::Int ? DoubleToInt(n.doubleValue) : 0;
    if (want == KType::Bool) value = asDouble != 0.0 ? 1 : 0;
    intConsts_.push_back(value);
    return {Operand::Space::IConst, static_cast<uint32_t>(intConsts_.size() - 1)};
}

Operand CodeGenerator::Native(const KExprNode& n) {
    using E = KExprKind;
    auto binary = [&](Op code, KType operands, KType result) {
        const Operand a = Value(n.left, operands);
        const Operand b = Value(n.right, operands);
        return EmitResult(code, result, a, b);
    };
    constexpr KType D = KType::Double, I = KType::Int, B = KType::Bool;
    switch (n.kind) {
        case E::LitD:
        case E::LitI:
        case E::LitB:
            return Constant(n, n.type);
        case E::VarD:
            freshResult_ = false;
            return {Operand::Space::Read, static_cast<uint32_t>(n.variable)};
        case E::AssignD: {
            const Operand v = Value(n.left, D);
            const Operand write{Operand::Space::Write, static_cast<uint32_t>(n.variable)};
            // The value's last instruction writes the variable directly.
            const PendingInstruction* last = pending_.empty() ? nullptr : &pending_.back();
            if (freshResult_ && last != nullptr && last->d.space == v.space &&
                last->d.index == v.index) {
                pending_.back().d = write;
            } else {
                Emit(Op::CopyD, write, v, {});
            }
            freshResult_ = false;
            return write;
        }
        case E::AddD:
            return binary(Op::AddD, D, D);
        case E::SubD:
            return binary(Op::SubD, D, D);
        case E::MulD:
            return binary(Op::MulD, D, D);
        case E::DivD:
            return binary(Op::DivD, D, D);
        case E::AddI:
            return binary(Op::AddI, I, I);
        case E::SubI:
            return binary(Op::SubI, I, I);
        case E::MulI:
            return binary(Op::MulI, I, I);
        case E::DivI:
            return binary(Op::DivI, I, I);
        case E::ModI:
            return binary(Op::ModI, I, I);
        case E::NegD:
            return EmitResult(Op::NegD, D, Value(n.left, D));
        case E::NegI:
            return EmitResult(Op::NegI, I, Value(n.left, I));
        case E::GtD:
            return binary(Op::GtD, D, B);
        case E::LtD:
            return binary(Op::LtD, D, B);
        case E::GeD:
            return binary(Op::GeD, D, B);
        case E::LeD:
            return binary(Op::LeD, D, B);
        case E::EqD:
            return binary(Op::EqD, D, B);
        case E::NeD:
            return binary(Op::NeD, D, B);
        case E::GtI:
            return binary(Op::GtI, I, B);
        case E::LtI:
            return binary(Op::LtI, I, B);
        case E::GeI:
            return binary(Op::GeI, I, B);
        case E::LeI:
            return binary(Op::LeI, I, B);
        case E::EqI:
            return binary(Op::EqI, I, B);
        case E::NeI:
            return binary(Op::NeI, I, B);
        case E::Not:
            return EmitResult(Op::Not, B, Value(n.left, B));
        case E::AndAnd:
        case E::OrOr: {
            const Operand r = NewTemp(B);
            Emit(Op::CopyI, r, Value(n.left, B), {});
            const std::size_t skip =
                Emit(n.kind == E::AndAnd ? Op::JumpIfZero : Op::JumpIfNonZero, {}, r, {});
            Emit(Op::CopyI, r, Value(n.right, B), {});
            pending_[skip].target = Here();
            freshResult_ = false;  // two instructions write r
            return r;
        }
        case E::Func:
            return Call(n);
    }
    return {};
}

Operand CodeGenerator::Call(const KExprNode& n) {
    const KBuiltin& f = Builtins()[static_cast<std::size_t>(n.function)];
    switch (f.kind) {
        case KBuiltinKind::Time:
            freshResult_ = false;
            return {Operand::Space::DConst, 0};
        case KBuiltinKind::Pi: {
            KExprNode pi;
            pi.kind = KExprKind::LitD;
            pi.doubleValue = kProgramPi;
            return Constant(pi, KType::Double);
        }
        case KBuiltinKind::Stop: {
            Emit(Op::Stop, {}, {}, {});
            KExprNode zero;
            return Constant(zero, KType::Double);
        }
        case KBuiltinKind::Unary: {
            const Operand x = Value(n.arguments[0], KType::Double);
            const Operand d = EmitResult(Op::Call1, KType::Double, x);
            pending_.back().unary = f.unary;
            return d;
        }
        case KBuiltinKind::Binary: {
            // The last written argument is evaluated first.
            const Operand y = Value(n.arguments[0], KType::Double);
            const Operand x = Value(n.arguments[1], KType::Double);
            const Operand d = EmitResult(Op::Call2, KType::Double, x, y);
            pending_.back().binary = f.binary;
            return d;
        }
    }
    return {};
}

}  // namespace

bool KProgram::Compile(std::string_view text, std::span<const KProgramVariable> variables,
                       std::string_view blockName, KProgramError& error) {
    ready_ = false;
    code_.clear();
    std::vector<KToken> tokens;
    if (!Tokenize(text, tokens, error)) return false;
    std::vector<std::string> names;
    names.reserve(variables.size());
    for (const KProgramVariable& v : variables) names.push_back(v.name);
    const KSymbolTable symbols(names);
    KProgramTree tree;
    if (!ParseProgram(tokens, symbols, blockName, tree, error)) return false;
    CodeGenerator generator(tree);
    generator.Generate();
    generator.Finish(variables, code_, doubles_, ints_, unary_, binary_);
    threaded_ = false;
    ready_ = true;
    return true;
}

namespace {

double& D(void* p) {
    return *static_cast<double*>(p);
}
double D(const void* p) {
    return *static_cast<const double*>(p);
}
int32_t& I(void* p) {
    return *static_cast<int32_t*>(p);
}
int32_t I(const void* p) {
    return *static_cast<const int32_t*>(p);
}

}  // namespace

// Threaded dispatch: every instruction ends with its own jump to the next
// one's handler, which the processor predicts far better than one shared
// switch. The labels-as-values extension is supported by GCC and Clang.
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wpedantic"
#endif
void KProgram::Run(double time) {
#define KORVEL_AS_LABEL(name) &&op_##name,
    static const void* const kHandlers[] = {KORVEL_PROGRAM_OPCODES(KORVEL_AS_LABEL)};
#undef KORVEL_AS_LABEL
    if (!ready_) return;
    if (!threaded_) {
        for (Instruction& i : code_) i.handler = kHandlers[static_cast<std::size_t>(i.code)];
        threaded_ = true;
    }
    doubles_[0] = time;
    const Instruction* const code = code_.data();
    const Instruction* in = code;
#define NEXT goto*(++in)->handler
#define JUMP(to)      \
    in = code + (to); \
    goto * in->handler
    goto * in->handler;

op_End:
    return;
op_Jump:
    JUMP(in->target);
op_JumpIfZero:
    if (I(in->a) == 0) {
        JUMP(in->target);
    }
    NEXT;
op_JumpIfNonZero:
    if (I(in->a) != 0) {
        JUMP(in->target);
    }
    NEXT;
op_JumpUnlessGtD:
    if (!(D(in->a) > D(in->b))) {
        JUMP(in->target);
    }
    NEXT;
op_JumpUnlessLtD:
    if (!(D(in->a) < D(in->b))) {
        JUMP(in->target);
    }
    NEXT;
op_JumpUnlessGeD:
    if (!(D(in->a) >= D(in->b))) {
        JUMP(in->target);
    }
    NEXT;
op_JumpUnlessLeD:
    if (!(D(in->a) <= D(in->b))) {
        JUMP(in->target);
    }
    NEXT;
op_JumpUnlessEqD:
    if (!(D(in->a) == D(in->b))) {
        JUMP(in->target);
    }
    NEXT;
op_JumpUnlessNeD:
    if (!(D(in->a) != D(in->b))) {
        JUMP(in->target);
    }
    NEXT;
op_Stop:
    ProgramStop();
op_CopyD:
    D(in->d) = D(in->a);
    NEXT;
op_CopyI:
    I(in->d) = I(in->a);
    NEXT;
op_AddD:
    D(in->d) = D(in->a) + D(in->b);
    NEXT;
op_SubD:
    D(in->d) = D(in->a) - D(in->b);
    NEXT;
op_MulD:
    D(in->d) = D(in->a) * D(in->b);
    NEXT;
op_DivD:
    D(in->d) = D(in->a) / D(in->b);
    NEXT;
op_NegD:
    D(in->d) = -D(in->a);
    NEXT;
op_AddI:
    I(in->d) = Wrap(std::int64_t{I(in->a)} + I(in->b));
    NEXT;
op_SubI:
    I(in->d) = Wrap(std::int64_t{I(in->a)} - I(in->b));
    NEXT;
op_MulI:
    I(in->d) = Wrap(std::int64_t{I(in->a)} * I(in->b));
    NEXT;
op_DivI:
    if (I(in->b) == 0) DivisionByZero();
    I(in->d) = Wrap(std::int64_t{I(in->a)} / I(in->b));
    NEXT;
op_ModI:
    if (I(in->b) == 0) DivisionByZero();
    I(in->d) = static_cast<int32_t>(std::int64_t{I(in->a)} % I(in->b));
    NEXT;
op_NegI:
    I(in->d) = Wrap(-std::int64_t{I(in->a)});
    NEXT;
op_GtD:
    I(in->d) = D(in->a) > D(in->b);
    NEXT;
op_LtD:
    I(in->d) = D(in->a) < D(in->b);
    NEXT;
op_GeD:
    I(in->d) = D(in->a) >= D(in->b);
    NEXT;
op_LeD:
    I(in->d) = D(in->a) <= D(in->b);
    NEXT;
op_EqD:
    I(in->d) = D(in->a) == D(in->b);
    NEXT;
op_NeD:
    I(in->d) = D(in->a) != D(in->b);
    NEXT;
op_GtI:
    I(in->d) = I(in->a) > I(in->b);
    NEXT;
op_LtI:
    I(in->d) = I(in->a) < I(in->b);
    NEXT;
op_GeI:
    I(in->d) = I(in->a) >= I(in->b);
    NEXT;
op_LeI:
    I(in->d) = I(in->a) <= I(in->b);
    NEXT;
op_EqI:
    I(in->d) = I(in->a) == I(in->b);
    NEXT;
op_NeI:
    I(in->d) = I(in->a) != I(in->b);
    NEXT;
op_Not:
    I(in->d) = I(in->a) == 0;
    NEXT;
op_DoubleToInt:
    I(in->d) = DoubleToInt(D(in->a));
    NEXT;
op_DoubleToBool:
    I(in->d) = D(in->a) != 0.0;
    NEXT;
op_IntToDouble:
    D(in->d) = static_cast<double>(I(in->a));
    NEXT;
op_IntToBool:
    I(in->d) = I(in->a) != 0;
    NEXT;
op_Call1:
    D(in->d) = unary_[in->target](D(in->a));
    NEXT;
op_Call2:
    D(in->d) = binary_[in->target](D(in->a), D(in->b));
    NEXT;
#undef NEXT
#undef JUMP
}
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

}  // namespace korvel
