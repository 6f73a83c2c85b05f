// The runner's --out file: a standard stream over a KSafeFileWriter, so rows
// go to a temporary file beside the target and replace the target only when
// the run is over.
#pragma once

#include <array>
#include <ostream>
#include <streambuf>
#include <string>
#include <string_view>

#include "base/safefile.h"

namespace korvel {

// A number in a CSV cell with every digit a double holds, so a value read
// back is the value written.
std::string CsvNumber(double v);

// A text in a CSV cell, quoted (inner quotes doubled) only when it holds a
// comma, a quote or a line break.
std::string CsvField(std::string_view text);

// Buffers what is written and hands it to the writer in large pieces. A
// failed write makes the stream bad (the writer has shown why).
class KSafeFileStreamBuf final : public std::streambuf {
public:
    explicit KSafeFileStreamBuf(KSafeFileWriter& writer);

protected:
    int_type overflow(int_type ch) override;
    std::streamsize xsputn(const char* data, std::streamsize count) override;
    int sync() override;

private:
    bool Drain();

    KSafeFileWriter& writer_;
    std::array<char, 1 << 16> buffer_{};
    bool failed_ = false;
};

// The output file of a run, open from Open until Finish.
class KCsvFile {
public:
    KCsvFile(KFileSystem& fs, Messages& messages) : writer_(fs, messages), buf_(writer_) {}

    // Checks the target and creates the temporary file; false after a message.
    [[nodiscard]] bool Open(const std::string& path) { return writer_.Open(path); }
    std::ostream& Stream() { return stream_; }
    // Puts the file in place when `keep`, else removes it and leaves the
    // target as it was. False when the rows could not all be written.
    [[nodiscard]] bool Finish(bool keep);

private:
    KSafeFileWriter writer_;
    KSafeFileStreamBuf buf_;
    std::ostream stream_{&buf_};
};

}  // namespace korvel
