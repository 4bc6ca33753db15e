#pragma once

#include "container/TextSource.h"
#include "document/Keywords.h"

#include <array>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace lumeria {

// Lines of a publication text in the order read, each as its key form (the
// text before its first '=' and that '=', without spaces, upper-cased; the
// first characters of a line without one) and its value (what follows the
// '=', as read). Each batch has cache lines of its own: the reading thread
// writes one while the other thread reads its neighbour.
class alignas(64) LineBatch {
public:
    struct Line {
        uint32_t key = 0; // offsets in the batch's bytes
        uint32_t keySize = 0;
        uint32_t value = 0;
        uint32_t valueSize = 0;
    };

    const std::vector<Line>& lines() const { return m_lines; }
    std::string_view key(const Line& line) const { return std::string_view(m_bytes).substr(line.key, line.keySize); }
    std::string_view value(const Line& line) const
    {
        return std::string_view(m_bytes).substr(line.value, line.valueSize);
    }

    void clear();

private:
    // Lines go in through BatchReader, which reads them straight into the
    // batch's bytes.
    friend class BatchReader;
    // Batches are bounded so that reading ahead never holds much of a text.
    static constexpr size_t kMaxLines = 4096;
    static constexpr size_t kMaxBytes = 128 * 1024;
    std::string m_bytes;
    std::vector<Line> m_lines;
};

// Reads a text's lines into batches.
class BatchReader {
public:
    explicit BatchReader(TextSource& source) : m_source(source) {}

    // Adds lines until the batch is full or the text ends; false once the
    // text has ended or could not be read, and then result() tells which.
    bool fill(LineBatch& batch);
    // 0 after the whole text was read, or the reader's code.
    int result() const { return m_result; }

private:
    TextSource& m_source;
    int m_result = 0;
};

// Runs a BatchReader on a thread of its own, a few batches ahead of the one
// who applies them: reading, splitting and classifying lines are half of
// loading a large publication, and the player has a second core. Only the
// reading thread touches the reader and its source until the end.
class ReadAhead {
public:
    explicit ReadAhead(BatchReader& reader);
    ~ReadAhead();
    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;

    // The next batch in order, valid until the next call; nullptr after the
    // last one. What the reading thread threw is thrown here, in its turn.
    const LineBatch* next();

private:
    void read();

    BatchReader& m_reader;
    std::array<LineBatch, 3> m_batches;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<LineBatch*> m_free;
    std::deque<LineBatch*> m_filled;
    LineBatch* m_current = nullptr;
    bool m_ended = false;
    bool m_stop = false;
    std::exception_ptr m_failure;
    std::thread m_thread;
};

} // namespace lumeria
