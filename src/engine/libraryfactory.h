// The factory: which run-time class each block type gets.
//
// A table maps a type tag to its maker, the function that builds the block's
// run-time object and puts it on the bench top's lists. Adding a block type
// touches the type table, one run-time class and one entry here. Types that
// never do anything at run time (extenders, custom module parts, notes,
// anchors) are listed as passive. A type that is neither has no run-time class
// yet, and a model using it must not pretend to run: building the bench top
// refuses it (see BuildBenchTop).
#pragma once

#include <string_view>

namespace korvel {

class KBenchTop;
class KBlock;

using KLibraryMaker = void (*)(KBenchTop& benchTop, KBlock& block);

// The maker of a type number, or nullptr when the type has none.
KLibraryMaker FindLibraryMaker(int type);
// The maker of a tag, or nullptr.
KLibraryMaker FindLibraryMaker(std::string_view tag);
// Whether the type does nothing at run time.
bool IsPassiveType(std::string_view tag);
// Whether blocks of the type can be part of a running model.
bool CanRun(std::string_view tag);

}  // namespace korvel
