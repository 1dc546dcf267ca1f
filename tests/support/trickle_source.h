// Bytes that arrive a few at a time, on the reading thread: a reader over them meets the end of the bytes in at
// every place it can, without any thread timing involved. The bytes not yet in hold 0xFF, so that a reader that
// looks past the bytes in reads something other than the file.
#pragma once

#include "core/QUILL_cursor.h"

#include <QByteArray>
#include <algorithm>
#include <cstring>

class TTrickleSource final : public TByteSource {
public:
    // All of `bytes` in the end, `first` of them in at the start; each wait lets in what was asked for and `step`
    // more.
    TTrickleSource(const QByteArray& bytes, qsizetype first, qsizetype step)
        : bytes_(bytes), buffer_(bytes.size(), '\xFF'), target_(buffer_.data()), step_(step) {
        let(std::min(first, bytes.size()));
    }

    // The buffer the bytes arrive in (it never moves).
    const QByteArray& buffer() const { return buffer_; }
    qsizetype in() const { return in_; }
    int waits() const { return waits_; }

    qsizetype waitFor(qsizetype count) override {
        ++waits_;
        if (count > in_) let(std::min(bytes_.size(), std::min(bytes_.size(), std::max(count, in_ + 1)) + step_));
        return in_;
    }

private:
    void let(qsizetype in) {
        std::memcpy(target_ + in_, bytes_.constData() + in_, static_cast<size_t>(in - in_));
        in_ = in;
    }

    QByteArray bytes_;
    QByteArray buffer_;
    char* target_;
    qsizetype in_ = 0;
    qsizetype step_;
    int waits_ = 0;
};
