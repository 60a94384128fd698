#include "list/file.h"

#include <cstdint>
#include <cstring>
#include <string>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "frame/errors.h"
#include "frame/files.h"
#include "frame/memory.h"
#include "frame/messages.h"
#include "frame/text.h"
#include "list/core.h"

namespace velk::list {

namespace {

constexpr std::string_view kSignature = "LINKED_LIST_TYPE";
constexpr std::size_t kChunk = 256 * 1024;
constexpr std::size_t kPadding = 16; // readable bytes behind a field in its buffer

// Length fields are little-endian 32-bit integers, -1 ending the list.
void put_length(char *at, std::int32_t value) {
    auto v = static_cast<std::uint32_t>(value);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    v = __builtin_bswap32(v);
#endif
    std::memcpy(at, &v, 4);
}

std::int32_t get_length(const unsigned char *at) {
    std::uint32_t v;
    std::memcpy(&v, at, 4);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    v = __builtin_bswap32(v);
#endif
    return static_cast<std::int32_t>(v);
}

// Writes through a buffer, so that a list of many short entries costs a few
// large writes. The first failure sticks.
class ChunkWriter {
  public:
    ChunkWriter(files::NewFile &file, char *buffer) : file_(file), buffer_(buffer) {}
    void put(const void *bytes, std::size_t size) {
        if (failed_ || size == 0) return;
        if (used_ + size > kChunk) {
            flush();
            if (failed_) return; // a later write must not hide the failure
            if (size >= kChunk) {
                failed_ = file_.write(bytes, size) != 0;
                return;
            }
        }
        std::memcpy(buffer_ + used_, bytes, size);
        used_ += size;
    }
    void put_length(std::int32_t value) {
        char bytes[4];
        list::put_length(bytes, value);
        put(bytes, 4);
    }
    // One entry: name length, name, data length, data.
    void put_entry(std::string_view name, std::string_view data) {
        std::size_t size = 8 + name.size() + data.size();
        if (used_ + size > kChunk) { // the rare path: through the general put
            put_length(static_cast<std::int32_t>(name.size()));
            put(name.data(), name.size());
            put_length(static_cast<std::int32_t>(data.size()));
            put(data.data(), data.size());
            return;
        }
        char *at = buffer_ + used_;
        list::put_length(at, static_cast<std::int32_t>(name.size()));
        copy_bytes(at + 4, name.data(), name.size());
        at += 4 + name.size();
        list::put_length(at, static_cast<std::int32_t>(data.size()));
        copy_bytes(at + 4, data.data(), data.size());
        used_ += size;
    }
#if defined(__SSE2__)
    // One entry of a name and a data text of under 16 bytes each, given as
    // the 16 bytes that begin each of them, when the buffer has room for
    // both whole; false leaves it to put_entry.
    bool put_short_entry(__m128i name, std::size_t name_size, __m128i data, std::size_t data_size) {
        if (used_ + 8 + 32 > kChunk) return false;
        char *at = buffer_ + used_;
        list::put_length(at, static_cast<std::int32_t>(name_size));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(at + 4), name);
        at += 4 + name_size;
        list::put_length(at, static_cast<std::int32_t>(data_size));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(at + 4), data);
        used_ += 8 + name_size + data_size;
        return true;
    }
#endif
    void flush() {
        if (!failed_ && used_) failed_ = file_.write(buffer_, used_) != 0;
        used_ = 0;
    }
    bool failed() const { return failed_; }

  private:
    files::NewFile &file_;
    char *buffer_;
    std::size_t used_ = 0;
    bool failed_ = false;
};

