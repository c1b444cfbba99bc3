// Embedded assets and file streams: the asset registry, the URL rule and little-endian ints.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct stream;

// Returns 1, or 0 (adding nothing) when the name is taken already.
int register_asset(const std::string& name, const uint8_t* buffer, int size);

[[nodiscard]] stream* open_read(const std::string& url);
[[nodiscard]] stream* open_write(const std::string& url);
[[nodiscard]] stream* open_update(const std::string& url);
// Flushes and closes; false when buffered data could not be written out.
bool close_stream(stream* s);

int read_int(stream* s);
void write_int(stream* s, int value);
// Reads up to `n` bytes; fewer at the end.
size_t read_bytes(stream* s, void* out, size_t n);
size_t write_bytes(stream* s, const void* data, size_t n);
// Reads from the current position to the end.
[[nodiscard]] bool read_all(stream* s, std::vector<uint8_t>& out);
// True once a read or write on the stream failed outright (not merely hit the end).
bool stream_failed(const stream* s);
bool stream_eof(const stream* s);

// 0 nothing there, 1 a regular file, 2 a folder.
int file_kind(const std::string& path);

// A disk path with every "\" turned into "/".
std::string disk_path(const std::string& path);

// For files that must survive a crash, written aside and renamed over the old one:
// a new empty file in the folder of `path`, named after it, for writing; its name goes to `temp_path`.
// Null (errno set) when the folder takes no new file.
[[nodiscard]] stream* open_temp_beside(const std::string& path, std::string& temp_path);
// Pushes everything written so far through to the disk; false (errno set) when it could not.
bool sync_stream(stream* s);
// Makes the renames done in `folder` last through a crash; false (errno set) when it could not.
bool sync_folder(const std::string& folder);

struct stream_closer {
    void operator()(stream* s) const { close_stream(s); }
};
using stream_handle = std::unique_ptr<stream, stream_closer>;
