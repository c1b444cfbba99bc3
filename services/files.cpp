// Embedded assets and file streams: the asset registry, the URL rule and little-endian ints.
#include "services/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

struct stream {
    // Exactly one of these is in use.
    const uint8_t* mem = nullptr;
    size_t mem_size = 0;
    size_t mem_pos = 0;
    std::FILE* file = nullptr;
    bool readable = false;
    bool writable = false;
    bool failed = false;
    bool at_end = false;
};

namespace {

struct asset_entry {
    std::string name;
    const uint8_t* buffer;
    int size;
};

// Newest first, as lookups walk from the front.
std::vector<asset_entry>& registry()
{
    static std::vector<asset_entry> r;
    return r;
}

const asset_entry* find_asset(const std::string& name)
{
    auto& r = registry();
    for (auto it = r.rbegin(); it != r.rend(); ++it)
        if (it->name == name) return &*it;
    return nullptr;
}

enum open_mode { mode_read, mode_write, mode_update };

stream* open_incbin(const std::string& path, open_mode mode)
{
    if (mode != mode_read) return nullptr; // assets are part of the program
    const asset_entry* a = find_asset(path);
    if (!a) return nullptr;
    auto* s = new stream;
    s->mem = a->buffer;
    s->mem_size = static_cast<size_t>(a->size);
    s->readable = true;
    return s;
}

stream* open_disk(const std::string& path, open_mode mode)
{
    static const char* modes[] = {"rb", "wb", "r+b"};
    std::string p = disk_path(path);
    if (p.empty()) return nullptr;
    if (mode != mode_write && file_kind(p) == 2) return nullptr; // a folder is not a file
    std::FILE* f = std::fopen(p.c_str(), modes[mode]);
    if (!f) return nullptr;
    auto* s = new stream;
    s->file = f;
    s->readable = mode != mode_write;
    s->writable = mode != mode_read;
    return s;
}

stream* open_url(const std::string& url, open_mode mode)
{
    size_t sep = url.find("::");
    if (sep == std::string::npos) return open_disk(url, mode);
    std::string protocol = url.substr(0, sep);
    for (char& c : protocol)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (protocol == "incbin") return open_incbin(url.substr(sep + 2), mode);
    return nullptr; // no other handler is registered
}

} // namespace

int register_asset(const std::string& name, const uint8_t* buffer, int size)
{
    if (find_asset(name) || !buffer || size < 0) return 0;
    registry().push_back({name, buffer, size});
    return 1;
}

stream* open_read(const std::string& url)
{
    return open_url(url, mode_read);
}
stream* open_write(const std::string& url)
{
    return open_url(url, mode_write);
}
stream* open_update(const std::string& url)
{
    return open_url(url, mode_update);
}

bool close_stream(stream* s)
{
    if (!s) return false;
    bool ok = !s->failed;
    if (s->file && std::fclose(s->file) != 0) ok = false;
    delete s;
    return ok;
}

size_t read_bytes(stream* s, void* out, size_t n)
{
    if (!s || !s->readable || n == 0) return 0;
    if (s->mem) {
        size_t left = s->mem_size - s->mem_pos;
        size_t k = n < left ? n : left;
        std::memcpy(out, s->mem + s->mem_pos, k);
        s->mem_pos += k;
        if (k < n) s->at_end = true;
        return k;
    }
    size_t k = std::fread(out, 1, n, s->file);
    if (k < n) {
        if (std::ferror(s->file))
            s->failed = true;
        else
            s->at_end = true;
    }
    return k;
}

size_t write_bytes(stream* s, const void* data, size_t n)
{
    if (!s || !s->writable || !s->file) {
        if (s) s->failed = true;
        return 0;
    }
    size_t k = std::fwrite(data, 1, n, s->file);
    if (k < n) s->failed = true;
    return k;
}

int read_int(stream* s)
{
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) {
        uint8_t b;
        if (read_bytes(s, &b, 1) != 1) break; // a short file leaves the high bytes 0
        v |= static_cast<uint32_t>(b) << (8 * i);
    }
    return static_cast<int>(v);
}

void write_int(stream* s, int value)
{
    uint32_t v = static_cast<uint32_t>(value);
    uint8_t b[4] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16),
                    static_cast<uint8_t>(v >> 24)};
    write_bytes(s, b, 4);
}

bool read_all(stream* s, std::vector<uint8_t>& out)
{
    out.clear();
    if (!s || !s->readable) return false;
    if (s->mem) {
        out.assign(s->mem + s->mem_pos, s->mem + s->mem_size);
        s->mem_pos = s->mem_size;
        return true;
    }
    uint8_t chunk[65536];
    for (;;) {
        size_t k = read_bytes(s, chunk, sizeof chunk);
        out.insert(out.end(), chunk, chunk + k);
        if (k < sizeof chunk) break;
    }
    return !s->failed;
}

bool stream_failed(const stream* s)
{
    return !s || s->failed;
}
bool stream_eof(const stream* s)
{
    return !s || s->at_end;
}

int file_kind(const std::string& path)
{
    struct stat st;
    if (::stat(disk_path(path).c_str(), &st) != 0) return 0;
    if (S_ISDIR(st.st_mode)) return 2;
    if (S_ISREG(st.st_mode)) return 1;
    return 0;
}

std::string disk_path(const std::string& path)
{
    std::string p = path;
    for (char& c : p)
        if (c == '\\') c = '/';
    return p;
}

stream* open_temp_beside(const std::string& path, std::string& temp_path)
{
    std::string name = disk_path(path) + ".XXXXXX";
    int fd = ::mkstemp(name.data()); // a unique name: two saves at once never share a file
    if (fd < 0) return nullptr;
    std::FILE* f = ::fdopen(fd, "wb");
    if (!f) {
        int e = errno;
        ::close(fd);
        ::unlink(name.c_str());
        errno = e;
        return nullptr;
    }
    auto* s = new stream;
    s->file = f;
    s->writable = true;
    temp_path = name;
    return s;
}

bool sync_stream(stream* s)
{
    if (!s || !s->file) {
        errno = EBADF;
        return false;
    }
    if (s->failed) {
        errno = EIO;
        return false;
    }
    return std::fflush(s->file) == 0 && ::fsync(::fileno(s->file)) == 0;
}

bool sync_folder(const std::string& folder)
{
    int fd = ::open(disk_path(folder.empty() ? "." : folder).c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return false;
    bool ok = ::fsync(fd) == 0;
    int e = errno;
    ::close(fd);
    errno = e;
    return ok;
}
