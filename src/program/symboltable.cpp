#include "program/symboltable.h"

#include "program/builtins.h"

namespace korvel {

KSymbolTable::KSymbolTable(const std::vector<std::string>& variables) {
    const auto builtins = Builtins();
    for (std::size_t i = 0; i < builtins.size(); ++i)
        symbols_.push_back({std::string(builtins[i].name), KSymbol::Kind::Function, int(i)});
    for (std::size_t i = 0; i < variables.size(); ++i)
        symbols_.push_back({variables[i], KSymbol::Kind::Variable, int(i)});
}

const KSymbol* KSymbolTable::Find(std::string_view name) const {
    for (auto it = symbols_.rbegin(); it != symbols_.rend(); ++it)
        if (it->name == name) return &*it;
    return nullptr;
}

}  // namespace korvel
