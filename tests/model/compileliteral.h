// The compile steps written the plain way, pass after pass over the whole
// collection, for the equivalence tests to hold the real steps against.
// Slow on purpose (quadratic and worse); only small models go through it.
//
// Where the real steps deliberately do better than the plain procedure
// (module reads that fail, references moving with their instance, which
// blocks stay red after a failure, which wire is highlighted), these do the
// same, so that any difference the tests find is a real one.
#pragma once

namespace korvel {

class KElements;
class KModuleFinder;
class Messages;

namespace literal_compile {

[[nodiscard]] bool ExpandModules(KElements& elements, const KModuleFinder* modules,
                                 Messages& messages);
[[nodiscard]] bool CheckNumbering(KElements& elements, Messages& messages);
void CheckExtenders(KElements& elements, Messages& messages);
[[nodiscard]] bool BuildNets(KElements& elements, Messages& messages);
[[nodiscard]] bool BindReferences(KElements& elements, Messages& messages);
[[nodiscard]] bool OrderBlocks(KElements& elements, Messages& messages);

// The whole compile made of the steps above (and the real rule checks,
// which are a single count).
[[nodiscard]] bool CompileModel(KElements& elements, const KModuleFinder* modules,
                                Messages& messages);

}  // namespace literal_compile
}  // namespace korvel