// Reads exact byte counts through a buffer and knows how many bytes of the
// file are left, so that no length field can make it ask for more.
class ChunkReader {
  public:
    ChunkReader(files::File &file, std::uint64_t size, char *buffer)
        : file_(file), unread_(size), buffer_(buffer) {}
    std::uint64_t left() const { return unread_ + (end_ - pos_); }
    // The next entry, its fields read in place, when it lies whole in the
    // buffer and neither length ends the list: the common case, taken in one
    // step. false leaves the entry to the field-by-field reading, which
    // copies each field (at the buffer's end and the end of the list).
    bool take_whole_entry(std::string_view &name, std::string_view &data) {
        const std::size_t avail = end_ - pos_;
        if (avail < 8) return false;
        const char *at = buffer_ + pos_;
        const std::int32_t name_length = get_length(reinterpret_cast<const unsigned char *>(at));
        if (name_length < 0 || static_cast<std::size_t>(name_length) > avail - 8) return false;
        const auto name_size = static_cast<std::size_t>(name_length);
        const std::int32_t data_length =
            get_length(reinterpret_cast<const unsigned char *>(at + 4 + name_size));
        if (data_length < 0 || static_cast<std::size_t>(data_length) > avail - 8 - name_size) return false;
        const auto data_size = static_cast<std::size_t>(data_length);
        name = {at + 4, name_size};
        data = {at + 8 + name_size, data_size};
        pos_ += 8 + name_size + data_size;
        return true;
    }
    // 0, or the file error number (62 when the file ends first).
    int take(void *out, std::size_t size) {
        auto *to = static_cast<char *>(out);
        while (size > 0) {
            if (pos_ == end_) {
                if (size >= kChunk) return read_direct(to, size);
                if (int err = refill()) return err;
            }
            std::size_t n = std::min(size, end_ - pos_);
            std::memcpy(to, buffer_ + pos_, n);
            pos_ += n;
            to += n;
            size -= n;
        }
        return 0;
    }

  private:
    int refill() {
        std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(unread_, kChunk));
        if (want == 0) return kEndOfFileNumber;
        std::size_t got = 0;
        if (int err = file_.read(buffer_, want, got)) return err;
        if (got == 0) return kEndOfFileNumber;
        unread_ -= got;
        pos_ = 0;
        end_ = got;
        return 0;
    }
    int read_direct(char *to, std::size_t size) {
        std::size_t got = 0;
        if (int err = file_.read(to, size, got)) return err;
        unread_ -= std::min<std::uint64_t>(unread_, got);
        return got == size ? 0 : kEndOfFileNumber;
    }

    files::File &file_;
    std::uint64_t unread_;
    char *buffer_;
    std::size_t pos_ = 0, end_ = 0;
};

void set_list_error(std::string_view message) { set_error(Family::list, message); }

// Reads a length field; false ends the list. A negative length ends it, and
// so does the end of the file where a length should be; a read that fails is
// an error (err), since the entries after it would be lost unnoticed.
bool read_length(ChunkReader &reader, std::int32_t &length, int &err) {
    unsigned char bytes[4];
    if (int failed = reader.take(bytes, 4)) {
        if (failed != kEndOfFileNumber) err = failed;
        return false;
    }
    length = get_length(bytes);
    return length >= 0;
}

// Reads one name or data field of the given length into its scratch block.
int read_field(ChunkReader &reader, std::int32_t length, ScratchBlock &scratch, std::string_view &field) {
    field = {};
    if (length <= 0) return 0;
    const auto size = static_cast<std::size_t>(length);
    if (static_cast<std::uint64_t>(length) > reader.left()) return kEndOfFileNumber;
    if (!scratch.reserve(size + kPadding)) return kNoMemoryNumber;
    field = {scratch.data(), size};
    return reader.take(scratch.data(), size);
}

// Most entries have a short name and a short data text: where a block's
// first 16 bytes may be read whole, both are read 16 bytes at once, their
// ends found among them, and written as they were read.
bool write_short_entry(ChunkWriter &writer, const ListNode *node) {
#if defined(__SSE2__)
    if (!blocks_read_whole() || !node->name || !node->data || node->capacity <= 0 || node->capacity >= 16)
        return false;
    const unsigned name_end = first_nuls(node->name);
    if (!name_end) return false;
    const unsigned data_end = first_nuls(node->data) | (1u << node->capacity);
    return writer.put_short_entry(_mm_loadu_si128(reinterpret_cast<const __m128i *>(node->name)),
                                  static_cast<std::size_t>(__builtin_ctz(name_end)),
                                  _mm_loadu_si128(reinterpret_cast<const __m128i *>(node->data)),
                                  static_cast<std::size_t>(__builtin_ctz(data_end)));
#else
    (void)writer;
    (void)node;
    return false;
#endif
}

} // namespace

