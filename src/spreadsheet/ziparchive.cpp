#include "spreadsheet/ziparchive.h"

#include <zip.h>

#include <cstdio>

namespace korvel {

namespace {

std::string ErrorText(zip_error_t& error) {
    std::string text = zip_error_strerror(&error);
    zip_error_fini(&error);
    return text;
}

// A buffer source over `bytes`; the caller frees it unless an archive took it.
zip_source_t* BufferSource(std::string_view bytes, std::string& error) {
    zip_error_t ze;
    zip_error_init(&ze);
    zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &ze);
    if (source == nullptr) error = ErrorText(ze);
    zip_error_fini(&ze);
    return source;
}

// Everything the source holds (the archive zip_close has written into it).
bool ReadSource(zip_source_t* source, std::string& out, std::string& error) {
    if (zip_source_open(source) < 0) {
        error = zip_error_strerror(zip_source_error(source));
        return false;
    }
    bool ok = zip_source_seek(source, 0, SEEK_END) == 0;
    const zip_int64_t size = ok ? zip_source_tell(source) : -1;
    ok = ok && size >= 0 && zip_source_seek(source, 0, SEEK_SET) == 0;
    if (ok) {
        out.resize(static_cast<std::size_t>(size));
        ok = zip_source_read(source, out.data(), static_cast<zip_uint64_t>(size)) == size;
    }
    if (!ok) error = zip_error_strerror(zip_source_error(source));
    zip_source_close(source);
    return ok;
}

}  // namespace

struct KZipReader::Handle {
    zip_t* zip = nullptr;
};

KZipReader::KZipReader(std::unique_ptr<Handle> handle) : handle_(std::move(handle)) {}

KZipReader::~KZipReader() {
    zip_discard(handle_->zip);
}

std::unique_ptr<KZipReader> KZipReader::Open(std::string_view bytes, std::string& error) {
    zip_source_t* source = BufferSource(bytes, error);
    if (source == nullptr) return nullptr;
    zip_error_t ze;
    zip_error_init(&ze);
    zip_t* zip = zip_open_from_source(source, ZIP_RDONLY, &ze);
    if (zip == nullptr) {
        zip_source_free(source);
        error = "not a readable zip archive (" + ErrorText(ze) + ")";
        return nullptr;
    }
    zip_error_fini(&ze);
    auto handle = std::make_unique<Handle>();
    handle->zip = zip;
    return std::unique_ptr<KZipReader>(new KZipReader(std::move(handle)));
}

bool KZipReader::Has(std::string_view name) const {
    return zip_name_locate(handle_->zip, std::string(name).c_str(), ZIP_FL_NOCASE) >= 0;
}

bool KZipReader::Read(std::string_view name, std::string& out, std::string& error) const {
    out.clear();
    const std::string key(name);
    const zip_int64_t index = zip_name_locate(handle_->zip, key.c_str(), ZIP_FL_NOCASE);
    if (index < 0) {
        error = "the part " + key + " is missing";
        return false;
    }
    zip_file_t* file = zip_fopen_index(handle_->zip, static_cast<zip_uint64_t>(index), 0);
    if (file == nullptr) {
        error = "the part " + key + " cannot be read (" +
                zip_error_strerror(zip_get_error(handle_->zip)) + ")";
        return false;
    }
    // The sizes in the archive's directory may lie, so the cap is checked
    // against what is actually unpacked.
    char buffer[65536];
    bool ok = true;
    for (;;) {
        const zip_int64_t got = zip_fread(file, buffer, sizeof buffer);
        if (got < 0) {
            error = "the part " + key + " is damaged (" +
                    zip_error_strerror(zip_file_get_error(file)) + ")";
            ok = false;
            break;
        }
        if (got == 0) break;
        if (out.size() + static_cast<std::size_t>(got) > kMaxZipPartSize) {
            error = "the part " + key + " is larger than 256 MiB";
            ok = false;
            break;
        }
        out.append(buffer, static_cast<std::size_t>(got));
    }
    zip_fclose(file);
    if (!ok) out.clear();
    return ok;
}

bool RewriteZip(std::string_view original, const std::map<std::string, std::string>& replace,
                const std::vector<std::string>& remove, std::string& out, std::string& error) {
    zip_source_t* source = BufferSource(original, error);
    if (source == nullptr) return false;
    // The archive writes its new contents into the source, which must
    // survive the archive to be read.
    zip_source_keep(source);
    zip_error_t ze;
    zip_error_init(&ze);
    zip_t* zip = zip_open_from_source(source, 0, &ze);
    if (zip == nullptr) {
        error = ErrorText(ze);
        zip_source_free(source);
        zip_source_free(source);
        return false;
    }
    zip_error_fini(&ze);
    bool ok = true;
    for (const auto& [name, bytes] : replace) {
        zip_source_t* part = zip_source_buffer(zip, bytes.data(), bytes.size(), 0);
        zip_int64_t index = zip_name_locate(zip, name.c_str(), ZIP_FL_NOCASE);
        if (part == nullptr) {
            ok = false;
        } else if (index >= 0) {
            ok = zip_file_replace(zip, static_cast<zip_uint64_t>(index), part, 0) == 0;
        } else {
            index = zip_file_add(zip, name.c_str(), part, ZIP_FL_ENC_UTF_8);
            ok = index >= 0;
        }
        if (!ok) {
            if (part != nullptr) zip_source_free(part);
            break;
        }
        zip_set_file_compression(zip, static_cast<zip_uint64_t>(index), ZIP_CM_DEFLATE, 0);
    }
    for (const std::string& name : remove) {
        if (!ok) break;
        const zip_int64_t index = zip_name_locate(zip, name.c_str(), ZIP_FL_NOCASE);
        if (index >= 0) ok = zip_delete(zip, static_cast<zip_uint64_t>(index)) == 0;
    }
    if (ok && zip_close(zip) == 0) {
        ok = ReadSource(source, out, error);
    } else {
        error = zip_strerror(zip);
        zip_discard(zip);
        ok = false;
    }
    zip_source_free(source);
    return ok;
}

}  // namespace korvel
