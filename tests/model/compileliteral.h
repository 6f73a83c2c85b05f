// The compile written from its plain rules, pass after pass over the whole
// collection, for the equivalence tests to hold the real steps against. It
// shares no code with the compile: only the collection, the blocks, the
// module finder and the file reader, which are not what is compared. Slow on
// purpose (quadratic and worse); only small models go through it.
#pragma once

#include "model/compiled.h"

namespace korvel {

class KElements;
class KMessageRecorder;
class KModuleFinder;

namespace literal_compile {

[[nodiscard]] bool ExpandModules(KElements& elements, KCompiled& compiled,
                                 const KModuleFinder* modules, KMessageRecorder& messages);
[[nodiscard]] bool CheckNumbering(KElements& elements, KMessageRecorder& messages);
void CheckExtenders(KElements& elements, KMessageRecorder& messages);
[[nodiscard]] bool BuildNets(KElements& elements, KCompiled& compiled, KMessageRecorder& messages);
[[nodiscard]] bool CheckRules(KElements& elements, KCompiled& compiled, KMessageRecorder& messages);
[[nodiscard]] bool BindReferences(KElements& elements, KCompiled& compiled,
                                  KMessageRecorder& messages);
[[nodiscard]] bool OrderBlocks(KElements& elements, KCompiled& compiled,
                               KMessageRecorder& messages);

// The whole compile: the steps above in order, the first failure ending it.
[[nodiscard]] KCompiled CompileModel(KElements& elements, const KModuleFinder* modules,
                                     KMessageRecorder& messages);

}  // namespace literal_compile
}  // namespace korvel
