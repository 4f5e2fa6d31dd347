#pragma once
// A fixed text buffer that hands its content to a drain whenever it fills up,
// so that a large file is written in pieces of a few tens of KB and never held
// in memory whole. Once a drain fails, everything after is dropped and ok()
// stays false.

#include <cstddef>
#include <cstring>

class TextSink
{
public:
    // Takes the pending bytes; returns false on failure.
    using Drain = bool (*)(void* context, const char* data, std::size_t size);

    TextSink(char* buffer, std::size_t capacity, Drain drain, void* context)
        : begin_(buffer), cur_(buffer), end_(buffer + capacity), drain_(drain), context_(context)
    {
    }
    TextSink(const TextSink&) = delete;
    TextSink& operator=(const TextSink&) = delete;

    // Room for n bytes (n at most the capacity) at the returned pointer; write
    // there and pass the end of what was written to commit().
    char* room(std::size_t n)
    {
        if (static_cast<std::size_t>(end_ - cur_) < n)
            flush();
        return cur_;
    }
    void commit(char* end) { cur_ = end; }

    void put(char c)
    {
        if (cur_ == end_)
            flush();
        *cur_++ = c;
    }
    void put(const char* text, std::size_t n)
    {
        if (static_cast<std::size_t>(end_ - cur_) < n) {
            flush();
            if (static_cast<std::size_t>(end_ - cur_) < n) { // longer than the buffer
                if (ok_)
                    ok_ = drain_(context_, text, n);
                return;
            }
        }
        std::memcpy(cur_, text, n);
        cur_ += n;
    }
    void put(const char* text) { put(text, std::strlen(text)); }

    // Drains what is pending; false if this or an earlier drain failed.
    bool flush()
    {
        if (ok_ && cur_ != begin_)
            ok_ = drain_(context_, begin_, static_cast<std::size_t>(cur_ - begin_));
        cur_ = begin_;
        return ok_;
    }
    bool ok() const { return ok_; }

private:
    char* begin_;
    char* cur_;
    char* end_;
    Drain drain_;
    void* context_;
    bool ok_ = true;
};
