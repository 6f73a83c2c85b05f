// Small text helpers for names, paths and typed lists.
//
// Paths may come from model files written on a system whose folder separator
// is '\' or typed on this host, where it is '/'; the path helpers accept both.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace korvel {

// Every character is a decimal digit; an empty text counts as true.
bool IsAllDigits(std::string_view text);

// Every ',' becomes '-'. Used on new Variable names, so that a name never
// contains the field separator of model files.
std::string ReplaceCommas(std::string_view text);

// The path up to, not including, its last folder separator; empty when the
// path has none.
std::string FileFolder(std::string_view path);

// The part of the path after its last folder separator; the whole path when
// it has none.
std::string FileNameOnly(std::string_view path);

// The part of the name before its first '.'; the whole name when it has none.
std::string NameBeforeDot(std::string_view name);

// Every '\' becomes '/'.
std::string SlashesForBackslashes(std::string_view text);

// A text usable as an identifier in program-block code: "x" in front when it
// starts with a digit, and each of ' ', '-', '(', ')', '+', '^', '/' replaced
// by '_'. Other characters are kept as they are.
std::string MakeIdentifier(std::string_view text);

// Cuts the text into fields at blanks (spaces and tabs), carriage returns,
// line feeds and commas. A run of separators counts as one, so "1, 2,,3"
// gives three fields and no field is ever empty.
std::vector<std::string> SplitFields(std::string_view text);

// The same into `list` for callers with a fixed number of slots: answers the
// number of fields, or -2 when there are more than `capacity`; then `list`
// holds the first `capacity` fields. A negative capacity counts as 0.
int SplitFields(std::string_view text, std::vector<std::string>& list, int capacity);

}  // namespace korvel
