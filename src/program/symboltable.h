// The names a program can use: the built-in functions, then one variable per
// input and output node of its block. A later entry hides an earlier one of
// the same name; names compare exactly (case-sensitive).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace korvel {

struct KSymbol {
    enum class Kind { Function = 3, Variable = 4 };
    std::string name;
    Kind kind = Kind::Variable;
    int index = 0;  // into Builtins(), or the variable's index
};

class KSymbolTable {
public:
    // The built-ins, then the variables in the order given.
    explicit KSymbolTable(const std::vector<std::string>& variables);
    // The latest entry of the name, or nullptr.
    const KSymbol* Find(std::string_view name) const;
    int Count() const { return static_cast<int>(symbols_.size()); }

private:
    std::vector<KSymbol> symbols_;
};

}  // namespace korvel