bool save_to_file(const ListNode *list, std::string_view file) {
    if (files::exists(file)) {
        set_list_error(messages::list_file_exists(file));
        return false;
    }
    // The write buffer comes first, so that running out of memory makes no
    // file at all. The list is written under a private name and takes its
    // name only when whole, never in the place of a file made meanwhile.
    ScratchBlock buffer;
    files::NewFile out;
    int err = buffer.reserve(kChunk) ? 0 : kNoMemoryNumber;
    if (!err) err = out.create(file, false);
    if (err) {
        if (err == kNoMemoryNumber) free_spare_memory();
        set_list_error(messages::unable_to_create_list_file(file, err));
        return false;
    }
    ChunkWriter writer(out, buffer.data());
    writer.put(kSignature.data(), kSignature.size());
    for (const ListNode *node = list; node && !writer.failed(); node = node->next)
        if (!write_short_entry(writer, node)) writer.put_entry(name_text(node), data_text(node));
    writer.put_length(-1);
    writer.flush();
    if (writer.failed() || out.close() != 0) {
        set_list_error(messages::error_writing_list_file(file));
        return false;
    }
    if ((err = out.place(false))) {
        set_list_error(messages::unable_to_create_list_file(file, err));
        return false;
    }
    return true;
}

ListNode *load_from_file(std::string_view file) {
    if (!files::exists(file) && !files::unusable(file)) { // refused by the open
        set_list_error(messages::list_file_does_not_exist(file));
        return nullptr;
    }
    files::File in;
    int err = files::File::open(file, files::Access::read_write, files::Share::none, in);
    if (err) // a file that cannot be written may still be read
        err = files::File::open(file, files::Access::read, files::Share::none, in);
    if (err) {
        set_list_error(messages::unable_to_open_list_file(file, err));
        return nullptr;
    }
    std::uint64_t size = 0;
    ScratchBlock buffer, entry_name, data;
    // Every buffer a field is read from holds 16 bytes more than the field
    // may need, so that short fields are stored 16 bytes at once.
    if (!(err = in.size(size)) && !buffer.reserve(kChunk + kPadding)) err = kNoMemoryNumber;
    if (err) {
        set_list_error(messages::error_reading_list_file(file, err));
        return nullptr;
    }
    ChunkReader reader(in, size, buffer.data());
    char signature[16];
    if (reader.take(signature, sizeof signature) != 0 ||
        std::memcmp(signature, kSignature.data(), sizeof signature) != 0) {
        set_list_error(messages::not_a_list_file(file));
        return nullptr;
    }
    ListBuilder loaded;
    for (;;) {
        std::int32_t name_length = 0, data_length = 0;
        std::string_view name_field, data_field;
        if (!reader.take_whole_entry(name_field, data_field)) {
            if (!read_length(reader, name_length, err)) break;
            if ((err = read_field(reader, name_length, entry_name, name_field))) break;
            if (!read_length(reader, data_length, err)) break;
            if ((err = read_field(reader, data_length, data, data_field))) break;
        }
        // An entry that memory cannot hold fails the load whole: a shorter
        // list would pass for the file's.
        if (!loaded.add(name_field, data_field, DataForm::text, true)) {
            err = kNoMemoryNumber;
            break;
        }
    }
    if (err) {
        // What was loaded is given back first, so that the message has
        // memory to be made in when memory ran out.
        loaded.clear();
        if (err == kNoMemoryNumber) free_spare_memory();
        set_list_error(messages::error_reading_list_file(file, err));
        return nullptr;
    }
    return loaded.release();
}

} // namespace velk::list
