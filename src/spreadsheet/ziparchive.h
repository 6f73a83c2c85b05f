// Zip archives in memory, as the parts of an .xlsx workbook come.
//
// Reading takes a part by name. Rewriting copies every entry of the original
// archive as it is (compressed data and all) except the parts replaced or
// removed, so the untouched parts of a workbook keep their bytes.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace korvel {

// The largest part a workbook may hold once uncompressed; a bigger one is
// refused rather than read (a small archive can unpack to gigabytes).
inline constexpr std::uint64_t kMaxZipPartSize = std::uint64_t{256} << 20;

class KZipReader {
public:
    // Opens the archive in `bytes`, which must outlive the reader. Nothing,
    // with the reason in `error`, when it is not a readable zip archive.
    static std::unique_ptr<KZipReader> Open(std::string_view bytes, std::string& error);
    ~KZipReader();
    KZipReader(const KZipReader&) = delete;
    KZipReader& operator=(const KZipReader&) = delete;

    // Whether the archive has an entry of this name (names compare without
    // regard to case, as part names do).
    bool Has(std::string_view name) const;
    // The uncompressed entry. False, with the reason in `error`, when it is
    // missing, damaged or larger than kMaxZipPartSize.
    [[nodiscard]] bool Read(std::string_view name, std::string& out, std::string& error) const;

private:
    struct Handle;
    explicit KZipReader(std::unique_ptr<Handle> handle);
    std::unique_ptr<Handle> handle_;
};

// The archive `original` with the entries named in `replace` given new
// contents (added when missing) and those in `remove` left out.
[[nodiscard]] bool RewriteZip(std::string_view original,
                              const std::map<std::string, std::string>& replace,
                              const std::vector<std::string>& remove, std::string& out,
                              std::string& error);

}  // namespace korvel
