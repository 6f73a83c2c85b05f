#include "cli/csvfile.h"

#include <cstdio>
#include <cstring>

namespace korvel {

std::string CsvNumber(double v) {
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.17g", v);
    return buffer;
}

std::string CsvField(std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
    std::string out = "\"";
    for (char ch : text) {
        if (ch == '"') out += '"';
        out += ch;
    }
    return out + "\"";
}

KSafeFileStreamBuf::KSafeFileStreamBuf(KSafeFileWriter& writer) : writer_(writer) {
    setp(buffer_.data(), buffer_.data() + buffer_.size());
}

bool KSafeFileStreamBuf::Drain() {
    if (failed_) return false;
    const auto size = static_cast<std::size_t>(pptr() - pbase());
    if (size > 0 && !writer_.Write(std::string_view(pbase(), size))) failed_ = true;
    setp(buffer_.data(), buffer_.data() + buffer_.size());
    return !failed_;
}

KSafeFileStreamBuf::int_type KSafeFileStreamBuf::overflow(int_type ch) {
    if (!Drain()) return traits_type::eof();
    if (traits_type::eq_int_type(ch, traits_type::eof())) return traits_type::not_eof(ch);
    *pptr() = traits_type::to_char_type(ch);
    pbump(1);
    return ch;
}

std::streamsize KSafeFileStreamBuf::xsputn(const char* data, std::streamsize count) {
    std::streamsize done = 0;
    while (done < count) {
        if (pptr() == epptr() && !Drain()) return done;
        const std::streamsize room = epptr() - pptr();
        const std::streamsize part = std::min(room, count - done);
        std::memcpy(pptr(), data + done, static_cast<std::size_t>(part));
        pbump(static_cast<int>(part));
        done += part;
    }
    return done;
}

int KSafeFileStreamBuf::sync() {
    return Drain() ? 0 : -1;
}

bool KCsvFile::Finish(bool keep) {
    if (!writer_.IsOpen()) return false;
    stream_.flush();
    if (!keep) {
        writer_.Abandon();
        return true;
    }
    if (!stream_) return false;  // the writer has removed its file and said why
    return writer_.Commit();
}

}  // namespace korvel
