#include "document/LineBatches.h"

#include "platform/VectorState.h"

#include <cstring>
#include <system_error>
#include <utility>

namespace lumeria {

void LineBatch::clear()
{
    m_bytes.clear();
    m_lines.clear();
}

bool BatchReader::fill(LineBatch& batch)
{
    // What a line is depends on its key alone: a keyword with '=' can only
    // match the name before the first '=', and one without stands within
    // the first characters. So only the key needs its key form, written
    // over the key.
    static constexpr size_t kLongestBareKeyword = 10;
    clearUpperVectorState();
    std::string& bytes = batch.m_bytes;
    while (batch.m_lines.size() < LineBatch::kMaxLines && bytes.size() < LineBatch::kMaxBytes) {
        const size_t begin = bytes.size();
        const TextSource::Status status = m_source.appendRawLine(bytes);
        if (status != TextSource::Status::Line) {
            m_result = status == TextSource::Status::Error ? m_source.error() : 0;
            return false;
        }
        char* const text = bytes.data() + begin;
        const size_t size = bytes.size() - begin;
        const auto* const eq = static_cast<const char*>(std::memchr(text, '=', size));
        const size_t keyEnd = eq ? size_t(eq - text) + 1 : size;
        const size_t keySize = formKeyInPlace(text, keyEnd, eq ? keyEnd : kLongestBareKeyword);
        batch.m_lines.push_back(
            {uint32_t(begin), uint32_t(keySize), uint32_t(begin + keyEnd), uint32_t(size - keyEnd)});
    }
    return true;
}

ReadAhead::ReadAhead(BatchReader& reader) : m_reader(reader)
{
    for (LineBatch& batch : m_batches)
        m_free.push_back(&batch);
    try {
        m_thread = std::thread([this] { read(); });
    } catch (const std::system_error&) {
        // Out of threads: next() reads each batch itself.
    }
}

ReadAhead::~ReadAhead()
{
    if (!m_thread.joinable())
        return;
    {
        const std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

void ReadAhead::read()
{
    for (;;) {
        LineBatch* batch = nullptr;
        {
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [&] { return m_stop || !m_free.empty(); });
            if (m_stop)
                return;
            batch = m_free.front();
            m_free.pop_front();
        }
        batch->clear();
        bool more = false;
        std::exception_ptr failure;
        try {
            more = m_reader.fill(*batch);
        } catch (...) {
            failure = std::current_exception();
        }
        {
            const std::lock_guard lock(m_mutex);
            if (failure)
                m_failure = failure;
            else
                m_filled.push_back(batch);
            m_ended = !more;
        }
        m_changed.notify_all();
        if (!more)
            return;
    }
}

const LineBatch* ReadAhead::next()
{
    if (!m_thread.joinable()) {
        if (m_ended)
            return nullptr;
        LineBatch& batch = m_batches.front();
        batch.clear();
        m_ended = !m_reader.fill(batch);
        return &batch;
    }
    std::unique_lock lock(m_mutex);
    if (m_current) {
        m_free.push_back(m_current);
        m_current = nullptr;
        m_changed.notify_all();
    }
    m_changed.wait(lock, [&] { return !m_filled.empty() || m_ended; });
    if (!m_filled.empty()) {
        m_current = m_filled.front();
        m_filled.pop_front();
        return m_current;
    }
    if (m_failure)
        std::rethrow_exception(std::exchange(m_failure, nullptr));
    return nullptr;
}

} // namespace lumeria
